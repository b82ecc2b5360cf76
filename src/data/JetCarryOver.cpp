#include "data/Database.h"
#include "data/JetFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace JetFile {

namespace {

// Equal as stored: both null, or the same text, or the same double exactly.
bool same(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (a.typeId() == QMetaType::QString)
        return b.typeId() == QMetaType::QString && a.toString() == b.toString();
    return b.typeId() == QMetaType::Double && a.toDouble() == b.toDouble();
}

// Writes every row of the reference tables from the old file into the new
// one, then reads both again and compares each value. Counts by table.
QString copyTables(Reader& jet, const QString& newPath, QList<int>& counts, QStringList& leftBehind)
{
    const QString name = QStringLiteral("jet-carry-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(newPath);
        if (!db.open() || !db.transaction())
            error = db.lastError().text();
        for (const Database::Table& t : Database::tables()) {
            if (!error.isEmpty())
                break;
            QStringList marks;
            for (int i = 0; i < t.columns.size(); ++i)
                marks << QStringLiteral("?");
            QSqlQuery q(db);
            if (!q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(t.name, marks.join(QLatin1Char(','))))) {
                error = q.lastError().text();
                break;
            }
            int n = 0;
            error = jet.read(t.name, t.columns, [&](const QVariantList& values) {
                for (int i = 0; i < values.size(); ++i)
                    q.bindValue(i, values.at(i).isNull() ? QVariant(QMetaType::fromType<double>()) : values.at(i));
                if (!q.exec()) {
                    error = q.lastError().text();
                    return false;
                }
                return ++n <= Database::kMaxRecords;
            }, &leftBehind);
            if (error.isEmpty() && n > Database::kMaxRecords)
                error = QStringLiteral("в таблице %1 больше %2 записей").arg(t.name).arg(Database::kMaxRecords);
            counts << n;
        }
        if (error.isEmpty() && !db.commit())
            error = db.lastError().text();
        // The read-back: the new file's rows in order against the old file's.
        for (int k = 0; k < Database::tables().size() && error.isEmpty(); ++k) {
            const Database::Table& t = Database::tables().at(k);
            QSqlQuery q(db);
            q.setForwardOnly(true);
            if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(t.name))) {
                error = q.lastError().text();
                break;
            }
            int n = 0;
            error = jet.read(t.name, t.columns, [&](const QVariantList& values) {
                bool equal = q.next();
                for (int i = 0; equal && i < values.size(); ++i)
                    equal = same(values.at(i), q.value(i));
                if (!equal)
                    error = QStringLiteral("строка %1 таблицы %2 в новой базе не совпала со старой").arg(n + 1).arg(t.name);
                ++n;
                return equal;
            });
            if (error.isEmpty() && (n != counts.at(k) || q.next()))
                error = QStringLiteral("в таблице %1 новой базы не то число строк").arg(t.name);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

// The extra nutrients come with the default data for the feeds and
// categories of the same names, as in an older database of this program:
// the new file's empty tables make way for the ones the program adds to it.
QString fillExtraTables(const QString& newPath)
{
    const QString name = QStringLiteral("jet-extra-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(newPath);
        if (!db.open())
            error = db.lastError().text();
        for (const Database::Table& t : Database::extraTables()) {
            QSqlQuery q(db);
            if (error.isEmpty() && !q.exec(QStringLiteral("DROP TABLE %1").arg(t.name)))
                error = q.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error.isEmpty() ? Database::addExtraTablesIfMissing(newPath) : error;
}

// The first free name of <path>.old, .old.1, .old.2, ...
QString oldName(const QString& path)
{
    QString name = path + QStringLiteral(".old");
    for (int i = 1; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++i)
        name = path + QStringLiteral(".old.%1").arg(i);
    return name;
}

} // namespace

QString carryOver(const QString& path, QString* report)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto refused = [&](const QString& why) {
        return QStringLiteral("Данные из файла %1 не перенесены: %2. Файл оставлен без изменений.").arg(shown, why);
    };
    Reader jet(path);
    if (!jet.error().isEmpty())
        return refused(jet.error());
    const QString temp = path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error = Database::create(temp, false);
    QList<int> counts;
    QStringList leftBehind;
    if (error.isEmpty())
        error = copyTables(jet, temp, counts, leftBehind);
    if (error.isEmpty())
        error = fillExtraTables(temp);
    if (!error.isEmpty()) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        return refused(error);
    }
    const QString old = oldName(path);
    if (!QFile::rename(path, old)) {
        QFile::remove(temp);
        return refused(QStringLiteral("его не удалось переименовать в %1").arg(QDir::toNativeSeparators(old)));
    }
    if (!QFile::rename(temp, path)) {
        QFile::rename(old, path);
        QFile::remove(temp);
        return refused(QStringLiteral("новую базу не удалось поставить на его место"));
    }
    for (const QString& other : jet.tables()) {
        bool ours = false;
        for (const Database::Table& t : Database::tables())
            ours = ours || other.compare(t.name, Qt::CaseInsensitive) == 0;
        if (!ours)
            leftBehind << other;
    }
    if (report) {
        *report = QStringLiteral("Данные перенесены в новую базу %1: кормов — %2, категорий птицы — %3, групп кормов — %4. "
                                 "Старый файл сохранен под именем %5.")
                      .arg(shown).arg(counts.value(0)).arg(counts.value(1)).arg(counts.value(2))
                      .arg(QFileInfo(old).fileName());
        if (!leftBehind.isEmpty())
            *report += QStringLiteral(" Не перенесены (программа их не использует): %1.").arg(leftBehind.join(QStringLiteral(", ")));
    }
    return QString();
}

} // namespace JetFile
