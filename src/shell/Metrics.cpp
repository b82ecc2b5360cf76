#include "shell/Metrics.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>
#include <optional>

namespace Screens {

double fontScale()
{
    // Measured once for each application font.
    static QFont measured;
    static double factor = 0;
    const QFont font = QApplication::font();
    if (factor > 0 && font == measured && font.resolveMask() == measured.resolveMask())
        return factor;
    QFont reference = font;
    reference.setPointSizeF(8);
    const QFontMetricsF now(font);
    const QFontMetricsF drawn(reference);
    // Height and width both: a font that grows more in one of them must
    // still fit the labels drawn for 8 pt.
    const QString sample = QStringLiteral("Расчет рациона 0123456789");
    const double byHeight = now.height() / drawn.height();
    const double byWidth = now.horizontalAdvance(sample) / drawn.horizontalAdvance(sample);
    measured = font;
    factor = std::max(byHeight, byWidth);
    return factor;
}

int scaled(int pixels)
{
    return qRound(pixels * fontScale());
}

QRect scaled(const QRect& r)
{
    const double k = fontScale();
    const int left = qRound(r.left() * k);
    const int top = qRound(r.top() * k);
    const int right = qRound((r.left() + r.width()) * k);
    const int bottom = qRound((r.top() + r.height()) * k);
    return QRect(left, top, right - left, bottom - top);
}

int boxWidthFor(const QWidget* box, const QString& text, int width)
{
    const auto* combo = qobject_cast<const QComboBox*>(box);
    const QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<const QLineEdit*>(box);
    if (!edit)
        return width;
    // As the style will show it: some styles set a box up as they polish it.
    box->ensurePolished();
    edit->ensurePolished();
    // The room a line edit of that size leaves its text, less the margin it
    // keeps either side and its cursor.
    const auto room = [edit](QSize size, bool framed) {
        QStyleOptionFrame o;
        o.initFrom(edit);
        o.rect = QRect(QPoint(0, 0), size);
        o.lineWidth = framed ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, edit) : 0;
        const QMargins m = edit->textMargins();
        return edit->style()->subElementRect(QStyle::SE_LineEditContents, &o, edit).width() - m.left() - m.right() - 2 * 2 - 1;
    };
    // A combo box's line is its edit field, the arrow and the frame aside.
    const auto field = [combo](int w) {
        QStyleOptionComboBox o;
        o.initFrom(combo);
        o.rect = QRect(0, 0, w, combo->height());
        o.editable = true;
        o.frame = combo->hasFrame();
        o.subControls = QStyle::SC_All;
        return combo->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, combo).size();
    };
    const int need = edit->fontMetrics().horizontalAdvance(text);
    // Styles pad in steps; a second look catches what the first left short.
    for (int pass = 0; pass < 3; ++pass) {
        const int have = combo ? room(field(width), false) : room(QSize(width, box->height()), edit->hasFrame());
        if (have >= need)
            break;
        width += need - have;
    }
    return width;
}

QFont relativeFont(const QFont& base, double points)
{
    QFont f = base;
    if (base.pointSizeF() > 0)
        f.setPointSizeF(base.pointSizeF() * points / 8);
    else
        f.setPixelSize(std::max(1, qRound(base.pixelSize() * points / 8)));
    return f;
}

namespace {
// True when every character of `text` is as wide as the others in `font`.
bool evenAdvances(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    std::optional<double> width;
    for (const QChar c : text) {
        const double w = metrics.horizontalAdvance(c);
        if (!width)
            width = w;
        else if (std::abs(w - *width) > 0.01)
            return false;
    }
    return true;
}
} // namespace

QFont columnFont(int pointSize)
{
    // What the reports are made of; a font that is fixed-width for these is
    // fixed-width for the reader, whatever fontconfig says of its other glyphs.
    static const QString sample = QStringLiteral(
        "0123456789 ,.;:-+=()%/\\\"'*_№"
        "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя"
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    if (evenAdvances(font, sample))
        return font;
    QStringList families = {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                            QStringLiteral("Noto Sans Mono"), QStringLiteral("Noto Mono"),
                            QStringLiteral("Courier New"), QStringLiteral("FreeMono")};
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isFixedPitch(family) && !families.contains(family))
            families << family;
    for (const QString& family : families) {
        if (!QFontDatabase::hasFamily(family))
            continue;
        QFont candidate(family, font.pointSize() > 0 ? font.pointSize() : 10);
        candidate.setStyleHint(QFont::TypeWriter);
        if (evenAdvances(candidate, sample))
            return candidate;
    }
    return font;   // the best there is
}

} // namespace Screens
