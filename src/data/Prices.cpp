#include "data/Prices.h"

#include "data/Database.h"
#include "data/NumText.h"

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

Price Price::of(const QVariant& stored)
{
    Price p;
    p.stored = stored;
    if (stored.isNull() || !stored.isValid())
        return p;
    p.value = NumText::variantNumber(stored);
    if (!p.value)
        p.refusal = QStringLiteral("это не число");
    else if (*p.value < 0)
        p.refusal = QStringLiteral("цена не может быть отрицательной");
    else if (*p.value > kMax)
        p.refusal = QStringLiteral("цена не может быть больше %1 руб. за 1 кг").arg(NumText::plain(kMax));
    return p;
}

QString Price::shown() const
{
    return value || stored.isNull() ? text(value) : NumText::variantText(stored);
}

QString text(std::optional<double> price)
{
    return price ? NumText::plain(*price) : QString();
}

} // namespace Prices
