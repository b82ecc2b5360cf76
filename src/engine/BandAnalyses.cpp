#include "engine/BandAnalyses.h"

#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace Bands {

namespace {

// What the solver's own tolerances may leave on a bound.
constexpr double kEps = 1e-7;

using Entries = std::vector<std::pair<int, double>>;

// Narrowings of the bands and limits, grown after rounding put a written
// ration outside what the worksheet accepts.
struct Margins {
    std::array<double, kNutrients> low{}, high{};
    std::vector<double> feed, least, group, normLow, normHigh;
    explicit Margins(const Model& m)
        : feed(m.feeds.size(), 0.0), least(m.feeds.size(), 0.0), group(m.groups.size(), 0.0)
        , normLow(m.norms.size(), 0.0), normHigh(m.norms.size(), 0.0) {}
};

Programme limits(const Model& m, bool total, const Margins& margins)
{
    Programme p;
    const int n = int(m.feeds.size());
    for (int i = 0; i < n; ++i)
        p.lp.addColumn(feedBounds(m.feeds[i].limit, margins.feed[i], m.feeds[i].least + margins.least[i]));
    if (total) {
        Entries all;
        for (int i = 0; i < n; ++i)
            all.push_back({i, 1.0});
        p.total = p.lp.addRow({100.0, 100.0}, std::move(all));
    }
    p.groups.assign(m.groups.size(), -1);
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        if (!m.groups[g].limit || *m.groups[g].limit >= 100.0)
            continue;
        Entries members;
        for (int i = 0; i < n; ++i)
            if (m.feeds[i].group == m.groups[g].name)
                members.push_back({i, 1.0});
        const double limit = std::max(0.0, *m.groups[g].limit - margins.group[g]);
        p.groups[g] = p.lp.addRow({-Lp::kInfinity, limit}, std::move(members));
    }
    p.bands.fill(-1);
    p.norms.assign(m.norms.size(), -1);
    return p;
}

// A norm's row in percent of its reference per gram; nullopt when a content
// is beyond what the solver takes.
std::optional<Entries> normRow(const Model& m, std::size_t n)
{
    Entries row;
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        const double content = n < m.feeds[i].extra.size() ? m.feeds[i].extra[n] : 0.0;
        const double c = content / m.norms[n].reference;
        if (!std::isfinite(c) || std::fabs(c) >= 1e12)
            return std::nullopt;
        if (c != 0.0)
            row.push_back({int(i), c});
    }
    return row;
}

// A norm's bounds in percent of its reference, narrowed by margins (in its units).
std::optional<Lp::Bounds> normBounds(const Norm& n, double lowMargin = 0.0, double highMargin = 0.0)
{
    Lp::Bounds b{-Lp::kInfinity, Lp::kInfinity};
    if (n.low)
        b.low = (*n.low + lowMargin) / n.reference * 100.0;
    if (n.high)
        b.high = (*n.high - highMargin) / n.reference * 100.0;
    if (b.low > b.high)
        return std::nullopt;
    return b;
}

// Nutrient k + 1 of every chosen feed in percent of the requirement per
// gram; nullopt when the solver cannot take one of them.
std::optional<Entries> percentRow(const Model& m, int k)
{
    Entries row;
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        const auto c = coefficient(m.feeds[i].content[k], m.bands[k]);
        if (!c)
            return std::nullopt;
        if (*c != 0.0)
            row.push_back({int(i), *c});
    }
    return row;
}

std::optional<Programme> balanced(const Model& m, const Margins& margins)
{
    Programme p = limits(m, true, margins);
    for (int k = 0; k < kNutrients; ++k) {
        if (!m.bands[k].used)
            continue;
        const auto bounds = bandBounds(m.bands[k], margins.low[k], margins.high[k]);
        auto row = percentRow(m, k);
        if (!bounds || !row)
            return std::nullopt;
        p.bands[k] = p.lp.addRow(*bounds, std::move(*row));
    }
    for (std::size_t n = 0; n < m.norms.size(); ++n) {
        const auto bounds = normBounds(m.norms[n], margins.normLow[n], margins.normHigh[n]);
        auto row = normRow(m, n);
        if (!bounds || !row)
            return std::nullopt;
        p.norms[n] = p.lp.addRow(*bounds, std::move(*row));
    }
    return p;
}

