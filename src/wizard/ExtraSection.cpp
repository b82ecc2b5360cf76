#include "wizard/ExtraSection.h"

#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/RacionSheet.h"
#include "engine/mdlRashet.h"
#include "shell/Screens.h"
#include "wizard/WizardWidgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kNoData = QStringLiteral("нет данных");
const QString kHeading = QStringLiteral("Аминокислоты, клетчатка и другие показатели");

// Widths at 8 pt: the most for the line's name and for a feed's column.
constexpr int kNameWidth = 128;
constexpr int kFeedMost = 96;

QString nameOf(const ExtraNorms::Line& l)
{
    return l.unit.isEmpty() ? l.name : QStringLiteral("%1, %2").arg(l.name, l.unit);
}

// The chosen feeds' weights as the boxes hold them; none for a box without a number.
std::vector<std::optional<double>> weightsOf(const RacionSheet& sheet)
{
    std::vector<std::optional<double>> out;
    for (int i = 0; i < ration().feedCount(); ++i)
        out.push_back(NumText::toDouble(sheet.weightText(i)));
    return out;
}

// The total of a line, none for a missing content; weightsKnown false when a
// box holds no number (the total then shows "—").
std::optional<double> totalOf(const ExtraNorms::Line& l, const std::vector<std::optional<double>>& weights,
                              bool& weightsKnown)
{
    std::vector<double> grams;
    weightsKnown = true;
    for (const auto& w : weights) {
        weightsKnown = weightsKnown && w.has_value();
        grams.push_back(w.value_or(0.0));
    }
    return ExtraNorms::total(l, grams);
}

bool vowel(QChar c)
{
    return QStringLiteral("аеёиоуыэюяaeiouy").contains(c.toLower());
}

// A word cut short to fit `width`, at most `most` letters kept, the way a
// table cuts words: before a vowel, with a full stop ("Кукуруза": "Кукур.").
QString cut(const QString& word, const QFontMetrics& fm, int width, qsizetype most)
{
    if (word.size() <= most && fm.horizontalAdvance(word) <= width)
        return word;
    for (qsizetype n = std::min(word.size() - 1, most); n >= 1; --n) {
        const QString shortened = word.left(n) + QLatin1Char('.');
        if (vowel(word[n]) && !vowel(word[n - 1]) && fm.horizontalAdvance(shortened) <= width)
            return shortened;
    }
    return fm.elidedText(word, Qt::ElideRight, width);
}

// The words, each cut to at most `most` letters, as lines no wider than `width`.
QStringList wrapped(const QStringList& words, const QFontMetrics& fm, int width, qsizetype most)
{
    QStringList lines;
    QString line;
    for (const QString& word : words) {
        const QString part = cut(word, fm, width, most);
        const QString longer = line.isEmpty() ? part : line + QLatin1Char(' ') + part;
        if (line.isEmpty() || fm.horizontalAdvance(longer) <= width) {
            line = longer;
        } else {
            lines << line;
            line = part;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// A feed's name over its column in two lines at most: words cut shorter as
// needed ("Шрот соев."); where even that takes more lines, the second ends
// with "…". The whole name is the heading's tooltip.
QString heading(const QString& name, const QFontMetrics& fm, int width)
{
    const QStringList words = name.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const qsizetype most : {qsizetype(1000), qsizetype(7), qsizetype(5), qsizetype(4)}) {
        const QStringList lines = wrapped(words, fm, width, most);
        if (lines.size() <= 2)
            return lines.join(QLatin1Char('\n'));
    }
    const QStringList lines = wrapped(words, fm, width, 1000);
    return lines[0] + QLatin1Char('\n') + fm.elidedText(lines.mid(1).join(QLatin1Char(' ')), Qt::ElideRight, width);
}

void setText(QTableWidget* t, int row, int column, const QString& text, const QColor& back = QColor())
{
    QTableWidgetItem* item = t->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        t->setItem(row, column, item);
    }
    if (item->text() != text)
        item->setText(text);
    const QVariant wanted = back.isValid() ? QVariant(back) : QVariant();
    if (item->data(Qt::BackgroundRole) != wanted) {
        item->setData(Qt::BackgroundRole, wanted);
        item->setData(Qt::ForegroundRole, back.isValid() ? QVariant(Screens::textColourFor(back)) : QVariant());
    }
}

} // namespace

