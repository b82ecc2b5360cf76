#include "engine/BandModel.h"

#include "data/Adodc.h"
#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "engine/mdlRashet.h"

#include <algorithm>
#include <cmath>

namespace Bands {

namespace {

const char* const kNames[kNutrients] = {"обменная энергия", "протеин", "кальций", "фосфор",
                                        "натрий", "витамин A", "витамин D3", "витамин B2"};

std::optional<double> finite(const QVariant& v)
{
    const auto d = NumText::variantNumber(v);
    if (!d || !std::isfinite(*d))
        return std::nullopt;
    return d;
}

QString fault(const QVariant& v, const QString& what)
{
    const QString text = NumText::variantText(v);
    if (text.trimmed().isEmpty())
        return QStringLiteral("не задано: %1").arg(what);
    return QStringLiteral("не число: %1 («%2»)").arg(what, text);
}

bool hasMember(const Model& m, const QString& group)
{
    return std::any_of(m.feeds.begin(), m.feeds.end(), [&](const Feed& f) { return f.group == group; });
}

const Group* groupOf(const Model& m, const QString& name)
{
    for (const Group& g : m.groups)
        if (g.name == name)
            return &g;
    return nullptr;
}

} // namespace

std::optional<double> coefficient(double content, const Band& b)
{
    const double c = content / b.requirement;
    if (std::isfinite(c) && std::fabs(c) < 1e12)
        return c;
    return std::nullopt;
}

QString outOfRange(double content, const Band& band)
{
    if (content < 0.0)
        return QStringLiteral("отрицательное");
    if (!Fixed4::fromDouble(content) || (band.requirement > 0.0 && !coefficient(content, band)))
        return QStringLiteral("слишком большое");
    return QString();
}

QString nutrientName(int j)
{
    return j >= 1 && j <= kNutrients ? QString::fromUtf8(kNames[j - 1]) : QString();
}

void setBands(Model& m, const std::array<double, kNutrients>& requirement, double tolerance, bool vitamins,
              double surplus)
{
    for (int j = 0; j < kNutrients; ++j) {
        Band& b = m.bands[j];
        b.used = j < kMain || vitamins;
        b.requirement = requirement[j];
        b.low = 100.0 - tolerance;
        b.high = 100.0 + (j < kMain ? tolerance : surplus);
    }
}

Reading read(const RationState& s, const QList<GroupRecord>& groups, const QString& tolerance,
             const QString& surplus, bool vitamins)
{
    Reading r;
    Model& m = r.model;
    const int M = vitamins ? kNutrients : kMain;

    double tol = 0.0, sur = 0.0;
    if (const auto t = mdlRashet::readTolerance(tolerance)) {
        tol = t->toDouble();
    } else {
        r.faults << QStringLiteral("погрешность «%1» — не число").arg(tolerance);
        r.limitsUnknown = true;
    }
    if (vitamins) {
        if (const auto t = mdlRashet::readTolerance(surplus)) {
            sur = t->toDouble();
        } else {
            r.faults << QStringLiteral("допуск витаминов «%1» — не число").arg(surplus);
            r.limitsUnknown = true;
        }
    }

    for (int i = 0; i < s.feedCount(); ++i) {
        Feed f;
        f.name = NumText::variantText(s.DataKorm[i][0]);
        f.group = NumText::variantText(s.DataKorm[i][10]);
        for (int j = 0; j < M; ++j) {
            if (const auto v = finite(s.DataKorm[i][j + 1])) {
                f.content[j] = *v;
            } else {
                r.faults << fault(s.DataKorm[i][j + 1],
                                  QStringLiteral("%1 в корме «%2»").arg(nutrientName(j + 1), f.name));
                r.unknown[j] = true;
            }
        }
        const auto limit = finite(s.DataKorm[i][9]);
        if (limit && *limit >= 0.0) {
            f.limit = *limit;
        } else {
            r.faults << fault(s.DataKorm[i][9], QStringLiteral("норма дачи корма «%1»").arg(f.name));
            r.limitsUnknown = true;
        }
        m.feeds.push_back(f);
    }

    std::array<double, kNutrients> requirement{};
    const QString category = NumText::variantText(s.NormaKur[0]);
    for (int j = 0; j < M; ++j) {
        const auto v = finite(s.NormaKur[j + 1]);
        if (v && *v > 0.0) {
            requirement[j] = *v;
        } else {
            r.faults << fault(s.NormaKur[j + 1], QStringLiteral("потребность (%1) для «%2»")
                                                     .arg(nutrientName(j + 1), category));
            r.unknown[j] = true;
        }
    }
    setBands(m, requirement, tol, vitamins, sur);
    // A content read but out of range is named, and what needs it skipped.
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        for (int j = 0; j < M; ++j) {
            const QVariant& v = s.DataKorm[i][j + 1];
            const auto content = finite(v);
            const QString why = content ? outOfRange(*content, m.bands[j]) : QString();
            if (!why.isEmpty()) {
                r.outOfRange << QStringLiteral("%1 в корме «%2» («%3») — %4")
                                    .arg(nutrientName(j + 1), m.feeds[i].name, NumText::variantText(v), why);
                r.unknown[j] = true;
            }
        }
    }

