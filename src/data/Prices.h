#pragma once

#include <QString>
#include <QVariant>
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

// Creates the empty table, with the index its lookups by name go through,
// through an open connection. Empty when done, else SQLite's reason.
QString createTable(const QSqlDatabase& db);

// For a file that has passed the start-up check: adds the empty table when
// the file has none, and its index when the table has none (a file of an
// earlier version). This is the only change the program makes to the
// structure of an existing file; the other tables are not touched. Empty
// when the file has both (now), else the reason; *readOnly tells whether it
// is that the file cannot be written.
QString addTableIfMissing(const QString& filePath, bool* readOnly = nullptr);

// After the price table could not be read through the data control: when it
// is missing, it is made now if the file takes it (*made set: read it again);
// else the reason in Russian, which says so when the file is read-only. Empty
// when the table is there (its failure is another one) or made now.
QString missingTable(Adodc& adodc, bool* made);

// Loads the price of every chosen feed sKorm(0..iMaxKorm) into Cena; a feed
// whose name cannot be looked up (a NUL in it) has none, the others keep
// theirs. When the table cannot be read every price is unknown and the reason
// is returned; when it is missing from a read-only file, CenaNowhere says so.
QString load(Adodc& adodc);

// Why the worksheet does not use a stored price (a text, a negative number,
// one above kMax), in Russian as the price editor's refusals put it
// ("цена не может быть отрицательной"); empty for a price used or none.
QString refusal(const QVariant& stored);

// A price as the price editor shows it: the locale's decimal separator, no
// trailing zeros ("14,5"); empty for no price.
QString text(std::optional<double> price);

} // namespace Prices
