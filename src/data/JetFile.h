#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// The reference tables of an old treba.mdb, a Microsoft Jet file (Jet 3 of
// Access 97 with its text in a code page, Jet 4 of Access 2000 with UCS-2
// text), read row by row for carrying them over into a new database. The
// reader needs libmdb; a build without it has only the header check.
namespace JetFile {

enum class Format { NotJet, Jet3, Jet4 };

// What the file's header says it is (any build; an unreadable file is NotJet).
Format formatOf(const QString& path);

// Whether this build can read Jet files.
bool supported();

class Reader {
public:
    explicit Reader(const QString& path);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Empty when the file is open, else why not (Russian).
    QString error() const;
    // The user tables, as stored.
    QStringList tables() const;
    // Every row of `table` in stored order, its `columns` (by name, any case)
    // in that order: text as a string (empty stays empty), numbers as double,
    // NULL as a null QVariant. `row` returns false to stop. Empty when done,
    // else the reason (a missing table or column named, no row given). The
    // table's other columns go to *extra.
    QString read(const QString& table, const QStringList& columns,
                 const std::function<bool(const QVariantList&)>& row, QStringList* extra = nullptr);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Carries the three reference tables of the Jet file at `path` over into a
// new database of this program made beside it, checks every value read back,
// keeps the old file as <path>.old (.old.1, .old.2, ... when taken) and puts
// the new one in its place. Empty when done, and *report then says what
// came over (Russian); else the reason, with the old file untouched.
QString carryOver(const QString& path, QString* report);

} // namespace JetFile
