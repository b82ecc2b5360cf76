#include "shell/Screens.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
QPointer<QMdiArea> g_area;
QPointer<QWidget> g_lastActivated;
// The frame's size before screens made it grow; invalid while it has its own.
QSize g_homeSize;

// Remembers the active screen (of any kind), so that a screen's activation
// step runs once each time it becomes active, not on every repeated report.
// The screen that was active before hears of it first: what it still holds
// (an editor's open row) is written before the new one reads anything.
void runActivation(QWidget* w)
{
    if (auto* before = qobject_cast<Form*>(g_lastActivated.data()); before && before != w)
        before->Form_Deactivate();
    g_lastActivated = w;
    if (auto* f = qobject_cast<Form*>(w))
        f->Form_Activate();
}
} // namespace

Form::Form(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

bool Form::event(QEvent* e)
{
    // A screen shown as a window of its own hears of its activation directly;
    // one inside the frame hears of it from the frame (setMdiArea).
    if (e->type() == QEvent::WindowActivate && isWindow() && g_lastActivated != this)
        runActivation(this);
    return QWidget::event(e);
}

// A button without a dialog around it lets Enter go by; it comes here.
void Form::keyPressEvent(QKeyEvent* e)
{
    if (Screens::enterPressesFocusedButton(this, e))
        return;
    QWidget::keyPressEvent(e);
}

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

namespace {
double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor textColourFor(const QColor& back)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(back, black) >= contrast(back, white) ? black : white;
}

void setMdiArea(QMdiArea* area)
{
    g_area = area;
    g_homeSize = QSize();
    if (!area)
        return;
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [](QMdiSubWindow* sub) {
        if (!sub || !sub->widget())
            return;
        if (g_lastActivated == sub->widget())
            return;
        runActivation(sub->widget());
    });
}

QMdiArea* mdiArea()
{
    return g_area;
}

QMdiSubWindow* subWindowOf(QWidget* screen)
{
    if (!screen)
        return nullptr;
    return qobject_cast<QMdiSubWindow*>(screen->parentWidget());
}

void closeWindow(QWidget* screen)
{
    if (QMdiSubWindow* sub = subWindowOf(screen))
        sub->close();
    else
        screen->close();
}

bool enterPressesFocusedButton(QWidget* screen, const QKeyEvent* e)
{
    if ((e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter)
        || (e->modifiers() & ~Qt::KeypadModifier))
        return false;
    auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (!button || !button->isEnabled() || !button->isVisible() || !screen->isAncestorOf(button))
        return false;
    button->click();
    return true;
}

void keepOnScreen(QWidget* window)
{
    const QScreen* s = window->screen();
    if (!s || window->isMaximized() || window->isFullScreen())
        return;
    const QRect avail = s->availableGeometry();
    QRect g = window->frameGeometry();
    const QSize decoration = g.size() - window->size();
    const QSize size = window->size().boundedTo(avail.size() - decoration);
    if (size != window->size())
        window->resize(size);
    g.setSize(size + decoration);
    if (g.right() > avail.right())
        g.moveRight(avail.right());
    if (g.bottom() > avail.bottom())
        g.moveBottom(avail.bottom());
    if (g.left() < avail.left())
        g.moveLeft(avail.left());
    if (g.top() < avail.top())
        g.moveTop(avail.top());
    window->move(g.topLeft());
}

namespace {

// When a screen closes, the frame shrinks back towards its own size, as far
// as the screens still open let it.
void refitFrame(QWidget* frame)
{
    if (!g_homeSize.isValid() || !g_area || frame->isMaximized() || frame->isFullScreen())
        return;
    const QSize grown = frame->size() - g_homeSize;
    const QSize homeArea = g_area->viewport()->size() - grown;
    QSize extra(0, 0);
    for (QMdiSubWindow* sub : g_area->subWindowList()) {
        if (!sub->widget() || !sub->isVisible())
            continue;
        const QRect r = sub->geometry();
        extra = extra.expandedTo(QSize(r.right() + 1 - homeArea.width(), r.bottom() + 1 - homeArea.height()));
    }
    const QSize target = g_homeSize + extra.boundedTo(grown);
    if (target != frame->size())
        frame->resize(target);
    if (target == g_homeSize)
        g_homeSize = QSize();
}

// A screen larger than the frame's client area would be shown cut off: the
// frame grows to show it whole, but never beyond the available screen (the
// area's scroll bars show the rest), and gets its size back when the screen
// closes (refitFrame). The screen's window is put in the area's top left
// corner.
void fitFrameTo(QMdiSubWindow* sub)
{
    QWidget* frame = g_area->window();
    // The area may have given the window less than the screen asks for.
    const QSize need = sub->size().expandedTo(sub->sizeHint());
    const QSize have = g_area->viewport()->size();
    int dw = std::max(0, need.width() - have.width());
    int dh = std::max(0, need.height() - have.height());
    if ((dw > 0 || dh > 0) && !frame->isMaximized() && !frame->isFullScreen()) {
        const QScreen* s = frame->screen();
        const QRect avail = s ? s->availableGeometry() : QRect();
        QRect g = frame->frameGeometry();
        if (avail.isValid()) {
            dw = std::max(0, std::min(dw, avail.width() - g.width()));
            dh = std::max(0, std::min(dh, avail.height() - g.height()));
        }
        if (dw > 0 || dh > 0) {
            if (!g_homeSize.isValid())
                g_homeSize = frame->size();
            frame->resize(frame->size() + QSize(dw, dh));
            keepOnScreen(frame);
        }
    }
    sub->resize(need);
    const QPoint p = sub->pos();
    if (p.x() + need.width() > g_area->viewport()->width() || p.y() + need.height() > g_area->viewport()->height()
        || p.x() < 0 || p.y() < 0)
        sub->move(0, 0);
}

} // namespace

void showChild(QWidget* screen)
{
    if (g_area) {
        QMdiSubWindow* sub = subWindowOf(screen);
        const bool added = !sub;
        if (!sub) {
            sub = g_area->addSubWindow(screen);
            sub->setAttribute(Qt::WA_DeleteOnClose);
            sub->setWindowIcon(screen->windowIcon());
        }
        const bool appears = added || sub->isHidden();
        screen->show();
        sub->show();
        if (appears && !sub->isMaximized())
            fitFrameTo(sub);
        if (added) {
            QWidget* frame = g_area->window();
            QObject::connect(screen, &QObject::destroyed, frame, [frame] {
                QMetaObject::invokeMethod(frame, [frame] { refitFrame(frame); }, Qt::QueuedConnection);
            });
        }
        activate(screen);
    } else {
        screen->show();
        activate(screen);
    }
}

void refit(QWidget* screen)
{
    QMdiSubWindow* sub = subWindowOf(screen);
    if (!sub || !g_area || sub->isMaximized() || !sub->isVisible())
        return;
    sub->resize(sub->sizeHint());
    fitFrameTo(sub);
    // A screen that shrank gives the frame back what it no longer needs.
    refitFrame(g_area->window());
}

void activate(QWidget* screen)
{
    if (!screen)
        return;
    if (QMdiSubWindow* sub = subWindowOf(screen); sub && g_area) {
        if (g_area->activeSubWindow() != sub)
            g_area->setActiveSubWindow(sub);
    } else {
        screen->activateWindow();
    }
    // The window system may not report activation (offscreen, or a window
    // already active); the step runs here once for every explicit activation.
    if (g_lastActivated != screen)
        runActivation(screen);
}

} // namespace Screens
