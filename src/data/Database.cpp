#include "data/Database.h"

#include "data/Csv.h"
#include "data/Nutrients.h"
#include "data/Prices.h"
#include "data/TextFile.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <functional>
#include <optional>

// The default data are compiled into the core library, a static library, so
// its resources must be registered by hand before the first use.
static void initDefaultDataResource()
{
    static const bool done = [] { Q_INIT_RESOURCE(racion); return true; }();
    (void)done;
}

namespace Database {

namespace {

QAtomicInt g_counter;

// A connection that is closed and removed when it goes out of scope.
class ScopedConnection {
public:
    ScopedConnection(const QString& filePath, bool readOnly, int busyTimeoutMs = kBusyTimeoutMs)
        : m_name(QStringLiteral("db-start-%1").arg(g_counter.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(filePath);
        QString opts = busyTimeoutMs == kBusyTimeoutMs
            ? connectOptions() : QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs);
        if (readOnly)
            opts += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(opts);
        m_ok = db.open();
        if (!m_ok)
            m_error = db.lastError().text();
    }
    ~ScopedConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

private:
    QString m_name;
    bool m_ok = false;
    QString m_error;
};

// Loads the default rows of `table`; a row `keep` refuses is left out. An
// empty figure in a number column is stored as null.
QString loadCsv(QSqlDatabase& db, const Table& table,
                const std::function<bool(const QStringList&)>& keep = {})
{
    initDefaultDataResource();
    QFile f(QStringLiteral(":/data/%1.csv").arg(table.name));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("нет встроенных данных для таблицы %1").arg(table.name);
    int badLine = 0;
    const auto records = Csv::parse(QString::fromUtf8(f.readAll()), &badLine);
    if (!records)
        return QStringLiteral("строка %1 встроенной таблицы %2 не разобрана").arg(badLine).arg(table.name);
    QStringList marks;
    for (int i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table.name, marks.join(QLatin1Char(',')))))
        return q.lastError().text();
    for (qsizetype n = 1; n < records->size(); ++n) {   // record 0 is the header
        const auto& [line, fields] = records->at(n);
        if (fields.size() != table.columns.size())
            return QStringLiteral("строка %1 встроенной таблицы %2 не разобрана").arg(line).arg(table.name);
        if (keep && !keep(fields))
            continue;
        for (int i = 0; i < fields.size(); ++i) {
            if (table.types.at(i) == QLatin1String("REAL") && fields.at(i).isEmpty()) {
                q.bindValue(i, QVariant());
            } else if (table.types.at(i) == QLatin1String("REAL")) {
                bool ok = false;
                const double v = fields.at(i).toDouble(&ok);
                if (!ok)
                    return QStringLiteral("строка %1 встроенной таблицы %2: не число").arg(line).arg(table.name);
                q.bindValue(i, v);
            } else {
                q.bindValue(i, fields.at(i));
            }
        }
        if (!q.exec())
            return q.lastError().text();
    }
    return QString();
}

} // namespace

const QList<Table>& tables()
{
    static const QList<Table> t = [] {
        const QString text = QStringLiteral("TEXT"), real = QStringLiteral("REAL");
        Table basa{QStringLiteral("basa"), {QStringLiteral("basa_name_kormow")}, {text}};
        Table kurwi{QStringLiteral("kurwi"), {QStringLiteral("kategoriy_ptici")}, {text}};
        for (const Nutrients::Nutrient& n : Nutrients::all()) {
            basa.columns << n.basaColumn;
            kurwi.columns << n.kurwiColumn;
            basa.types << real;
            kurwi.types << real;
        }
        basa.columns << QStringLiteral("granic") << QStringLiteral("gruppa");
        basa.types << real << text;
        kurwi.columns << QStringLiteral("dawat_gr");
        kurwi.types << real;
        const Table granica{QStringLiteral("granica"), {QStringLiteral("gruppa"), QStringLiteral("procent")}, {text, real}};
        return QList<Table>{basa, kurwi, granica};
    }();
    return t;
}