// For each judged main nutrient, its deviation from 100 % as two paid
// columns: percent - over + under = 100.
void addDeviations(Programme& p, const Model& m)
{
    for (int k = 0; k < kMain; ++k) {
        if (!m.bands[k].used)
            continue;
        const int over = p.lp.addColumn({0.0, Lp::kInfinity}, 1.0);
        const int under = p.lp.addColumn({0.0, Lp::kInfinity}, 1.0);
        Entries row = p.lp.rows[p.bands[k]].entries;   // the band's percent
        row.push_back({over, -1.0});
        row.push_back({under, 1.0});
        p.lp.addRow({100.0, 100.0}, std::move(row));
    }
}

// The two-decimal weights; the rounding is corrected on the largest weight
// (that stays within its limits) so that they add up to exactly 100.
std::vector<double> twoDecimals(const std::vector<double>& grams, const Model& m)
{
    std::vector<std::int64_t> h(grams.size());
    for (std::size_t i = 0; i < grams.size(); ++i)
        h[i] = NumText::scaledRound(grams[i], 2, false).value_or(0);
    if (!h.empty()) {
        // The largest weight that stays within its limits takes it; when none
        // can, the largest (the narrowing then makes room).
        const std::int64_t diff = 10000 - std::accumulate(h.begin(), h.end(), std::int64_t(0));
        const auto fits = [&](std::size_t i) {
            const double w = double(h[i] + diff) / 100.0;
            return i >= m.feeds.size() || (w <= m.feeds[i].limit + 1e-9 && w >= m.feeds[i].least - 1e-9);
        };
        std::size_t at = std::size_t(std::max_element(h.begin(), h.end()) - h.begin());
        for (std::size_t i = 0; i < h.size(); ++i)
            if (fits(i) && (!fits(at) || h[i] > h[at]))
                at = i;
        h[at] += diff;
    }
    std::vector<double> out(h.size());
    for (std::size_t i = 0; i < h.size(); ++i)
        out[i] = double(h[i]) / 100.0;
    return out;
}

// Widens the margins wherever the written weights fall outside what the
// worksheet accepts; true when nothing falls outside.
bool judge(const Model& m, const std::vector<double>& written, Margins& margins)
{
    const Outside o = outside(m, written);
    for (int j : o.bands) {
        const int k = j - 1;
        const double p = o.percent[k];
        if (p < m.bands[k].low)
            margins.low[k] += m.bands[k].low - p + 0.05;
        else
            margins.high[k] += p - m.bands[k].high + 0.05;
    }
    for (const auto& [i, over] : o.feeds)
        margins.feed[i] += over + 0.01;
    for (const auto& [i, under] : o.feedsUnder)
        margins.least[i] += under + 0.01;
    for (int n : o.norms) {
        const Norm& norm = m.norms[n];
        const double t = o.normTotals[n];
        if (norm.low && t < *norm.low)
            margins.normLow[n] += *norm.low - t + 0.005;
        else if (norm.high)
            margins.normHigh[n] += t - *norm.high + 0.005;
    }
    for (const auto& [g, over] : o.groups)
        margins.group[g] += over + 0.01;
    return o.bands.empty() && o.feeds.empty() && o.groups.empty() && o.feedsUnder.empty() && o.norms.empty();
}

