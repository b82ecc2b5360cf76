#include "data/Adodc.h"

#include "data/Database.h"

#include <QDir>
#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QAtomicInt g_connectionCounter;
}

QVariant Recordset::Fields(int i) const
{
    if (!hasCurrent() || i < 0 || i >= FieldCount())
        return QVariant();
    return m_fields.at(qsizetype(m_current) * FieldCount() + i);
}

void Recordset::AddNew()
{
    m_fields.resize(m_fields.size() + FieldCount());
    m_current = m_rowCount++;
}

Adodc::Adodc(const QString& databasePath)
    : m_connectionName(QStringLiteral("adodc-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1)))
    , m_path(databasePath.isEmpty() ? Database::path() : databasePath)
{
    ensureOpen();
}

Adodc::~Adodc()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Adodc::isOpen() const
{
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase Adodc::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Adodc::ensureOpen()
{
    if (isOpen())
        return true;
    if (!QFileInfo::exists(m_path)) {
        m_lastError = QStringLiteral("Файл базы данных %1 не найден.").arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(Database::connectOptions());
    if (!db.open()) {
        m_lastError = QStringLiteral("Не удалось открыть базу данных %1: %2")
                          .arg(QDir::toNativeSeparators(m_path), db.lastError().text());
        return false;
    }
    return true;
}

bool Adodc::Refresh()
{
    m_recordset = Recordset();
    if (!ensureOpen())
        return false;
    QString sql = m_recordSource.trimmed();
    // A bare table name is a record source too.
    if (!sql.contains(QLatin1Char(' ')))
        sql = QStringLiteral("SELECT * FROM \"%1\"").arg(sql);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        m_lastError = QStringLiteral("Не удалось выполнить запрос к базе данных %1: %2")
                          .arg(QDir::toNativeSeparators(m_path), query.lastError().text());
        return false;
    }
    const QSqlRecord rec = query.record();
    for (int i = 0; i < rec.count(); ++i)
        m_recordset.m_fieldNames << rec.fieldName(i);
    const int fields = rec.count();
    while (query.next()) {
        for (int i = 0; i < fields; ++i)
            m_recordset.m_fields.append(query.value(i));
        ++m_recordset.m_rowCount;
    }
    if (query.lastError().isValid()) {
        m_lastError = QStringLiteral("Не удалось дочитать данные из базы данных %1 (она повреждена или занята): %2")
                          .arg(QDir::toNativeSeparators(m_path), query.lastError().text());
        m_recordset = Recordset();
        return false;
    }
    m_lastError.clear();
    return true;
}
