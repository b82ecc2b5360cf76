#pragma once

#include "data/ReferenceData.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class RacionSheet;
namespace TextReport {
struct Captions;
}

// The feed library in and out as spreadsheets: text in UTF-8 (a BOM written
// first, so that a spreadsheet program knows it), ';' between the fields,
// CR LF after each row, numbers with the decimal comma. Reading takes the
// file with or without the BOM, a point as well as a comma, and a file in
// Windows-1251, as older spreadsheet programs save it.
namespace FeedSheets {

// A larger file is no table of feeds: it is refused before it is read.
constexpr qint64 kMaxImportBytes = 8 * 1024 * 1024;
// The header of the price column (the feeds' other columns are headed with
// the names of basa's columns and the codes of the extra nutrients).
inline const QString kPriceColumn = QStringLiteral("cena");

// The rows as the file holds them.
QByteArray document(const QList<QStringList>& rows);
// A stored value as a cell: a number with the decimal comma and without an
// exponent, a null value empty, a text as it is.
QString cell(const QVariant& value);

// "Корма": every feed with every column of basa, its extra nutrients and its
// price. Empty when read, else the reason.
QString feeds(ReferenceData& data, QList<QStringList>& out);
// "Нормы птицы": every category with every column of kurwi and its extra
// norms, "lizin min_norma", "lizin max_norma" and so on.
QString norms(ReferenceData& data, QList<QStringList>& out);
// "Рацион": the worksheet's feeds, weights, contributions, totals and
// deviations, and the report sheet's amounts where there is one.
QList<QStringList> ration(const RacionSheet& sheet, const std::optional<TextReport::Captions>& report);

// What an import would do, line by line.
struct Entry {
    int line = 0;
    QString feed;
    QString text;   // the new values, the changes (old → new) or why the line is refused
    int table = 0;  // an old database's: 0 a feed, 1 a category, 2 a group
    bool operator==(const Entry&) const = default;
};
struct Plan {
    QString error;              // the whole file refused (Russian); then nothing else is set
    QList<FeedWrite> writes;    // what "Применить" writes, in file order
    QList<Entry> added, changed, refused;
    int unchanged = 0;          // the lines that hold nothing new
    bool oldDatabase = false;   // an old database's three tables, written as `rows`
    QList<RowWrite> rows;
};
// Reads a table of feeds or a price list (the feed's name plus any of the
// known columns, in any order, under the headers the export writes) against
// the database. An empty cell leaves a value as it is. `fileName` goes into
// the messages.
Plan plan(const QByteArray& bytes, ReferenceData& data, const QString& fileName);

// What carrying over the feeds, categories and groups of an old database
// (an Access file, read whole) would add and change, checked as a table's
// lines are: a row is new, or changes the values that differ (an empty
// value leaves one as it is), or is refused with its reason. The whole file
// is refused as at start-up.
Plan planOldDatabase(const QString& path, ReferenceData& data);

} // namespace FeedSheets