// What the duals and the cost ranges of the cheapest ration's programme say.
// Its costs are roubles per gram in a kilogram: a hundredth of the price.
Sensitivity sensitivity(const Model& m, const Programme& p, const Lp::Solution& s)
{
    Sensitivity out;
    for (std::size_t i = 0; i < m.feeds.size(); ++i)
        out.prices.push_back({s.x[i] > kEps, s.costRange[i].low * 100.0, s.costRange[i].high * 100.0});
    // The cost is minimised: a positive dual is a low end that binds (raising
    // it costs more), a negative one a high end.
    const auto add = [&out](Binding::Kind kind, int index, double dual, double step) {
        if (std::fabs(dual) > kEps && step > 0.0)
            out.limits.push_back({kind, index, dual > 0.0, std::fabs(dual) * step});
    };
    for (int k = 0; k < kNutrients; ++k)
        if (p.bands[k] >= 0)
            add(Binding::BandEnd, k + 1, s.rowDual[p.bands[k]], 1.0);
    for (std::size_t n = 0; n < m.norms.size(); ++n) {
        if (p.norms[n] < 0)
            continue;
        // The row is in percent of the reference; the step is 1 % of the bound that binds.
        const double dual = s.rowDual[p.norms[n]];
        const std::optional<double> bound = dual > 0.0 ? m.norms[n].low : m.norms[n].high;
        add(Binding::NormEnd, int(n), dual, bound ? std::fabs(*bound) / m.norms[n].reference : 0.0);
    }
    // A feed at 0 is out of the ration, not held by a limit; one at the whole
    // 100 g is held by the total.
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        const double d = s.columnDual[i];
        if (s.status[i] == Lp::Status::Basic || std::fabs(d) <= kEps)
            continue;
        if (d < 0.0 && m.feeds[i].limit < 100.0)
            add(Binding::FeedLimit, int(i), d, 1.0);
        else if (d > 0.0 && m.feeds[i].least > 0.0)
            add(Binding::FeedLeast, int(i), d, 1.0);
    }
    for (std::size_t g = 0; g < m.groups.size(); ++g)
        if (p.groups[g] >= 0)
            add(Binding::GroupLimit, int(g), s.rowDual[p.groups[g]], 1.0);
    std::stable_sort(out.limits.begin(), out.limits.end(),
                     [](const Binding& a, const Binding& b) { return a.saving > b.saving; });
    return out;
}

// Solves the balanced ration's programme with the objective `objective`
// sets, writes it with two decimals, and narrows and solves again while the
// written ration falls outside a band or a limit (a few rounds at most).
// `ranged`: with the sensitivity of the programme solved last.
template <class Objective>
std::optional<Ration> solveWritten(const Model& m, Objective&& objective, bool ranged = false)
{
    Margins margins(m);
    std::optional<Ration> first;
    for (int round = 0; round < 6; ++round) {
        std::optional<Programme> p = balanced(m, margins);
        if (!p)
            return first;
        objective(*p);
        const Lp::Solution s = Lp::solve(p->lp, ranged);
        if (!s.optimal)
            return first;
        Ration r;
        if (ranged && s.costRange.size() == s.x.size())
            r.sensitivity = sensitivity(m, *p, s);
        for (std::size_t i = 0; i < m.feeds.size(); ++i)
            r.grams.push_back(std::max(0.0, s.x[i]));
        r.written = twoDecimals(r.grams, m);
        r.objective = s.objective;
        r.judgedBalanced = judge(m, r.written, margins);
        if (r.judgedBalanced || !first)
            first = r;
        if (r.judgedBalanced)
            return r;
    }
    return first;
}

} // namespace

Lp::Bounds feedBounds(double limit, double margin, double least)
{
    const double high = std::max(0.0, std::min(limit, 100.0) - margin);
    return {std::min(std::max(0.0, least), high), high};
}

std::optional<Lp::Bounds> bandBounds(const Band& b, double lowMargin, double highMargin)
{
    const double low = b.low + lowMargin, high = b.high - highMargin;
    if (low > high)
        return std::nullopt;
    return Lp::Bounds{low, high};
}

Programme programme(const Model& m, bool total)
{
    return limits(m, total, Margins(m));
}

std::optional<Programme> balancedProgramme(const Model& m)
{
    return balanced(m, Margins(m));
}

double mostWeight(const Model& m)
{
    Programme p = programme(m, false);
    p.lp.maximise = true;
    for (Lp::Column& c : p.lp.columns)
        c.cost = 1.0;
    const Lp::Solution s = Lp::solve(p.lp);
    return s.optimal ? s.objective : 0.0;
}

namespace {

// The least and the most of the programme's costs over its feasible rations.
std::optional<Range> lowestAndHighest(Lp::Programme& lp)
{
    Lp::Solver solver;
    const Lp::Solution low = solver.solve(lp);
    if (!low.optimal)
        return std::nullopt;
    lp.maximise = true;
    const Lp::Solution high = solver.solve(lp);
    if (!high.optimal)
        return std::nullopt;
    return Range{low.objective, high.objective};
}

} // namespace

std::optional<Range> reach(const Model& m, int j)
{
    const int k = j - 1;
    if (k < 0 || k >= kNutrients || m.bands[k].requirement <= 0.0)
        return std::nullopt;
    Programme p = programme(m, true);
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        const auto c = coefficient(m.feeds[i].content[k], m.bands[k]);
        if (!c)
            return std::nullopt;
        p.lp.columns[i].cost = *c;
    }
    return lowestAndHighest(p.lp);
}

