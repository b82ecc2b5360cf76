#pragma once

#include <QString>
#include <QStringList>

// The reference database treba.mdb: its three tables with their columns in
// fixed order, the start-up check, and the default data set that a new user
// gets when the file is absent.
namespace Database {

inline const QString kFileName = QStringLiteral("treba.mdb");

struct Table {
    QString name;
    QStringList columns;   // in table order
    QStringList types;     // SQLite column types, same order
};
const QList<Table>& tables();
// The tables of the extra nutrients (pokazatel), the feeds' contents of them
// (basa_pokazatel), the categories' norms of them or own bounds on one of the
// eight (kurwi_pokazatel) and the per-category feed limits (kurwi_korm). A file
// of an earlier version lacks them; the program works without them.
const QList<Table>& extraTables();

// treba.mdb in the current working directory, as an absolute path.
QString path();
// The connection options every connection uses (a short wait on a lock).
QString connectOptions();
// How long a statement waits for a lock another connection holds.
constexpr int kBusyTimeoutMs = 2000;
// Record counts are 16-bit: a table with more rows than this is refused.
constexpr int kMaxRecords = 32767;

struct StartupResult {
    bool ok = false;
    bool created = false;   // the file was absent and has been made with the default data
    QString message;        // Russian, names the file and what is wrong; empty when ok
};

// Makes sure the file at `filePath` (default: path()) can serve. An absent file
// is created with the default data set (built beside it and moved into place
// only when complete). A file that exists is never overwritten or deleted,
// and one that cannot serve is only read; a sound one without the price
// table gains it, empty, and one whose price table has no index gains that
// (addPriceTableIfMissing), and one without the extra tables gains them
// (addExtraTablesIfMissing), and nothing else. A read-only one serves
// without either.
StartupResult ensure(const QString& filePath = QString());

// Checks an existing file: an SQLite database with the three tables and their
// columns in order. Empty when it can serve, else the reason in Russian.
QString check(const QString& filePath);

// For a file that has passed the start-up check: adds the empty price table
// when the file has none, and its index when the table has none (a file of an
// earlier version). This is the only change the program makes to the
// structure of an existing file; the other tables are not touched. Empty
// when the file has both (now), else the reason; *readOnly tells whether it
// is that the file cannot be written.
QString addPriceTableIfMissing(const QString& filePath, bool* readOnly = nullptr);

// For a file that has passed the start-up check: makes each of the extra
// tables it lacks, filled with the default data for the feeds and categories
// whose names match the default data exactly (every nutrient of the default
// list). Tables it has are left as they are, and so is every other table.
// Empty when the file has them all (now), else the reason; *readOnly tells
// whether it is that the file cannot be written.
QString addExtraTablesIfMissing(const QString& filePath, bool* readOnly = nullptr);

// Creates a new database at filePath with the three tables (and an index on
// each name column) and the extra tables, filled from the CSV files of the
// default data set when withDefaultData is set, and the empty price table
// with its index. The file is meant to be new and not yet in use: it is
// written without waiting for the disk, and the caller syncs it (or writes
// it again in a transaction of its own) before moving it into place. Empty
// when done, else the reason.
QString create(const QString& filePath, bool withDefaultData = true);

} // namespace Database
