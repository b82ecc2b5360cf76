#pragma once

#include "files/BatchSheet.h"
#include "files/TextReport.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <optional>

class QTextDocument;

// The recipe as it goes on paper (or into a PDF) from "Печать...": the date,
// the category, the number of birds or tonnes, the worksheet's deviations
// under their headings, and the feeds in a table as wide as the page, each
// feed on one row (a long name wraps inside its column, the amount, the unit
// and the cost stay on the row), with the total weight and cost below them.
// The batch sheet, when there is one, follows: a table for each size of
// batch. The text report keeps its own layout (TextReport).
namespace PrintedRecipe {

struct Recipe {
    TextReport::Captions captions;   // as the report sheet shows them
    QStringList extras;              // the extra nutrients against their norms, line by line
    bool racion = true;              // grams a day for birds; false: kilograms in tonnes of compound feed
    QList<bool> priced;              // per feed: whether it has a price
    QDate date;
    // The batch sheet, once the user has split the tonnes into batches.
    std::optional<BatchSheet::Sheet> batches{};
};

// Fills the document (cleared first) with the recipe.
void build(QTextDocument& document, const Recipe& recipe);

// The name the PDF of a recipe is offered under: "Рецепт комбикорма — Бройлеры
// старт 1-3 нед.pdf". What no file name may hold on Windows or Linux (and the
// brackets) becomes a blank, blanks run together, and dots and blanks at the
// end go, so that nothing of the category is taken for an extension.
QString pdfFileName(bool racion, const QString& category);

} // namespace PrintedRecipe
