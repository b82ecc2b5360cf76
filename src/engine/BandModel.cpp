#include "engine/BandModel.h"

#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/ExtraNorms.h"
#include "engine/mdlRashet.h"

#include <algorithm>
#include <cmath>

namespace Bands {

namespace {

QString fault(const Figure& v, const QString& what)
{
    const QString text = v.text();
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
    return j >= 1 && j <= kNutrients ? Nutrients::at(j).name : QString();
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

Norm normOf(const QString& code, const QString& name, const QString& unit, int nutrient,
            std::optional<double> low, std::optional<double> high)
{
    Norm n{code, name, unit, nutrient, low, high, 1.0};
    const double ref = low && *low > 0.0 ? *low : high.value_or(0.0);
    n.reference = ref > 0.0 ? ref : 1.0;
    return n;
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

    std::vector<FeedRow> rows;
    for (int i = 0; i < s.feedCount(); ++i) {
        const FeedRow& row = rows.emplace_back(FeedRow::of(s.DataKorm[i]));
        Feed f;
        f.name = row.name;
        f.group = row.group;
        for (int j = 0; j < M; ++j) {
            if (const auto v = row.content[j].value) {
                f.content[j] = *v;
            } else {
                r.faults << fault(row.content[j], QStringLiteral("%1 в корме «%2»").arg(nutrientName(j + 1), f.name));
                r.unknown[j] = true;
            }
        }
        if (row.limit.value && *row.limit.value >= 0.0) {
            f.limit = *row.limit.value;
        } else {
            r.faults << fault(row.limit, QStringLiteral("норма дачи корма «%1»").arg(f.name));
            r.limitsUnknown = true;
        }
        m.feeds.push_back(f);
    }

    std::array<double, kNutrients> requirement{};
    const CategoryRow category = CategoryRow::of(s.NormaKur);
    for (int j = 0; j < M; ++j) {
        const auto v = category.requirement[j].value;
        if (v && *v > 0.0) {
            requirement[j] = *v;
        } else {
            r.faults << fault(category.requirement[j], QStringLiteral("потребность (%1) для «%2»")
                                                           .arg(nutrientName(j + 1), category.name));
            r.unknown[j] = true;
        }
    }
    setBands(m, requirement, tol, vitamins, sur);
    // A content read but out of range is named, and what needs it skipped.
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        for (int j = 0; j < M; ++j) {
            const Figure& v = rows[i].content[j];
            const QString why = v.value ? outOfRange(*v.value, m.bands[j]) : QString();
            if (!why.isEmpty()) {
                r.outOfRange << QStringLiteral("%1 в корме «%2» («%3») — %4")
                                    .arg(nutrientName(j + 1), m.feeds[i].name, v.text(), why);
                r.unknown[j] = true;
            }
        }
    }

    // A group limit as the worksheet judges it: a whole number of grams; one
    // too large for that limits nothing.
    for (const GroupRecord& g : groups) {
        Group group;
        group.name = g.gruppa;
        const auto p = g.procent.value;
        if (p && *p >= 0.0) {
            const auto whole = NumText::toInt16(*p);
            group.limit = whole ? double(*whole) : 1e9;
        } else if (hasMember(m, group.name)) {
            r.faults << fault(g.procent, QStringLiteral("ограничение группы «%1»").arg(group.name));
            r.limitsUnknown = true;
        }
        m.groups.push_back(group);
    }

    if (s.bDop) {
        const std::vector<ExtraNorms::Line> lines = ExtraNorms::lines(s);
        const ExtraNorms::Faults faults = ExtraNorms::faults(s, lines);
        r.faults << faults.missing;
        r.outOfRange << faults.invalid;
        for (const ExtraNorms::Line& l : lines) {
            if (!l.fault.isEmpty())
                continue;
            m.norms.push_back(normOf(l.code, l.name, l.unit, l.nutrient, l.low, l.high));
            for (std::size_t i = 0; i < m.feeds.size(); ++i)
                m.feeds[i].extra.push_back(i < l.contents.size() ? l.contents[i].value_or(0.0) : 0.0);
        }
        for (std::size_t i = 0; i < m.feeds.size(); ++i)
            if (const auto share = ExtraNorms::share(s, int(i))) {
                m.feeds[i].least = share->least;
                m.feeds[i].limit = share->most.value_or(m.feeds[i].limit);
            }
    }
    return r;
}

Candidates candidates(const std::vector<FeedRow>& table, const Model& m, const Extras& extras)
{
    Candidates out;
    for (const FeedRow& t : table) {
        if (std::any_of(m.feeds.begin(), m.feeds.end(), [&](const Feed& c) { return c.name == t.name; }))
            continue;
        Feed f;
        f.name = t.name;
        bool usable = true;
        QString bad;   // the first figure out of range
        for (int j = 0; j < kNutrients && usable; ++j) {
            if (!m.bands[j].used)
                continue;
            usable = t.content[j].value.has_value();
            f.content[j] = t.content[j].value.value_or(0.0);
            const QString why = usable && bad.isEmpty() ? outOfRange(f.content[j], m.bands[j]) : QString();
            if (!why.isEmpty())
                bad = QStringLiteral("%1 «%2» — %3").arg(nutrientName(j + 1), NumText::plain(f.content[j]), why);
        }
        f.group = t.group;
        const Group* g = groupOf(m, f.group);
        const std::optional<double> limit = t.limit.value;
        if (usable && bad.isEmpty() && limit && *limit < 0.0)
            bad = QStringLiteral("норма дачи «%1» — отрицательное").arg(NumText::plain(*limit));
        if (usable && !bad.isEmpty())
            out.outOfRange << QStringLiteral("«%1» (%2)").arg(f.name, bad);
        if (!usable || !bad.isEmpty() || !limit || *limit <= 0.0 || (g && !g->limit))
            continue;
        f.limit = *limit;
        // With norms: every content they need, and the category's own limits.
        const QHash<QString, Figure> own = extras.contents.value(f.name);
        for (const Norm& n : m.norms) {
            const std::optional<double> v =
                ExtraNorms::usable(n.nutrient > 0 ? t.content[n.nutrient - 1] : own.value(n.code));
            usable = usable && v;
            f.extra.push_back(v.value_or(0.0));
        }
        if (!usable)
            continue;
        if (!m.norms.empty() && extras.shares.contains(f.name)) {
            const ExtraNorms::Share share = ExtraNorms::shareOf(extras.shares[f.name]);
            f.least = share.least;
            f.limit = share.most.value_or(f.limit);
        }
        out.feeds.push_back(f);
    }
    return out;
}

Extras readExtras(ReferenceData& data, const Model& m, const QString& category)
{
    Extras x;
    if (!m.norms.empty()) {
        data.extraContents(x.contents);
        data.feedShares(category, x.shares);
    }
    return x;
}

Candidates readCandidates(ReferenceData& data, const Model& m, const QString& category)
{
    return candidates(data.feeds(), m, readExtras(data, m, category));
}

} // namespace Bands
