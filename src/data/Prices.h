#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// Feed prices in roubles per kilogram, kept in a fourth table of treba.mdb,
// cena (basa_name_kormow text, cena number), apart from the three reference
// tables so that those keep their columns exactly. A price is looked up by the
// feed's name exactly, as every other lookup, and the first row found is used;
// a feed without a row, or whose price is empty, has no price.
namespace Prices {

inline const QString kTable = QStringLiteral("cena");

// The largest price taken: far beyond any feed, and small enough that no cost
// on the report sheet (up to 32 767 t) loses its kopecks.
constexpr double kMax = 1000000.0;

// A price as cena holds it, read once.
struct Price {
    QVariant stored;
    std::optional<double> value;   // the number stored, when it is one
    // Why the worksheet does not use it (a text, a negative number, one above
    // kMax), in Russian as the price editor's refusals put it ("цена не может
    // быть отрицательной"); empty for a price used or none.
    QString refusal;

    static Price of(const QVariant& stored);
    // As the price editor shows it: the number as text() puts it, anything
    // else as stored.
    QString shown() const;
    // The price the worksheet uses; none when none is stored or it is refused.
    std::optional<double> used() const { return refusal.isEmpty() ? value : std::nullopt; }
};

// A price as the price editor shows it: the locale's decimal separator, no
// trailing zeros ("14,5"); empty for no price.
QString text(std::optional<double> price);

} // namespace Prices