const QList<Table>& extraTables()
{
    static const QList<Table> t = [] {
        const QString text = QStringLiteral("TEXT"), real = QStringLiteral("REAL");
        return QList<Table>{
            {QStringLiteral("pokazatel"),
             {QStringLiteral("kod"), QStringLiteral("nazvanie"), QStringLiteral("edinica"), QStringLiteral("poryadok")},
             {text, text, text, QStringLiteral("INTEGER")}},
            {QStringLiteral("basa_pokazatel"),
             {QStringLiteral("basa_name_kormow"), QStringLiteral("kod"), QStringLiteral("znachenie")}, {text, text, real}},
            {QStringLiteral("kurwi_pokazatel"),
             {QStringLiteral("kategoriy_ptici"), QStringLiteral("kod"), QStringLiteral("min_norma"),
              QStringLiteral("max_norma")},
             {text, text, real, real}},
            {QStringLiteral("kurwi_korm"),
             {QStringLiteral("kategoriy_ptici"), QStringLiteral("basa_name_kormow"), QStringLiteral("min_dacha"),
              QStringLiteral("max_dacha")},
             {text, text, real, real}},
        };
    }();
    return t;
}

QString path()
{
    return QDir::current().absoluteFilePath(kFileName);
}

QString connectOptions()
{
    // Another connection writing holds the file only for a moment; a lock held
    // longer than this is reported rather than waited out.
    return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
}

QString check(const QString& filePath)
{
    QFile f(filePath);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("Файл базы данных %1 не удается прочитать: %2").arg(QDir::toNativeSeparators(filePath), f.errorString());
    const QByteArray head = f.read(16);
    f.close();
    if (head != QByteArray("SQLite format 3\0", 16))
        return QStringLiteral("Файл %1 не является базой данных этой программы (это не база SQLite). "
                              "Файл оставлен без изменений.").arg(QDir::toNativeSeparators(filePath));
    // A journal left by an interrupted write is rolled back by SQLite when the
    // file is opened for writing, as on any normal open; read-only, it could
    // not be, and the whole file would be refused. Nothing but reads follows.
    const bool journalLeft = QFileInfo::exists(filePath + QStringLiteral("-journal"));
    ScopedConnection c(filePath, !journalLeft);
    if (!c.ok())
        return QStringLiteral("Базу данных %1 не удается открыть: %2").arg(QDir::toNativeSeparators(filePath), c.error());
    for (const Table& t : tables()) {
        QSqlQuery q(c.db());
        if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.name)))
            return QStringLiteral("Базу данных %1 не удается прочитать (она занята или повреждена): %2")
                .arg(QDir::toNativeSeparators(filePath), q.lastError().text());
        QStringList cols;
        while (q.next())
            cols << q.value(1).toString();
        if (cols.isEmpty())
            return QStringLiteral("В базе данных %1 нет таблицы %2. Файл оставлен без изменений.").arg(QDir::toNativeSeparators(filePath), t.name);
        for (int i = 0; i < t.columns.size(); ++i) {
            if (i >= cols.size() || cols.at(i).compare(t.columns.at(i), Qt::CaseInsensitive) != 0)
                return QStringLiteral("В таблице %1 базы данных %2 нет столбца %3 на месте %4. "
                                      "Файл оставлен без изменений.")
                    .arg(t.name, QDir::toNativeSeparators(filePath), t.columns.at(i)).arg(i + 1);
        }
        // A real read, so that a locked or damaged file shows up now.
        QSqlQuery probe(c.db());
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(t.name)))
            return QStringLiteral("Базу данных %1 не удается прочитать (она занята или повреждена): %2")
                .arg(QDir::toNativeSeparators(filePath), probe.lastError().text());
    }
    // The count above may come from an index alone; a damaged table shows up
    // only when its pages are walked.
    QSqlQuery integrity(c.db());
    if (!integrity.exec(QStringLiteral("PRAGMA quick_check")))
        return QStringLiteral("Базу данных %1 не удается прочитать (она занята или повреждена): %2")
            .arg(QDir::toNativeSeparators(filePath), integrity.lastError().text());
    QStringList faults;
    while (integrity.next() && faults.size() < 3)
        faults << integrity.value(0).toString();
    if (integrity.lastError().isValid())
        faults << integrity.lastError().text();
    if (faults != QStringList{QStringLiteral("ok")})
        return QStringLiteral("База данных %1 повреждена, работать с ней нельзя. Файл оставлен без изменений. "
                              "Проверка SQLite: %2")
            .arg(QDir::toNativeSeparators(filePath), faults.join(QStringLiteral("; ")));
    return QString();
}