ExtraSection::ExtraSection(const RacionSheet& sheet, QWidget* parent)
    : QFrame(parent)
    , m_sheet(sheet)
    , lblDopNone(new QLabel(this))
    , grdDop(new QTableWidget(this))
{
    setObjectName(QStringLiteral("pnlDop"));
    setFrameShape(QFrame::StyledPanel);

    auto* title = new QLabel(kHeading + QStringLiteral(" в 100 г корма"), this);
    title->setObjectName(QStringLiteral("lblDopTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    lblDopNone->setObjectName(QStringLiteral("lblDopNone"));
    lblDopNone->setWordWrap(true);

    grdDop->setObjectName(QStringLiteral("grdDop"));
    grdDop->setAccessibleName(kHeading);
    grdDop->setFont(Screens::relativeFont(font(), 7));
    grdDop->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDop->setTabKeyNavigation(false);   // the arrows move inside it; Tab goes on
    grdDop->setSelectionMode(QAbstractItemView::NoSelection);
    grdDop->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdDop->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdDop->setSizeAdjustPolicy(QAbstractScrollArea::AdjustIgnored);
    grdDop->verticalHeader()->hide();
    grdDop->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdDop->horizontalHeader()->setHighlightSections(false);
    grdDop->setWordWrap(true);

    auto* layout = Wizard::column(this, QMargins(8, 4, 8, 8), 4);
    layout->addWidget(title);
    layout->addWidget(lblDopNone);
    layout->addWidget(grdDop, 0, Qt::AlignLeft);

    // The worksheet as it is built: the section goes below all of it.
    setGeometry(Screens::scaled(4), parent->height(), parent->width() - 2 * Screens::scaled(4), 0);
    hide();
}

int ExtraSection::room() const
{
    return isVisibleTo(parentWidget()) ? height() + x() : 0;
}

void ExtraSection::rebuild()
{
    const RationState& s = ration();
    if (!s.bDop) {
        m_lines.clear();
        hide();
        return;
    }
    m_lines = ExtraNorms::lines(s);
    fill();
    show();
    follow();
}

// The table's rows and columns for the lines just read; the numbers come with follow().
void ExtraSection::fill()
{
    const RationState& s = ration();
    const int feeds = s.feedCount();
    grdDop->clear();
    grdDop->clearSpans();
    grdDop->setRowCount(int(m_lines.size()));
    grdDop->setColumnCount(feeds + 3);
    const QString why = !s.Dop.error.isEmpty() ? s.Dop.error
        : QStringLiteral("Для категории «%1» нормы аминокислот, клетчатки и других показателей не заданы.")
              .arg(mdlAddItem::shownName(s.sKurwi));
    lblDopNone->setText(why);
    lblDopNone->setVisible(m_lines.empty());
    grdDop->setVisible(!m_lines.empty());

    // Each column as wide as its texts, the name's at most kNameWidth (a
    // longer name takes two lines); the feeds share what is left.
    const QFontMetrics fm(grdDop->font());
    const int pad = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grdDop) + 1) + 2;
    const int headerPad = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grdDop) + 2;
    int nameWidth = fm.horizontalAdvance(QStringLiteral("Показатель")) + headerPad;
    int normWidth = fm.horizontalAdvance(QStringLiteral("не менее 0,00")) + pad;
    for (const ExtraNorms::Line& l : m_lines) {
        nameWidth = std::max(nameWidth, fm.horizontalAdvance(nameOf(l)) + pad);
        if (l.fault.isEmpty())
            normWidth = std::max(normWidth, fm.horizontalAdvance(l.normText()) + pad);
    }
    nameWidth = std::min(nameWidth, Screens::scaled(kNameWidth));
    const int totalWidth = std::max(fm.horizontalAdvance(kNoData), fm.horizontalAdvance(QStringLiteral("000,00"))) + pad;
    const int inner = width() - 2 * Screens::scaled(8) - 2 * grdDop->frameWidth();
    const int feedWidth = std::min(Screens::scaled(kFeedMost),
                                   (inner - nameWidth - normWidth - totalWidth) / std::max(1, feeds));
    QStringList titles{QStringLiteral("Показатель"), QStringLiteral("Норма")};
    for (int i = 0; i < feeds; ++i)
        titles << heading(mdlAddItem::shownName(s.sKorm[i]), fm, feedWidth - headerPad);
    titles << QStringLiteral("Итого");
    grdDop->setHorizontalHeaderLabels(titles);
    for (int i = 0; i < feeds; ++i) {
        grdDop->horizontalHeaderItem(i + 2)->setToolTip(mdlAddItem::shownName(s.sKorm[i]));
        grdDop->setColumnWidth(i + 2, feedWidth);
    }
    grdDop->setColumnWidth(0, nameWidth);
    grdDop->setColumnWidth(1, normWidth);
    grdDop->setColumnWidth(feeds + 2, totalWidth);
    grdDop->horizontalHeader()->setFixedHeight(2 * fm.lineSpacing() + pad);

    // "нет данных" in a feed's column: on one line, on two, or "н/д" where
    // even "данных" does not fit (the whole as its tooltip). A row is one
    // line of text, two where its name or "нет данных" takes two.
    m_noData = fm.horizontalAdvance(kNoData) + pad <= feedWidth ? kNoData
        : fm.horizontalAdvance(kNoData.section(QLatin1Char(' '), 1)) + pad <= feedWidth ? kNoData
        : QStringLiteral("н/д");
    const bool noDataWraps = fm.horizontalAdvance(kNoData) + pad > feedWidth && m_noData == kNoData;
    const int one = fm.lineSpacing() + pad;
    int height = grdDop->horizontalHeader()->height() + 2 * grdDop->frameWidth();
    for (int r = 0; r < int(m_lines.size()); ++r) {
        const ExtraNorms::Line& l = m_lines[std::size_t(r)];
        setText(grdDop, r, 0, nameOf(l));
        bool twoLines = fm.horizontalAdvance(nameOf(l)) + pad > nameWidth;
        if (!l.fault.isEmpty()) {
            grdDop->setSpan(r, 1, 1, feeds + 2);
            setText(grdDop, r, 1, l.fault);
            grdDop->item(r, 1)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            grdDop->item(r, 1)->setToolTip(l.fault);
        } else {
            setText(grdDop, r, 1, l.normText());
            twoLines = twoLines || (noDataWraps && std::any_of(l.contents.begin(), l.contents.end(),
                                                               [](const auto& c) { return !c; }));
        }
        grdDop->setRowHeight(r, twoLines ? one + fm.lineSpacing() : one);
        height += grdDop->rowHeight(r);
    }
    grdDop->setFixedSize(nameWidth + normWidth + totalWidth + feeds * feedWidth + 2 * grdDop->frameWidth(), height);
    // A fault too long for its row is cut short; the whole of it is its tooltip.
    grdDop->setTextElideMode(Qt::ElideRight);
    setFixedHeight(std::max(layout()->totalHeightForWidth(width()), layout()->totalMinimumSize().height()));
}