std::optional<Range> reachNorm(const Model& m, std::size_t n)
{
    if (n >= m.norms.size())
        return std::nullopt;
    Programme p = programme(m, true);
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        const double c = n < m.feeds[i].extra.size() ? m.feeds[i].extra[n] / 100.0 : 0.0;
        if (!std::isfinite(c))
            return std::nullopt;
        p.lp.columns[i].cost = c;
    }
    return lowestAndHighest(p.lp);
}

bool reaches(const Range& r, const Norm& n)
{
    const double eps = 1e-7 * n.reference;
    return (!n.low || r.high >= *n.low - eps) && (!n.high || r.low <= *n.high + eps);
}

double normTotal(const Model& m, std::size_t n, const std::vector<double>& grams)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < m.feeds.size() && i < grams.size(); ++i)
        sum += grams[i] * (n < m.feeds[i].extra.size() ? m.feeds[i].extra[n] : 0.0) / 100.0;
    return NumText::roundHalfEven(sum, 2);
}

bool reaches(const Range& r, const Band& b)
{
    return r.high >= b.low - kEps && r.low <= b.high + kEps;
}

std::optional<Ration> closest(const Model& m)
{
    return solveWritten(m, [&m](Programme& p) { addDeviations(p, m); });
}

std::optional<Ration> leastCost(const Model& m, const std::vector<double>& pricePerKg)
{
    if (pricePerKg.size() != m.feeds.size()
        || std::any_of(pricePerKg.begin(), pricePerKg.end(), [](double c) { return !std::isfinite(c); }))
        return std::nullopt;
    // The cheapest ration follows from the model and the prices alone. A
    // click of "Расчитать" and the diagnosis pane ask for the same one in
    // turn, as does a click again before anything it depends on changed: the
    // last one found is kept.
    thread_local struct {
        bool found = false;
        Model model;
        std::vector<double> prices;
        std::optional<Ration> ration;
    } last;
    if (last.found && last.prices == pricePerKg && last.model == m)
        return last.ration;
    // x grams in 100 g are x / 100 kg in 1 kg.
    last.ration = solveWritten(m, [&](Programme& p) {
        for (std::size_t i = 0; i < pricePerKg.size(); ++i)
            p.lp.columns[i].cost = pricePerKg[i] / 100.0;
    }, true);
    last.model = m;
    last.prices = pricePerKg;
    last.found = true;
    return last.ration;
}

double costPerKg(const std::vector<double>& grams, const std::vector<double>& pricePerKg)
{
    double cost = 0.0;
    for (std::size_t i = 0; i < grams.size() && i < pricePerKg.size(); ++i)
        cost += grams[i] * pricePerKg[i] / 100.0;
    return cost;
}

std::array<double, kNutrients> judgedPercent(const Model& m, const std::vector<double>& written)
{
    std::array<double, kNutrients> out{};
    for (int j = 0; j < kNutrients; ++j) {
        const double r = m.bands[j].requirement;
        if (r <= 0.0)
            continue;
        // As the worksheet: the weight factor and every contribution to four
        // places, the deviation to one.
        std::optional<Fixed4> total = Fixed4();
        for (std::size_t i = 0; total && i < m.feeds.size() && i < written.size(); ++i) {
            const Fixed4 w = Fixed4::fromDoubleOrZero(written[i] / 100.0);
            total = *total + Fixed4::fromDoubleOrZero(w.toDouble() * m.feeds[i].content[j]);
        }
        // A total beyond the fixed-point range is no number: judged as out of every band.
        out[j] = total ? 100.0 + NumText::roundHalfEven((total->toDouble() - r) / (r / 100.0), 1)
                       : std::numeric_limits<double>::infinity();
    }
    return out;
}

