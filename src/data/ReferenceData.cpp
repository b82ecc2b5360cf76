#include "data/ReferenceData.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/Statements.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <type_traits>

namespace {
// Commits when every step went well; else rolls back and says why, the
// query's own error first.
QString finishTransaction(QSqlDatabase& db, const QSqlQuery& q, bool ok)
{
    if (ok)
        ok = db.commit();
    if (ok)
        return QString();
    const QString why = q.lastError().isValid() ? q.lastError().text() : db.lastError().text();
    db.rollback();
    return why;
}
} // namespace

Figure::Figure(const QVariant& v)
    : stored(v)
    , value(NumText::variantNumber(v))
{
}

QString Figure::text() const
{
    return NumText::variantText(stored);
}

namespace {

// Columns 1..kCount of a row: the nutrients.
template <std::size_t N>
std::array<Figure, Nutrients::kCount> nutrients(const std::array<QVariant, N>& fields)
{
    std::array<Figure, Nutrients::kCount> out;
    for (std::size_t j = 0; j < out.size(); ++j)
        out[j] = fields[j + 1];
    return out;
}

} // namespace

FeedRow FeedRow::of(const FeedFields& fields)
{
    return {NumText::variantText(fields[0]), nutrients(fields), fields[kLimitColumn], groupOf(fields)};
}

QString FeedRow::groupOf(const FeedFields& fields)
{
    return NumText::variantText(fields[kGroupColumn]);
}

CategoryRow CategoryRow::of(const CategoryFields& fields)
{
    return {NumText::variantText(fields[0]), nutrients(fields), fields[kDailyColumn]};
}

GroupRecord::GroupRecord(const QVariant& group, const QVariant& percent)
    : gruppa(NumText::variantText(group))
    , procent(percent)
{
}

ReferenceData::ReferenceData()
    : m_own(std::make_unique<Adodc>())
    , m_control(*m_own)
{
}

ReferenceData::ReferenceData(Adodc& control)
    : m_control(control)
{
}

ReferenceData::~ReferenceData() = default;

bool ReferenceData::isOpen() const { return m_control.isOpen(); }
QString ReferenceData::lastError() const { return m_control.lastError(); }
QString ReferenceData::databasePath() const { return m_control.databasePath(); }

bool ReferenceData::run(const QString& statement)
{
    m_control.setRecordSource(statement);
    return m_control.Refresh();
}

template <typename Row>
ReferenceData::Found<Row> ReferenceData::lookUp(const QString& statement)
{
    Found<Row> found;
    if (!run(statement)) {
        found.ok = false;
        found.error = m_control.lastError();
        return found;
    }
    const Recordset& rs = m_control.recordset();
    if (!rs.hasCurrent())
        return found;
    if constexpr (std::is_same_v<Row, Figure>) {
        found.row = Figure(rs.Fields(0));
    } else if constexpr (std::is_same_v<Row, Prices::Price>) {
        found.row = Prices::Price::of(rs.Fields(0));
    } else {
        Row fields;
        for (std::size_t j = 0; j < fields.size(); ++j)
            fields[j] = rs.Fields(int(j));
        found.row = fields;
    }
    return found;
}

ReferenceData::Found<FeedFields> ReferenceData::feed(const QString& name)
{
    return lookUp<FeedFields>(Statements::korm(name));
}

ReferenceData::Found<CategoryFields> ReferenceData::category(const QString& name)
{
    return lookUp<CategoryFields>(Statements::kurwi(name));
}

ReferenceData::Found<Figure> ReferenceData::groupLimit(const QString& group)
{
    return lookUp<Figure>(Statements::groupLimit(group));
}

ReferenceData::Found<Prices::Price> ReferenceData::price(const QString& feed)
{
    return lookUp<Prices::Price>(Statements::cena(feed));
}

GroupRecords ReferenceData::groupLimits()
{
    GroupRecords result;
    if (!run(Statements::allGroups)) {
        result.error = m_control.lastError();
        return result;
    }
    Recordset& rs = m_control.recordset();
    const int count = rs.RecordCount();
    rs.MoveFirst();
    for (int i = 0; i < count; ++i) {
        result.records.append({rs.Fields(0), rs.Fields(1)});
        rs.MoveNext();
    }
    result.ok = true;
    return result;
}

std::vector<FeedRow> ReferenceData::feeds()
{
    std::vector<FeedRow> out;
    if (!run(Statements::basaList))
        return out;
    Recordset& rs = m_control.recordset();
    out.reserve(std::size_t(rs.RecordCount()));
    FeedFields fields;
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
        for (std::size_t j = 0; j < fields.size(); ++j)
            fields[j] = rs.Fields(int(j));
        out.push_back(FeedRow::of(fields));
    }
    return out;
}

