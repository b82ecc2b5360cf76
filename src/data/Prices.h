#pragma once

#include <QString>
#include <optional>

class Adodc;
class QSqlDatabase;

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

// Creates the empty table through an open connection. Empty when done, else
// SQLite's reason.
QString createTable(const QSqlDatabase& db);

// For a file that has passed the start-up check: adds the empty table when
// the file has none. This is the only change the program makes to the
// structure of an existing file; the other tables are not touched. Empty
// when the file has the table (now), else the reason.
QString addTableIfMissing(const QString& filePath);

// Loads the price of every chosen feed sKorm(0..iMaxKorm) into Cena. When
// the table cannot be read every price is unknown and the reason is returned.
QString load(Adodc& adodc);

// A price as the price editor shows it: the locale's decimal separator, no
// trailing zeros ("14,5"); empty for no price.
QString text(std::optional<double> price);

} // namespace Prices