Outside outside(const Model& m, const std::vector<double>& written)
{
    Outside o;
    o.percent = judgedPercent(m, written);
    for (int k = 0; k < kNutrients; ++k) {
        const Band& b = m.bands[k];
        const double p = o.percent[k];
        if (b.used && (p < b.low - 1e-9 || p > b.high + 1e-9))
            o.bands.push_back(k + 1);
    }
    for (std::size_t i = 0; i < m.feeds.size(); ++i) {
        if (written[i] > m.feeds[i].limit + 1e-9)
            o.feeds.push_back({int(i), written[i] - m.feeds[i].limit});
        else if (written[i] < m.feeds[i].least - 1e-9)
            o.feedsUnder.push_back({int(i), m.feeds[i].least - written[i]});
    }
    o.normTotals.assign(m.norms.size(), 0.0);
    for (std::size_t n = 0; n < m.norms.size(); ++n) {
        o.normTotals[n] = normTotal(m, n, written);
        const Norm& norm = m.norms[n];
        if ((norm.low && o.normTotals[n] < *norm.low - 1e-9) || (norm.high && o.normTotals[n] > *norm.high + 1e-9))
            o.norms.push_back(int(n));
    }
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        if (!m.groups[g].limit)
            continue;
        double sum = 0.0;
        for (std::size_t i = 0; i < m.feeds.size(); ++i)
            if (m.feeds[i].group == m.groups[g].name)
                sum += written[i];
        if (sum > *m.groups[g].limit + 1e-9)
            o.groups.push_back({int(g), sum - *m.groups[g].limit});
    }
    return o;
}

std::optional<Conflict> leastViolation(const Model& m)
{
    Programme p = programme(m, true);
    // low <= row + under - over <= high, both paid for; the first of the two
    // columns (under) is returned.
    const auto paidRow = [&p](const Lp::Bounds& bounds, Entries row) {
        const int under = p.lp.addColumn({0.0, Lp::kInfinity}, 1.0);
        p.lp.addColumn({0.0, Lp::kInfinity}, 1.0);
        row.push_back({under, 1.0});
        row.push_back({under + 1, -1.0});
        p.lp.addRow(bounds, std::move(row));
        return under;
    };
    std::array<int, kNutrients> column;   // the first of each band's two columns
    column.fill(-1);
    for (int k = 0; k < kNutrients; ++k) {
        if (!m.bands[k].used)
            continue;
        const auto bounds = bandBounds(m.bands[k]);
        auto row = percentRow(m, k);
        if (!bounds || !row)
            return std::nullopt;
        column[k] = paidRow(*bounds, std::move(*row));
    }
    std::vector<int> normColumn(m.norms.size(), -1);
    for (std::size_t n = 0; n < m.norms.size(); ++n) {
        const auto bounds = normBounds(m.norms[n]);
        auto row = normRow(m, n);
        if (!bounds || !row)
            return std::nullopt;
        normColumn[n] = paidRow(*bounds, std::move(*row));
    }
    const Lp::Solution s = Lp::solve(p.lp);
    if (!s.optimal)
        return std::nullopt;
    Conflict c;
    c.total = s.objective;
    for (std::size_t n = 0; n < m.norms.size(); ++n) {
        const double below = s.x[normColumn[n]], above = s.x[normColumn[n] + 1];
        if (below > kEps || above > kEps)
            c.bands.push_back({0, below > kEps ? below : 0.0, above > kEps ? above : 0.0, int(n)});
    }
    for (int k = 0; k < kNutrients; ++k) {
        if (column[k] < 0)
            continue;
        const double below = s.x[column[k]];
        const double above = s.x[column[k] + 1];
        if (below > kEps || above > kEps)
            c.bands.push_back({k + 1, below > kEps ? below : 0.0, above > kEps ? above : 0.0, -1});
    }
    if (c.total <= kEps)
        return c;
    // A limit binds when raising it would lower the violation: its dual value.
    for (std::size_t i = 0; i < m.feeds.size(); ++i)
        if (s.status[i] == Lp::Status::AtHigh && s.columnDual[i] < -kEps)
            c.feedLimits.push_back(int(i));
    for (std::size_t g = 0; g < m.groups.size(); ++g)
        if (p.groups[g] >= 0 && s.rowDual[p.groups[g]] < -kEps)
            c.groupLimits.push_back(int(g));
    return c;
}

namespace {

// The balanced ration's programme with one more column, which each candidate
// fills in turn; the least weight of it that balances the ration. Each trial
// starts from where the one before ended.
class Trial {
public:
    explicit Trial(const Model& m)
        : m_model(m)
        , m_base(balancedProgramme(m))
    {
        if (m_base)
            m_extra = m_base->lp.addColumn({0.0, 0.0}, 1.0);
    }