void ExtraSection::follow()
{
    if (m_lines.empty() || isHidden())
        return;
    const std::vector<std::optional<double>> weights = weightsOf(m_sheet);
    const int feeds = grdDop->columnCount() - 3;
    for (int r = 0; r < int(m_lines.size()); ++r) {
        const ExtraNorms::Line& l = m_lines[std::size_t(r)];
        if (!l.fault.isEmpty())
            continue;
        for (int i = 0; i < feeds; ++i) {
            const bool content = std::size_t(i) < l.contents.size() && l.contents[i];
            const bool weight = std::size_t(i) < weights.size() && weights[i];
            QString part = m_noData;
            if (content)
                part = weight ? NumText::format00(l.contents[i].value() * weights[i].value() / 100.0) : mdlRashet::kUndefined;
            setText(grdDop, r, i + 2, part);
            if (!content && m_noData != kNoData)
                grdDop->item(r, i + 2)->setToolTip(kNoData);
        }
        bool weightsKnown = true;
        const std::optional<double> total = totalOf(l, weights, weightsKnown);
        if (!total)
            setText(grdDop, r, feeds + 2, kNoData);
        else if (!weightsKnown)
            setText(grdDop, r, feeds + 2, mdlRashet::kUndefined);
        else
            setText(grdDop, r, feeds + 2, NumText::format00(*total),
                    ExtraNorms::within(l, *total) ? Wizard::kLightGreen : Wizard::kLightRed);
    }
}

QStringList ExtraSection::reportLines(const RacionSheet& sheet)
{
    const RationState& s = ration();
    if (!s.bDop)
        return {};
    QStringList out{kHeading + QStringLiteral(" в 100 г корма:")};
    const std::vector<ExtraNorms::Line> lines = ExtraNorms::lines(s);
    if (lines.empty())
        out << (s.Dop.error.isEmpty() ? QStringLiteral("нормы для этой категории не заданы") : s.Dop.error);
    const std::vector<std::optional<double>> weights = weightsOf(sheet);
    for (const ExtraNorms::Line& l : lines) {
        if (!l.fault.isEmpty()) {
            out << QStringLiteral("%1: не проверяется — %2").arg(nameOf(l), l.fault);
            continue;
        }
        bool weightsKnown = true;
        const std::optional<double> total = totalOf(l, weights, weightsKnown);
        QString value = !total ? kNoData : weightsKnown ? NumText::format00(*total) : mdlRashet::kUndefined;
        QString line = QStringLiteral("%1: %2 (норма %3)").arg(nameOf(l), value, l.normText());
        if (total && weightsKnown && !ExtraNorms::within(l, *total))
            line += QStringLiteral(" — вне нормы");
        out << line;
    }
    return out;
}