    // A group limit as the worksheet judges it: a whole number of grams; one
    // too large for that limits nothing.
    for (const GroupRecord& g : groups) {
        Group group;
        group.name = NumText::variantText(g.gruppa);
        const auto p = finite(g.procent);
        if (p && *p >= 0.0) {
            const auto whole = NumText::toInt16(*p);
            group.limit = whole ? double(*whole) : 1e9;
        } else if (hasMember(m, group.name)) {
            r.faults << fault(g.procent, QStringLiteral("ограничение группы «%1»").arg(group.name));
            r.limitsUnknown = true;
        }
        m.groups.push_back(group);
    }
    return r;
}

std::vector<TableFeed> readTable(Adodc& adodc)
{
    std::vector<TableFeed> out;
    adodc.setRecordSource(Statements::basaList);
    if (!adodc.Refresh())
        return out;
    Recordset& rs = adodc.recordset();
    out.reserve(std::size_t(rs.RecordCount()));
    for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
        TableFeed f;
        f.name = NumText::variantText(rs.Fields(0));
        for (int j = 0; j < kNutrients; ++j)
            f.content[j] = finite(rs.Fields(j + 1));
        f.limit = finite(rs.Fields(9));
        f.group = NumText::variantText(rs.Fields(10));
        out.push_back(std::move(f));
    }
    return out;
}

Candidates candidates(const std::vector<TableFeed>& table, const Model& m)
{
    Candidates out;
    for (const TableFeed& t : table) {
        if (std::any_of(m.feeds.begin(), m.feeds.end(), [&](const Feed& c) { return c.name == t.name; }))
            continue;
        Feed f;
        f.name = t.name;
        bool usable = true;
        QString bad;   // the first figure out of range
        for (int j = 0; j < kNutrients && usable; ++j) {
            if (!m.bands[j].used)
                continue;
            usable = t.content[j].has_value();
            f.content[j] = t.content[j].value_or(0.0);
            const QString why = usable && bad.isEmpty() ? outOfRange(f.content[j], m.bands[j]) : QString();
            if (!why.isEmpty())
                bad = QStringLiteral("%1 «%2» — %3").arg(nutrientName(j + 1), NumText::plain(f.content[j]), why);
        }
        f.group = t.group;
        const Group* g = groupOf(m, f.group);
        if (usable && bad.isEmpty() && t.limit && *t.limit < 0.0)
            bad = QStringLiteral("норма дачи «%1» — отрицательное").arg(NumText::plain(*t.limit));
        if (usable && !bad.isEmpty())
            out.outOfRange << QStringLiteral("«%1» (%2)").arg(f.name, bad);
        if (!usable || !bad.isEmpty() || !t.limit || *t.limit <= 0.0 || (g && !g->limit))
            continue;
        f.limit = *t.limit;
        out.feeds.push_back(f);
    }
    return out;
}

Candidates readCandidates(Adodc& adodc, const Model& m)
{
    return candidates(readTable(adodc), m);
}

} // namespace Bands