bool ReferenceData::extraContents(ExtraContents& out)
{
    if (!run(Statements::allExtraContents))
        return false;
    Recordset& rs = m_control.recordset();
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
        QHash<QString, Figure>& feed = out[NumText::variantText(rs.Fields(0))];
        const QString code = NumText::variantText(rs.Fields(1));
        if (!feed.contains(code))
            feed.insert(code, rs.Fields(2));
    }
    return true;
}

bool ReferenceData::feedShares(const QString& category, QHash<QString, FeedShare>& out)
{
    if (!run(Statements::feedShares(category)))
        return false;
    Recordset& rs = m_control.recordset();
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
        const QString feed = NumText::variantText(rs.Fields(0));
        if (!out.contains(feed))
            out.insert(feed, FeedShare{rs.Fields(1), rs.Fields(2)});
    }
    return true;
}

RationExtras ReferenceData::rationExtras(const QString& category, const std::vector<QString>& feeds)
{
    RationExtras x;
    const auto failed = [&] {
        x = RationExtras();
        x.error = QStringLiteral("Аминокислоты, клетчатку и другие показатели не удалось прочитать из базы данных "
                                 "%1: %2").arg(QDir::toNativeSeparators(databasePath()), m_control.lastError());
        return x;
    };
    if (!run(Statements::pokazatelList))
        return failed();
    Recordset& rs = m_control.recordset();
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext())
        x.nutrients.append({NumText::variantText(rs.Fields(0)), NumText::variantText(rs.Fields(1)),
                            NumText::variantText(rs.Fields(2))});
    if (!run(Statements::extraNorms(category)))
        return failed();
    QStringList seen;
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
        const QString code = NumText::variantText(rs.Fields(0));
        if (!seen.contains(code))
            x.norms.append({code, rs.Fields(1), rs.Fields(2)});
        seen << code;
    }
    for (const QString& feed : feeds) {
        if (!run(Statements::extraContents(feed)))
            return failed();
        QHash<QString, Figure>& contents = x.contents.emplace_back();
        for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
            const QString code = NumText::variantText(rs.Fields(0));
            if (!contents.contains(code))
                contents.insert(code, rs.Fields(1));
        }
    }
    QHash<QString, FeedShare> shares;
    if (!feedShares(category, shares))
        return failed();
    for (const QString& feed : feeds)
        x.shares.push_back(shares.contains(feed) ? std::optional<FeedShare>(shares.value(feed)) : std::nullopt);
    return x;
}

QVariant ReferenceData::dataVersion()
{
    return run(QStringLiteral("PRAGMA data_version")) ? m_control.recordset().Fields(0) : QVariant();
}

QString ReferenceData::priceList(std::vector<PricedFeed>& out)
{
    // Read row by row, all at once, so that no statement stays open on the file.
    QSqlQuery q(m_control.database());
    q.setForwardOnly(true);
    bool ok = q.exec(Statements::cenaEditor);
    if (!ok) {
        // A file of an earlier version gains the table now, when it can.
        bool made = false;
        if (const QString missing = priceTableMissing(&made); !missing.isEmpty())
            return missing;
        ok = made && q.exec(Statements::cenaEditor);
    }
    while (ok && q.next())
        out.push_back({NumText::variantText(q.value(0)), Prices::Price::of(q.value(1))});
    if (!ok || q.lastError().isValid())
        return QStringLiteral("Не удалось прочитать цены кормов из базы данных %1. %2")
            .arg(QDir::toNativeSeparators(databasePath()), q.lastError().text());
    return QString();
}

QString ReferenceData::storePrice(const QString& feed, std::optional<double> price)
{
    // One row per priced feed: the old rows of the name go, the new one comes,
    // together or not at all.
    QSqlDatabase db = m_control.database();
    QSqlQuery q(db);
    bool ok = db.transaction();
    ok = ok && q.prepare(QStringLiteral("Delete From cena Where basa_name_kormow = ?"));
    if (ok) {
        q.addBindValue(feed);
        ok = q.exec();
    }
    if (ok && price) {
        ok = q.prepare(QStringLiteral("Insert Into cena (basa_name_kormow, cena) Values (?, ?)"));
        q.addBindValue(feed);
        q.addBindValue(*price);
        ok = ok && q.exec();
    }
    return finishTransaction(db, q, ok);
}

