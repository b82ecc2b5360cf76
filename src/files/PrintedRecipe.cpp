#include "files/PrintedRecipe.h"

#include "data/NumText.h"
#include "data/Nutrients.h"
#include "engine/mdlRashet.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace PrintedRecipe {

namespace {

const QString kNoPrice = QStringLiteral("нет цены");

// The page's font: the application's at 10 points.
QFont pageFont()
{
    QFont f = QGuiApplication::font();
    f.setPointSizeF(10);
    return f;
}

QTextCharFormat strong(bool bold = true, double scale = 1.0)
{
    QTextCharFormat f;
    if (bold)
        f.setFontWeight(QFont::Bold);
    if (scale != 1.0)
        f.setFontPointSize(pageFont().pointSizeF() * scale);
    return f;
}

// A paragraph of its own after what is there, `gap` points below it.
void paragraph(QTextCursor& c, const QString& text, const QTextCharFormat& format = {}, double gap = 0)
{
    QTextBlockFormat b;
    b.setTopMargin(gap);
    c.insertBlock(b, format);
    c.insertText(text, format);
}

// A table as wide as the page, its columns at these shares of the width;
// ruled with its first row as the heading (repeated on a new page), or bare.
QTextTable* table(QTextCursor& c, int rows, const QList<qreal>& percents, bool ruled)
{
    QTextTableFormat f;
    // A ruled table's outer border lies outside its width: a hair is left for it.
    f.setWidth(QTextLength(QTextLength::PercentageLength, ruled ? 99 : 100));
    QList<QTextLength> widths;
    for (qreal p : percents)
        widths << QTextLength(QTextLength::PercentageLength, p);
    f.setColumnWidthConstraints(widths);
    f.setCellSpacing(0);
    f.setCellPadding(3);
    f.setTopMargin(4);
    f.setBorderCollapse(true);
    f.setBorder(ruled ? 1 : 0);
    f.setBorderStyle(ruled ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
    f.setHeaderRowCount(ruled ? 1 : 0);
    QTextTable* t = c.insertTable(rows, int(percents.size()), f);
    c.movePosition(QTextCursor::End);
    return t;
}

// A figure keeps to one line; a name or a heading may wrap within its column.
void put(QTextTable* t, int row, int column, const QString& text, Qt::Alignment align = Qt::AlignLeft,
         bool oneLine = false, bool bold = false)
{
    QTextCursor c = t->cellAt(row, column).firstCursorPosition();
    QTextBlockFormat b;
    b.setNonBreakableLines(oneLine);
    b.setAlignment(align);
    c.setBlockFormat(b);
    c.insertText(text, strong(bold));
}
void heading(QTextTable* t, int column, const QString& text)
{
    put(t, 0, column, text, Qt::AlignHCenter, false, true);
}

// Kilograms of compound feed in all: the amounts as shown, added.
QString totalKilograms(const QStringList& amounts)
{
    double total = 0;
    for (const QString& a : amounts) {
        const std::optional<double> v = NumText::toDouble(a);
        if (!v)
            return mdlRashet::kUndefined;
        total += *v;
    }
    return NumText::plain(NumText::roundHalfEven(total, 1));
}

// The batches: their count and size, each size's weights, and how far the
// rounded weights move the ration from the recipe.
void batchSheet(QTextCursor& cur, const BatchSheet::Sheet& s)
{
    paragraph(cur, QStringLiteral("Замесы"), strong(), 10);
    paragraph(cur, QStringLiteral("Емкость смесителя: %1 кг. %2.").arg(s.capacity, Batches::summary(s.plan)));
    for (int i = 0; i < s.plan.batches.size(); ++i) {
        const Batches::Batch& b = s.plan.batches.at(i);
        paragraph(cur, BatchSheet::title(s.plan, i), strong(), 6);
        const int feeds = int(std::min<std::size_t>(std::size_t(s.names.size()), b.weights.size()));
        QTextTable* t = table(cur, feeds + 2, {70, 30}, true);
        heading(t, 0, QStringLiteral("Корм"));
        heading(t, 1, QStringLiteral("На замес, кг"));
        for (int f = 0; f < feeds; ++f) {
            put(t, f + 1, 0, s.names.at(f));
            put(t, f + 1, 1, Batches::kg(b.weights[std::size_t(f)]), Qt::AlignRight, true);
        }
        put(t, feeds + 1, 0, QStringLiteral("Итого"), Qt::AlignLeft, false, true);
        put(t, feeds + 1, 1, Batches::kg(b.size), Qt::AlignRight, true, true);
    }
    paragraph(cur, QStringLiteral("Отклонение замеса от рецепта, %"), strong(), 10);
    const QStringList nutrients = Nutrients::forms(&Nutrients::Nutrient::report);
    QTextTable* d = table(cur, 2, QList<qreal>(nutrients.size(), 100.0 / qreal(nutrients.size())), true);
    for (int k = 0; k < int(nutrients.size()); ++k) {
        put(d, 0, k, nutrients.at(k), Qt::AlignHCenter);
        put(d, 1, k, Batches::percent(s.plan.deviation[std::size_t(k)]), Qt::AlignHCenter, true);
    }
    for (int i = 0; i < s.plan.notes.size(); ++i)
        paragraph(cur, s.plan.notes.at(i), {}, i == 0 ? 4 : 0);
}

} // namespace

void build(QTextDocument& document, const Recipe& recipe)
{
    const TextReport::Captions& c = recipe.captions;
    document.clear();
    document.setDefaultFont(pageFont());
    QTextCursor cur(&document);
    cur.insertText(recipe.racion ? QStringLiteral("Рецепт рациона") : QStringLiteral("Рецепт комбикорма"), strong(true, 1.4));

    QTextTable* head = table(cur, 4, {45, 55}, false);
    const QStringList labels{QStringLiteral("Дата:"), QStringLiteral("Категория птицы:"),
                             recipe.racion ? QStringLiteral("Количество птицы:") : QStringLiteral("Количество комбикорма:"),
                             QStringLiteral("Суточная потребность птицы в O/Э:")};
    const QStringList values{recipe.date.toString(QStringLiteral("dd.MM.yyyy")), c.Label3,
                             c.Text1 + (recipe.racion ? QStringLiteral(" гол.") : QStringLiteral(" т")),
                             c.Label6 + QStringLiteral(" ккалл")};
    for (int row = 0; row < 4; ++row) {
        put(head, row, 0, labels.at(row));
        put(head, row, 1, values.at(row), Qt::AlignLeft, false, true);
    }

    // The deviations, each under its nutrient.
    paragraph(cur, QStringLiteral("Погрешность балансирования нормированного корма %"), strong(), 10);
    const QStringList nutrients = Nutrients::forms(&Nutrients::Nutrient::report);
    QTextTable* deviations = table(cur, 2, QList<qreal>(nutrients.size(), 100.0 / qreal(nutrients.size())), true);
    for (int k = 0; k < int(nutrients.size()); ++k) {
        put(deviations, 0, k, nutrients.at(k), Qt::AlignHCenter);
        put(deviations, 1, k, c.lblProcent.at(std::size_t(k)), Qt::AlignHCenter, true);
    }

    // The recipe; the costs where any feed has a price.
    paragraph(cur, QStringLiteral("Рецепт"), strong(), 10);
    const int feeds = int(c.lbl_1.size());
    bool anyPrice = false, allPriced = true;
    QStringList unpriced;
    for (int i = 0; i < feeds; ++i) {
        const bool priced = recipe.priced.value(i);
        anyPrice = anyPrice || priced;
        allPriced = allPriced && priced;
        if (!priced)
            unpriced << QStringLiteral("«%1»").arg(c.lbl_1.at(i));
    }
    const QList<qreal> widths = anyPrice ? QList<qreal>{46, 18, 12, 24} : QList<qreal>{60, 24, 16};
    QTextTable* t = table(cur, feeds + 2, widths, true);
    const QStringList headings{QStringLiteral("Корм"), QStringLiteral("Количество"), QStringLiteral("Ед. изм."),
                               QStringLiteral("Стоимость, руб.")};
    for (int k = 0; k < int(widths.size()); ++k)
        heading(t, k, headings.at(k));
    const auto cost = [](const QString& shown) { return shown.isEmpty() ? mdlRashet::kUndefined : shown; };
    for (int i = 0; i < feeds; ++i) {
        put(t, i + 1, 0, c.lbl_1.at(i));
        put(t, i + 1, 1, c.lblWes.value(i), Qt::AlignRight, true);
        put(t, i + 1, 2, c.lblGramm.value(i), Qt::AlignLeft, true);
        if (anyPrice)
            put(t, i + 1, 3, recipe.priced.value(i) ? cost(c.lblCena.value(i)) : kNoPrice, Qt::AlignRight, true);
    }
    const int last = feeds + 1;
    if (recipe.racion) {
        put(t, last, 0, c.Label10, Qt::AlignLeft, false, true);
        put(t, last, 1, c.lblObqiWes, Qt::AlignRight, true, true);
        put(t, last, 2, QStringLiteral("грамм"), Qt::AlignLeft, true, true);
    } else {
        put(t, last, 0, QStringLiteral("Общий вес комбикорма"), Qt::AlignLeft, false, true);
        put(t, last, 1, totalKilograms(c.lblWes), Qt::AlignRight, true, true);
        put(t, last, 2, QStringLiteral("кг"), Qt::AlignLeft, true, true);
    }
    if (anyPrice)
        put(t, last, 3, allPriced ? cost(c.lblCenaItog) : mdlRashet::kUndefined, Qt::AlignRight, true, true);
    if (anyPrice && !allPriced)
        paragraph(cur, QStringLiteral("Общая стоимость не подсчитана: нет цены для %1.").arg(unpriced.join(QStringLiteral(", "))),
                  {}, 4);
    if (!recipe.racion)
        paragraph(cur, c.Label10 + QStringLiteral(": ") + c.lblObqiWes + QStringLiteral(" грамм"), {}, 8);

    for (int i = 0; i < int(recipe.extras.size()); ++i)
        paragraph(cur, recipe.extras.at(i), {}, i == 0 ? 10 : 0);
    if (recipe.batches)
        batchSheet(cur, *recipe.batches);
}

QString pdfFileName(bool racion, const QString& category)
{
    static const QString refused = QStringLiteral("<>:\"/\\|?*()[]{}");
    QString clean;
    for (const QChar ch : category)
        clean += ch.category() == QChar::Other_Control || refused.contains(ch) ? QChar(u' ') : ch;
    clean = clean.simplified();
    // A name of a sane length whatever the category (a byte limit of 255 in UTF-8).
    if (clean.size() > 100)
        clean.truncate(clean.at(99).isHighSurrogate() ? 99 : 100);
    while (clean.endsWith(QLatin1Char('.')) || clean.endsWith(QLatin1Char(' ')))
        clean.chop(1);
    QString name = racion ? QStringLiteral("Рецепт рациона") : QStringLiteral("Рецепт комбикорма");
    if (!clean.isEmpty())
        name += QStringLiteral(" — ") + clean;
    return name + QStringLiteral(".pdf");
}

} // namespace PrintedRecipe
