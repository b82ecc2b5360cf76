#pragma once
// The editors folder holds the grids over the three reference tables (feeds,
// poultry categories, group limits) and what they accept: a value the
// calculation could not use is refused with a message before it reaches the
// database, and a row is written only when all of it is sound.

#include <QString>
#include <QVariant>

namespace EditorRules {

enum class Kind {
    Name,            // the row's name: text, not empty, no double quote or line break
    Text,            // other text (a feed's group): may be empty, no double quote or line break
    Number,          // a number not below zero, required
    OptionalNumber,  // the same, but may stay empty (the daily requirement)
    Share,           // a share of the ration in %: may stay empty, not above 100
    Choice,          // one of the values of a list (a feed, a category, a code), required
};

struct Check {
    bool ok = false;
    QVariant value;   // what is stored when ok: a QString, a double, or null
    QString message;  // why not, in Russian, naming the column
};

// A value typed into a cell of the column headed `caption`. Numbers are taken
// with a point (a comma is taken too) and are stored as numbers.
Check cell(Kind kind, const QString& caption, const QVariant& input);

// A value as a row is written: the same rules, and a required value must be
// there. Empty message when the value may be written.
QString rowValue(Kind kind, const QString& caption, const QVariant& value);

// A price typed for `feed` in the price editor: a number not below zero and
// not above Prices::kMax, with a comma or a point whatever the locale; empty
// for no price (a null value). The refusal names the feed.
Check price(const QString& feed, const QString& text);

// A number as the grids show it and take it back: the locale's decimal
// separator (as the worksheet shows it), no exponent, no trailing zeros
// ("8,5", "0,00012", "335" in a Russian locale).
QString numberText(double value);

} // namespace EditorRules