namespace {

// Removes what an interrupted first creation left beside target (the file
// built as "<target>.new-<uuid>" and its journal), unless it is being built
// right now: such a file was written to a moment ago, or is locked.
void removeLeftovers(const QString& target)
{
    const QFileInfo t(target);
    const QString prefix = t.fileName() + QStringLiteral(".new-");
    const QString journal = QStringLiteral("-journal");
    // Matched by hand: a name filter is a regular expression, whose library
    // costs a start half a megabyte.
    QFileInfoList found;
    for (QDirIterator it(t.absolutePath(), QDir::Files | QDir::Hidden); it.hasNext();) {
        it.next();
        if (it.fileName().startsWith(prefix))
            found << it.fileInfo();
    }
    for (const QFileInfo& f : found) {
        const QString id = f.fileName().mid(prefix.size());
        if (id.size() != 36 || QUuid::fromString(id).isNull())
            continue;   // a journal (handled with its file) or not a name this program makes
        if (f.lastModified().secsTo(QDateTime::currentDateTime()) < 2)
            continue;
        {
            ScopedConnection c(f.absoluteFilePath(), false, 0);
            QSqlQuery q(c.db());
            const bool locked = c.ok() && !q.exec(QStringLiteral("BEGIN EXCLUSIVE"))
                                && q.lastError().nativeErrorCode() == QLatin1String("5");   // SQLITE_BUSY
            if (locked)
                continue;   // another start is building it
            q.exec(QStringLiteral("ROLLBACK"));
        }
        QFile::remove(f.absoluteFilePath() + journal);
        QFile::remove(f.absoluteFilePath());
    }
}

} // namespace

namespace {

QAtomicInt g_priceCounter;

QSqlError makeTable(const QSqlDatabase& db, const Table& t)
{
    QStringList cols;
    for (int i = 0; i < t.columns.size(); ++i)
        cols << t.columns.at(i) + QLatin1Char(' ') + t.types.at(i);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(t.name, cols.join(QStringLiteral(", ")))))
        return q.lastError();
    // Lookups go by name; an index keeps them fast. No unique key: the
    // first row found is the one used.
    q.exec(QStringLiteral("CREATE INDEX %1_name ON %1 (%2)").arg(t.name, t.columns.first()));
    return q.lastError();
}

// The names in the first column of a table, or nullopt when it cannot be read.
std::optional<QSet<QString>> namesOf(const QSqlDatabase& db, const QString& table, const QString& column)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(column, table)))
        return std::nullopt;
    QSet<QString> out;
    while (q.next())
        out.insert(q.value(0).toString());
    return out;
}
constexpr auto kReadOnly = "8";   // SQLITE_READONLY

QSqlError runPlain(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    q.exec(sql);
    return q.lastError();
}

// The table, or only the index its lookups by name go through: without it
// every lookup walks the whole table, and the price editor, which looks up
// every feed, takes the square of the table's size.
QSqlError makePriceTable(const QSqlDatabase& db, bool table)
{
    QSqlError e;
    if (table)
        e = runPlain(db, QStringLiteral("CREATE TABLE %1 (basa_name_kormow TEXT, cena REAL)").arg(Prices::kTable));
    if (!e.isValid())
        e = runPlain(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1_name ON %1 (basa_name_kormow)").arg(Prices::kTable));
    return e;
}

QString createPriceTable(const QSqlDatabase& db)
{
    const QSqlError e = makePriceTable(db, true);
    return e.isValid() ? e.text() : QString();
}

} // namespace

QString addPriceTableIfMissing(const QString& filePath, bool* readOnly)
{
    bool refused = false;
    const QString name = QStringLiteral("cena-start-%1").arg(g_priceCounter.fetchAndAddRelaxed(1));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(filePath);
        db.setConnectOptions(connectOptions());
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            // Looked for and made in one write transaction, so two programs
            // starting at once cannot both make it.
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                error = q.lastError().text();
                refused = q.lastError().nativeErrorCode() == QLatin1String(kReadOnly);
            } else {
                q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                           .arg(Prices::kTable));
                if (!q.next())
                    error = q.lastError().text();
                const bool missing = error.isEmpty() && q.value(0).toInt() == 0;
                q.finish();
                // In a read-only file SQLite refuses either; nothing is
                // written when both are there.
                if (const QSqlError e = error.isEmpty() ? makePriceTable(db, missing) : QSqlError(); e.isValid()) {
                    error = e.text();
                    refused = e.nativeErrorCode() == QLatin1String(kReadOnly);
                }
                if (!q.exec(error.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && error.isEmpty())
                    error = q.lastError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (readOnly)
        *readOnly = refused;
    return error;
}

