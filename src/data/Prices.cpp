#include "data/Prices.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Prices {

namespace {
QAtomicInt g_counter;
}

QString createTable(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (basa_name_kormow TEXT, cena REAL)").arg(kTable)))
        return q.lastError().text();
    return QString();
}

QString addTableIfMissing(const QString& filePath)
{
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
            } else {
                q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                           .arg(kTable));
                if (!q.next()) {
                    error = q.lastError().text();
                } else if (q.value(0).toInt() == 0) {
                    error = createTable(db);
                }
                q.finish();
                if (!q.exec(error.isEmpty() ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && error.isEmpty())
                    error = q.lastError().text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString load(Adodc& adodc)
{
    RationState& s = ration();
    s.Cena = {};
    for (int i = 0; i < s.feedCount(); ++i) {
        adodc.setRecordSource(Statements::cena(s.sKorm[i]));
        if (!adodc.Refresh()) {
            s.Cena = {};
            return adodc.lastError();
        }
        const std::optional<double> price = NumText::variantNumber(adodc.recordset().Fields(0));
        if (price && *price >= 0 && *price <= kMax)
            s.Cena[i] = *price;
    }
    return QString();
}

QString text(std::optional<double> price)
{
    return price ? NumText::plain(*price) : QString();
}

} // namespace Prices