QString ReferenceData::priceTableMissing(bool* made)
{
    *made = false;
    if (!run(QStringLiteral("Select count(*) From sqlite_master Where type = 'table' And name = '%1'")
                 .arg(Prices::kTable))
        || m_control.recordset().Fields(0).toInt() != 0)
        return QString();
    bool readOnly = false;
    const QString error = Database::addPriceTableIfMissing(databasePath(), &readOnly);
    *made = error.isEmpty();
    if (*made)
        return QString();
    if (readOnly)
        return QStringLiteral("Файл базы данных %1 доступен только для чтения, а таблицы цен в нем нет "
                              "(это файл прежней версии программы): цены кормов хранить негде.")
            .arg(QDir::toNativeSeparators(databasePath()));
    return QStringLiteral("В базе данных %1 нет таблицы цен, и создать ее не удалось: %2")
        .arg(QDir::toNativeSeparators(databasePath()), error);
}

QString ReferenceData::rows(const QString& statement, QList<QVariantList>& out)
{
    QSqlQuery q(m_control.database());
    q.setForwardOnly(true);
    bool ok = q.exec(statement);
    while (ok && q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        out << row;
    }
    if (!ok || q.lastError().isValid())
        return QStringLiteral("Не удалось прочитать базу данных %1: %2")
            .arg(QDir::toNativeSeparators(databasePath()), q.lastError().text());
    return QString();
}

QString ReferenceData::writeFeeds(const QList<FeedWrite>& feeds)
{
    QSqlDatabase db = m_control.database();
    QSqlQuery q(db);
    const QStringList columns = Database::tables().at(0).columns;
    const auto exec = [&q](const QString& statement, const QVariantList& values) {
        if (!q.prepare(statement))
            return false;
        for (const QVariant& v : values)
            q.addBindValue(v);
        return q.exec();
    };
    bool ok = db.transaction();
    for (const FeedWrite& f : feeds) {
        if (!ok)
            break;
        if (f.isNew) {
            QVariantList values{f.name};
            for (int c = 1; c < columns.size(); ++c)
                values << f.basa.value(c);
            ok = exec(QStringLiteral("Insert Into basa Values (?%1)").arg(QStringLiteral(", ?").repeated(columns.size() - 1)),
                      values);
        }
        for (auto it = f.basa.begin(); ok && !f.isNew && it != f.basa.end(); ++it)
            ok = exec(QStringLiteral("Update basa Set %1 = ? Where basa_name_kormow = ?").arg(columns.at(it.key())),
                      {it.value(), f.name});
        for (auto it = f.extras.begin(); ok && it != f.extras.end(); ++it) {
            ok = exec(QStringLiteral("Delete From basa_pokazatel Where basa_name_kormow = ? And kod = ?"), {f.name, it.key()});
            if (ok && !it.value().isNull())
                ok = exec(QStringLiteral("Insert Into basa_pokazatel (basa_name_kormow, kod, znachenie) Values (?, ?, ?)"),
                          {f.name, it.key(), it.value()});
        }
        if (ok && f.price) {
            ok = exec(QStringLiteral("Delete From cena Where basa_name_kormow = ?"), {f.name});
            if (ok && !f.price->isNull())
                ok = exec(QStringLiteral("Insert Into cena (basa_name_kormow, cena) Values (?, ?)"), {f.name, *f.price});
        }
    }
    return finishTransaction(db, q, ok);
}

QString ReferenceData::writeRows(const QList<RowWrite>& rows)
{
    QSqlDatabase db = m_control.database();
    QSqlQuery q(db);
    bool ok = db.transaction();
    for (const RowWrite& r : rows) {
        const QStringList columns = Database::tables().at(r.table).columns;
        const QString table = Database::tables().at(r.table).name;
        if (r.isNew) {
            ok = ok && q.prepare(QStringLiteral("Insert Into %1 Values (?%2)").arg(table, QStringLiteral(", ?").repeated(columns.size() - 1)));
            q.addBindValue(r.name);
            for (int c = 1; c < columns.size(); ++c)
                q.addBindValue(r.columns.value(c, QVariant(QMetaType::fromType<double>())));
            ok = ok && q.exec();
        }
        for (auto it = r.columns.begin(); ok && !r.isNew && it != r.columns.end(); ++it) {
            ok = q.prepare(QStringLiteral("Update %1 Set %2 = ? Where %3 = ?").arg(table, columns.at(it.key()), columns.first()));
            q.addBindValue(it.value());
            q.addBindValue(r.name);
            ok = ok && q.exec();
        }
    }
    return finishTransaction(db, q, ok);
}