QString addExtraTablesIfMissing(const QString& filePath, bool* readOnly)
{
    bool refused = false;
    QString error;
    {
        ScopedConnection c(filePath, false);
        QSqlDatabase db = c.db();
        QSqlQuery q(db);
        if (!c.ok()) {
            error = c.error();
        } else if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            // Looked for and made in one write transaction, so two programs
            // starting at once cannot both make them.
            error = q.lastError().text();
            refused = q.lastError().nativeErrorCode() == QLatin1String(kReadOnly);
        } else {
            const auto feeds = namesOf(db, QStringLiteral("basa"), QStringLiteral("basa_name_kormow"));
            const auto categories = namesOf(db, QStringLiteral("kurwi"), QStringLiteral("kategoriy_ptici"));
            if (!feeds || !categories)
                error = QStringLiteral("таблицы basa и kurwi не читаются");
            // Only the default rows of feeds and categories this file has, by
            // their exact names; every nutrient of the default list.
            const auto matches = [&](const Table& t, const QStringList& f) {
                for (int i = 0; i < t.columns.size(); ++i) {
                    if (t.columns.at(i) == QLatin1String("basa_name_kormow") && !feeds->contains(f.at(i)))
                        return false;
                    if (t.columns.at(i) == QLatin1String("kategoriy_ptici") && !categories->contains(f.at(i)))
                        return false;
                }
                return true;
            };
            for (const Table& t : extraTables()) {
                if (!error.isEmpty())
                    break;
                q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                           .arg(t.name));
                if (!q.next()) {
                    error = q.lastError().text();
                    break;
                }
                const bool missing = q.value(0).toInt() == 0;
                q.finish();
                if (!missing)
                    continue;
                if (const QSqlError e = makeTable(db, t); e.isValid()) {
                    error = e.text();
                    refused = e.nativeErrorCode() == QLatin1String(kReadOnly);
                } else {
                    error = loadCsv(db, t, [&](const QStringList& f) { return matches(t, f); });
                }
            }
            if (!q.exec(error.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && error.isEmpty())
                error = q.lastError().text();
        }
    }
    if (readOnly)
        *readOnly = refused;
    return error;
}

QString create(const QString& filePath, bool withDefaultData)
{
    ScopedConnection c(filePath, false);
    if (!c.ok())
        return c.error();
    QSqlDatabase db = c.db();
    // A new file, not yet in use, whose caller syncs it once it is complete:
    // its journal stays in memory and SQLite waits for no disk on the way.
    QSqlQuery pragmas(db);
    if (!pragmas.exec(QStringLiteral("PRAGMA journal_mode=MEMORY")) || !pragmas.exec(QStringLiteral("PRAGMA synchronous=OFF")))
        return pragmas.lastError().text();
    pragmas.finish();
    if (!db.transaction())
        return db.lastError().text();
    for (const Table& t : tables() + extraTables()) {
        if (const QSqlError e = makeTable(db, t); e.isValid())
            return e.text();
        if (withDefaultData) {
            const QString err = loadCsv(db, t);
            if (!err.isEmpty()) {
                db.rollback();
                return err;
            }
        }
    }
    // The prices are the user's own: a new file has none.
    if (const QString err = createPriceTable(db); !err.isEmpty()) {
        db.rollback();
        return err;
    }
    if (!db.commit())
        return db.lastError().text();
    return QString();
}

StartupResult ensure(const QString& filePath)
{
    const QString target = filePath.isEmpty() ? path() : filePath;
    StartupResult r;
    removeLeftovers(target);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        r.message = check(target);
        r.ok = r.message.isEmpty();
        // A sound file of an earlier version gains the empty price table, or
        // its index. When it cannot (a read-only file), the program works
        // without them, and the price editor says why when prices cannot be kept.
        if (r.ok) {
            addPriceTableIfMissing(target);
            addExtraTablesIfMissing(target);
        }
        return r;
    }
    // Built under another name and moved into place only when complete, so
    // an interrupted start never leaves a half-made treba.mdb behind.
    const QString temp = target + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString err = create(temp, true);
    if (err.isEmpty() && !TextFile::syncToDisk(temp))
        err = QStringLiteral("файл не записан на диск");
    if (!err.isEmpty()) {
        QFile::remove(temp);
        r.message = QStringLiteral("Не удалось создать базу данных %1: %2").arg(target, err);
        return r;
    }
    if (!QFile::rename(temp, target)) {
        QFile::remove(temp);
        if (QFileInfo::exists(target)) {   // made by someone else meanwhile
            r.message = check(target);
            r.ok = r.message.isEmpty();
            return r;
        }
        r.message = QStringLiteral("Не удалось создать базу данных %1.").arg(target);
        return r;
    }
    r.ok = true;
    r.created = true;
    return r;
}

} // namespace Database