    std::optional<double> weightOf(const Feed& f, int replaced)
    {
        if (!m_base)
            return std::nullopt;
        Lp::Programme& p = m_work;
        p = m_base->lp;   // into the last trial's, reusing its room
        p.rows[m_base->total].entries.push_back({m_extra, 1.0});
        for (std::size_t g = 0; g < m_model.groups.size(); ++g)
            if (m_base->groups[g] >= 0 && m_model.groups[g].name == f.group)
                p.rows[m_base->groups[g]].entries.push_back({m_extra, 1.0});
        // Each candidate on its own: one the solver cannot take is no help.
        for (int k = 0; k < kNutrients; ++k)
            if (m_base->bands[k] >= 0) {
                const auto c = coefficient(f.content[k], m_model.bands[k]);
                if (!c)
                    return std::nullopt;
                if (*c != 0.0)
                    p.rows[m_base->bands[k]].entries.push_back({m_extra, *c});
            }
        for (std::size_t n = 0; n < m_model.norms.size(); ++n) {
            if (n >= f.extra.size())
                return std::nullopt;
            const double c = f.extra[n] / m_model.norms[n].reference;
            if (c != 0.0)
                p.rows[m_base->norms[n]].entries.push_back({m_extra, c});
        }
        p.columns[m_extra].bounds = feedBounds(f.limit, 0.0, f.least);
        if (replaced >= 0)
            p.columns[replaced].bounds = {0.0, 0.0};
        const Lp::Solution s = m_solver.solve(p);
        return s.optimal ? std::optional<double>(std::max(0.0, s.x[m_extra])) : std::nullopt;
    }

private:
    const Model& m_model;
    std::optional<Programme> m_base;
    Lp::Programme m_work;
    int m_extra = -1;
    Lp::Solver m_solver;
};

} // namespace

std::optional<double> neededWeight(const Model& m, const Feed& extra, int replaced)
{
    Trial t(m);
    return t.weightOf(extra, replaced);
}

std::vector<Suggestion> suggest(const Model& m, const std::vector<Feed>& candidates, int count)
{
    std::vector<Suggestion> found;
    Trial t(m);
    // Least weight first; weights within a milligram count as equal and keep
    // the order they were tried in. Each feed is offered once, in its best place.
    const auto best = [&] {
        std::stable_sort(found.begin(), found.end(), [](const Suggestion& a, const Suggestion& b) {
            return std::round(a.grams * 1000.0) < std::round(b.grams * 1000.0);
        });
        std::vector<Suggestion> out;
        for (const Suggestion& s : found)
            if (int(out.size()) < count
                && std::none_of(out.begin(), out.end(), [&](const Suggestion& o) { return o.name == s.name; }))
                out.push_back(s);
        return out;
    };
    // A feed that cannot balance the ration beside all the chosen ones cannot
    // in place of one of them either: only the others are tried in each place.
    std::vector<const Feed*> helpful;
    for (const Feed& f : candidates)
        if (const auto w = t.weightOf(f, -1)) {
            helpful.push_back(&f);
            found.push_back({f.name, -1, *w});
        }
    if (m.feeds.size() < std::size_t(RationState::kMaxFeeds) && !found.empty())
        return best();
    found.clear();
    for (int r = 0; r < int(m.feeds.size()); ++r)
        for (const Feed* f : helpful)
            if (const auto w = t.weightOf(*f, r))
                found.push_back({f->name, r, *w});
    return best();
}

Diagnosis diagnose(const Reading& r, const Candidates& candidates)
{
    Diagnosis d;
    const Model& m = r.model;
    if (m.feeds.empty() || r.limitsUnknown)
        return d;
    const double most = mostWeight(m);
    if (most < 100.0 - kEps) {
        d.shortWeight = most;
    } else {
        for (int k = 0; k < kNutrients; ++k)
            if (m.bands[k].used && !r.unknown[k])
                d.ranges[k] = reach(m, k + 1);
        for (std::size_t n = 0; n < m.norms.size(); ++n)
            d.normRanges.push_back(reachNorm(m, n));
        if (!r.complete())
            return d;
        d.analysed = true;
        // Promised only when the worksheet will judge its two decimals balanced.
        if (const std::optional<Ration> nearest = closest(m)) {
            if (nearest->judgedBalanced)
                d.balanced = nearest;
            else
                d.writtenOutside = outside(m, nearest->written);
            return d;
        }
        d.conflict = leastViolation(m);
    }
    if (!r.complete())
        return d;
    d.analysed = true;
    d.suggestions = suggest(m, candidates.feeds);
    return d;
}

} // namespace Bands
