#include "data/Prices.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "data/mdlAddItem.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Prices {

namespace {

QAtomicInt g_counter;
constexpr auto kReadOnly = "8";   // SQLITE_READONLY

QSqlError run(const QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    q.exec(sql);
    return q.lastError();
}

// The table, or only the index its lookups by name go through: without it
// every lookup walks the whole table, and the price editor, which looks up
// every feed, takes the square of the table's size.
QSqlError make(const QSqlDatabase& db, bool table)
{
    QSqlError e;
    if (table)
        e = run(db, QStringLiteral("CREATE TABLE %1 (basa_name_kormow TEXT, cena REAL)").arg(kTable));
    if (!e.isValid())
        e = run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1_name ON %1 (basa_name_kormow)").arg(kTable));
    return e;
}

} // namespace

QString createTable(const QSqlDatabase& db)
{
    const QSqlError e = make(db, true);
    return e.isValid() ? e.text() : QString();
}

QString addTableIfMissing(const QString& filePath, bool* readOnly)
{
    bool refused = false;
    const QString name = QStringLiteral("cena-start-%1").arg(g_counter.fetchAndAddRelaxed(1));
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(filePath);
        db.setConnectOptions(Database::connectOptions());
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
                           .arg(kTable));
                if (!q.next())
                    error = q.lastError().text();
                const bool missing = error.isEmpty() && q.value(0).toInt() == 0;
                q.finish();
                // In a read-only file SQLite refuses either; nothing is
                // written when both are there.
                if (const QSqlError e = error.isEmpty() ? make(db, missing) : QSqlError(); e.isValid()) {
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

QString missingTable(Adodc& adodc, bool* made)
{
    *made = false;
    adodc.setRecordSource(
        QStringLiteral("Select count(*) From sqlite_master Where type = 'table' And name = '%1'").arg(kTable));
    if (!adodc.Refresh() || adodc.recordset().Fields(0).toInt() != 0)
        return QString();
    bool readOnly = false;
    const QString error = addTableIfMissing(adodc.databasePath(), &readOnly);
    *made = error.isEmpty();
    if (*made)
        return QString();
    if (readOnly)
        return QStringLiteral("Файл базы данных %1 доступен только для чтения, а таблицы цен в нем нет "
                              "(это файл прежней версии программы): цены кормов хранить негде.")
            .arg(adodc.databasePath());
    return QStringLiteral("В базе данных %1 нет таблицы цен, и создать ее не удалось: %2")
        .arg(adodc.databasePath(), error);
}

QString load(Adodc& adodc)
{
    RationState& s = ration();
    s.Cena = {};
    s.CenaNowhere.clear();
    for (int i = 0; i < s.feedCount(); ++i) {
        // Such a name would cut the statement short; the cost line names it.
        if (mdlAddItem::lookupRefused(s.sKorm[i]))
            continue;
        adodc.setRecordSource(Statements::cena(s.sKorm[i]));
        if (!adodc.Refresh()) {
            s.Cena = {};
            const QString error = adodc.lastError();
            bool made = false;   // a table made just now holds no price yet
            s.CenaNowhere = missingTable(adodc, &made);
            return error;
        }
        const QVariant stored = adodc.recordset().Fields(0);
        if (refusal(stored).isEmpty())
            s.Cena[i] = NumText::variantNumber(stored);
    }
    return QString();
}

QString refusal(const QVariant& stored)
{
    if (stored.isNull() || !stored.isValid())
        return QString();
    const std::optional<double> price = NumText::variantNumber(stored);
    if (!price)
        return QStringLiteral("это не число");
    if (*price < 0)
        return QStringLiteral("цена не может быть отрицательной");
    if (*price > kMax)
        return QStringLiteral("цена не может быть больше %1 руб. за 1 кг").arg(NumText::plain(kMax));
    return QString();
}

QString text(std::optional<double> price)
{
    return price ? NumText::plain(*price) : QString();
}

} // namespace Prices
