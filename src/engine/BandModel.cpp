#include "engine/BandModel.h"

#include "data/Adodc.h"
#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "engine/mdlRashet.h"

#include <glpk.h>

#include <algorithm>
#include <limits>
#include <cmath>
#include <initializer_list>
#include <numeric>
#include <utility>

namespace Bands {

namespace {

constexpr int kMain = 5;
// What the solver's own tolerances may leave on a bound.
constexpr double kEps = 1e-7;

const char* const kNames[kNutrients] = {"обменная энергия", "протеин", "кальций", "фосфор",
                                        "натрий", "витамин A", "витамин D3", "витамин B2"};

std::optional<double> finite(const QVariant& v)
{
    const auto d = NumText::variantNumber(v);
    if (!d || !std::isfinite(*d))
        return std::nullopt;
    return d;
}

QString percentText(double v)
{
    return NumText::plain(NumText::roundHalfEven(v, 1));
}

// Shown ranges never claim more than can be reached: the low end is rounded
// up and the high end down, to one place.
QString lowText(double v) { return NumText::plain(std::ceil(v * 10.0 - 1e-6) / 10.0); }
QString highText(double v) { return NumText::plain(std::floor(v * 10.0 + 1e-6) / 10.0); }

// A content in percent of the band's requirement per gram; nullopt for a
// value the solver cannot take.
std::optional<double> coefficient(double content, const Band& b)
{
    const double c = content / b.requirement;
    if (std::isfinite(c) && std::fabs(c) < 1e12)
        return c;
    return std::nullopt;
}

// Narrowings of the bands and limits, grown after rounding put a written
// ration outside what the worksheet accepts.
struct Margins {
    std::array<double, kNutrients> low{}, high{};
    std::vector<double> feed, group;
    Margins(const Model& m) : feed(m.feeds.size(), 0.0), group(m.groups.size(), 0.0) {}
};

// One linear programme over the model: column i + 1 is the grams of feed i;
// rows: the total (fixed at 100 g when asked), each group limit below 100 g,
// and each judged nutrient's band in percent of its requirement.
class Programme {
public:
    Programme(const Model& m, const std::vector<Feed>& feeds, bool total, bool bands, const Margins* margins = nullptr)
        : lp(glp_create_prob())
    {
        const int n = int(feeds.size());
        glp_set_obj_dir(lp, GLP_MIN);
        if (n > 0)
            glp_add_cols(lp, n);
        for (int i = 0; i < n; ++i) {
            double limit = std::min(feeds[i].limit, 100.0);
            if (margins && i < int(margins->feed.size()))
                limit = std::max(0.0, limit - margins->feed[i]);
            glp_set_col_bnds(lp, i + 1, limit > 0.0 ? GLP_DB : GLP_FX, 0.0, std::max(limit, 0.0));
        }
        if (total) {
            totalRow = glp_add_rows(lp, 1);
            glp_set_row_bnds(lp, totalRow, GLP_FX, 100.0, 100.0);
            std::vector<int> ind(n + 1);
            std::vector<double> val(n + 1, 1.0);
            std::iota(ind.begin(), ind.end(), 0);
            glp_set_mat_row(lp, totalRow, n, ind.data(), val.data());
        }
        groupRow.assign(m.groups.size(), 0);
        for (std::size_t g = 0; g < m.groups.size(); ++g) {
            if (!m.groups[g].limit || *m.groups[g].limit >= 100.0)
                continue;
            const double limit = std::max(0.0, *m.groups[g].limit - (margins ? margins->group[g] : 0.0));
            const int row = glp_add_rows(lp, 1);
            groupRow[g] = row;
            glp_set_row_bnds(lp, row, GLP_UP, 0.0, limit);
            std::vector<int> ind{0};
            std::vector<double> val{0.0};
            for (int i = 0; i < n; ++i)
                if (feeds[i].group == m.groups[g].name) {
                    ind.push_back(i + 1);
                    val.push_back(1.0);
                }
            glp_set_mat_row(lp, row, int(ind.size()) - 1, ind.data(), val.data());
        }
        if (!bands)
            return;
        for (int j = 0; j < kNutrients; ++j) {
            const Band& b = m.bands[j];
            if (!b.used)
                continue;
            const double low = b.low + (margins ? margins->low[j] : 0.0);
            const double high = b.high - (margins ? margins->high[j] : 0.0);
            if (low > high)
                impossible = true;
            bandRow[j] = glp_add_rows(lp, 1);
            if (low >= high)   // an exact band (tolerance 0)
                glp_set_row_bnds(lp, bandRow[j], GLP_FX, low, low);
            else
                glp_set_row_bnds(lp, bandRow[j], GLP_DB, low, high);
            setPercentRow(m, feeds, bandRow[j], j);
        }
    }
    ~Programme() { glp_delete_prob(lp); }
    Programme(const Programme&) = delete;
    Programme& operator=(const Programme&) = delete;

    // Row `row` becomes nutrient j of every feed in percent of the
    // requirement, with the extra entries given.
    void setPercentRow(const Model& m, const std::vector<Feed>& feeds, int row, int j,
                       std::initializer_list<std::pair<int, double>> extra = {})
    {
        std::vector<int> ind{0};
        std::vector<double> val{0.0};
        for (std::size_t i = 0; i < feeds.size(); ++i) {
            const double c = percentPerGram(feeds[i], m.bands[j], j);
            if (c != 0.0) {
                ind.push_back(int(i) + 1);
                val.push_back(c);
            }
        }
        for (const auto& [col, v] : extra) {
            ind.push_back(col);
            val.push_back(v);
        }
        glp_set_mat_row(lp, row, int(ind.size()) - 1, ind.data(), val.data());
    }

    // A feed's nutrient j in percent of the requirement per gram; a value
    // the solver cannot take makes the programme unsolvable.
    double percentPerGram(const Feed& f, const Band& b, int j)
    {
        if (const auto c = coefficient(f.content[j], b))
            return *c;
        impossible = true;
        return 0.0;
    }

    // For each judged main nutrient, its deviation from 100 % as two paid
    // columns: percent - over + under = 100.
    void addDeviations(const Model& m, const std::vector<Feed>& feeds)
    {
        for (int j = 0; j < kMain; ++j) {
            if (!m.bands[j].used)
                continue;
            const int col = glp_add_cols(lp, 2);
            for (int c : {col, col + 1}) {
                glp_set_col_bnds(lp, c, GLP_LO, 0.0, 0.0);
                glp_set_obj_coef(lp, c, 1.0);
            }
            const int row = glp_add_rows(lp, 1);
            glp_set_row_bnds(lp, row, GLP_FX, 100.0, 100.0);
            setPercentRow(m, feeds, row, j, {{col, -1.0}, {col + 1, 1.0}});
        }
    }

    bool solve()
    {
        if (impossible)
            return false;
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.msg_lev = GLP_MSG_OFF;
        int ret = glp_simplex(lp, &parm);
        if (ret != 0) {   // a basis left unusable by a changed column: start afresh
            glp_std_basis(lp);
            ret = glp_simplex(lp, &parm);
        }
        return ret == 0 && glp_get_status(lp) == GLP_OPT;
    }

    std::vector<double> grams(int n) const
    {
        std::vector<double> x(std::size_t(n), 0.0);
        for (int i = 0; i < n; ++i)
            x[std::size_t(i)] = std::max(0.0, glp_get_col_prim(lp, i + 1));
        return x;
    }

    glp_prob* lp;
    int totalRow = 0;
    std::vector<int> groupRow;
    std::array<int, kNutrients> bandRow{};
    bool impossible = false;
};

// The two-decimal weights; the rounding is corrected on the largest weight
// so that they add up to exactly 100.
std::vector<double> twoDecimals(const std::vector<double>& grams)
{
    std::vector<std::int64_t> h(grams.size());
    for (std::size_t i = 0; i < grams.size(); ++i)
        h[i] = NumText::scaledRound(grams[i], 2, false).value_or(0);
    if (!h.empty()) {
        const auto largest = std::max_element(h.begin(), h.end());
        *largest += 10000 - std::accumulate(h.begin(), h.end(), std::int64_t(0));
    }
    std::vector<double> out(h.size());
    for (std::size_t i = 0; i < h.size(); ++i)
        out[i] = double(h[i]) / 100.0;
    return out;
}

// Widens the margins wherever the written weights fall outside what the
// worksheet accepts; true when nothing falls outside. Each band or limit
// they break is named in `broken`, when given, as the pane shows it.
bool judge(const Model& m, const std::vector<double>& written, Margins& margins, QStringList* broken = nullptr)
{
    bool ok = true;
    const auto p = judgedPercent(m, written);
    for (int j = 0; j < kNutrients; ++j) {
        const Band& b = m.bands[j];
        if (!b.used)
            continue;
        if (p[j] < b.low - 1e-9) {
            margins.low[j] += b.low - p[j] + 0.05;
            ok = false;
        }
        if (p[j] > b.high + 1e-9) {
            margins.high[j] += p[j] - b.high + 0.05;
            ok = false;
        }
        if (broken && (p[j] < b.low - 1e-9 || p[j] > b.high + 1e-9))
            *broken << QStringLiteral("%1 %2 %").arg(nutrientName(j + 1), std::isfinite(p[j]) ? percentText(p[j] - 100.0)
                                                                                                : mdlRashet::kUndefined);
    }
    for (std::size_t i = 0; i < m.feeds.size(); ++i)
        if (written[i] > m.feeds[i].limit + 1e-9) {
            margins.feed[i] += written[i] - m.feeds[i].limit + 0.01;
            ok = false;
            if (broken)
                *broken << QStringLiteral("норма дачи «%1» (%2 г)").arg(m.feeds[i].name, NumText::plain(m.feeds[i].limit));
        }
    for (std::size_t g = 0; g < m.groups.size(); ++g) {
        if (!m.groups[g].limit)
            continue;
        double sum = 0.0;
        for (std::size_t i = 0; i < m.feeds.size(); ++i)
            if (m.feeds[i].group == m.groups[g].name)
                sum += written[i];
        if (sum > *m.groups[g].limit + 1e-9) {
            margins.group[g] += sum - *m.groups[g].limit + 0.01;
            ok = false;
            if (broken)
                *broken << QStringLiteral("ограничение группы «%1» (%2 %)")
                               .arg(m.groups[g].name, NumText::plain(*m.groups[g].limit));
        }
    }
    return ok;
}

// Solves, writes with two decimals, and narrows and solves again while the
// written ration falls outside a band or a limit (a few rounds at most).
template <class Objective>
std::optional<Ration> solveWritten(const Model& m, Objective&& objective)
{
    Margins margins(m);
    std::optional<Ration> first;
    for (int round = 0; round < 6; ++round) {
        Programme p(m, m.feeds, true, true, &margins);
        objective(p);
        if (!p.solve())
            return first;
        Ration r;
        r.grams = p.grams(int(m.feeds.size()));
        r.written = twoDecimals(r.grams);
        r.objective = glp_get_obj_val(p.lp);
        r.judgedBalanced = judge(m, r.written, margins);
        if (r.judgedBalanced || !first)
            first = r;
        if (r.judgedBalanced)
            return r;
    }
    return first;
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

double mostWeight(const Model& m)
{
    Programme p(m, m.feeds, false, false);
    glp_set_obj_dir(p.lp, GLP_MAX);
    for (std::size_t i = 0; i < m.feeds.size(); ++i)
        glp_set_obj_coef(p.lp, int(i) + 1, 1.0);
    return p.solve() ? glp_get_obj_val(p.lp) : 0.0;
}

std::optional<Range> reach(const Model& m, int j)
{
    const int k = j - 1;
    if (k < 0 || k >= kNutrients || m.bands[k].requirement <= 0.0)
        return std::nullopt;
    Programme p(m, m.feeds, true, false);
    for (std::size_t i = 0; i < m.feeds.size(); ++i)
        glp_set_obj_coef(p.lp, int(i) + 1, p.percentPerGram(m.feeds[i], m.bands[k], k));
    Range r;
    if (p.impossible || !p.solve())
        return std::nullopt;
    r.low = glp_get_obj_val(p.lp);
    glp_set_obj_dir(p.lp, GLP_MAX);
    if (!p.solve())
        return std::nullopt;
    r.high = glp_get_obj_val(p.lp);
    return r;
}

std::optional<Ration> closest(const Model& m)
{
    return solveWritten(m, [&m](Programme& p) { p.addDeviations(m, m.feeds); });
}

std::optional<Ration> leastCost(const Model& m, const std::vector<double>& pricePerKg)
{
    if (pricePerKg.size() != m.feeds.size()
        || std::any_of(pricePerKg.begin(), pricePerKg.end(), [](double c) { return !std::isfinite(c); }))
        return std::nullopt;
    // x grams in 100 g are x / 100 kg in 1 kg.
    return solveWritten(m, [&](Programme& p) {
        for (std::size_t i = 0; i < pricePerKg.size(); ++i)
            glp_set_obj_coef(p.lp, int(i) + 1, pricePerKg[i] / 100.0);
    });
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

std::optional<Conflict> leastViolation(const Model& m)
{
    Programme p(m, m.feeds, true, false);
    const int n = int(m.feeds.size());
    std::array<int, kNutrients> column{};
    for (int j = 0; j < kNutrients; ++j) {
        const Band& b = m.bands[j];
        if (!b.used)
            continue;
        // low <= percent + under - over <= high, both paid for.
        const int row = glp_add_rows(p.lp, 1);
        glp_set_row_bnds(p.lp, row, b.low >= b.high ? GLP_FX : GLP_DB, b.low, std::max(b.low, b.high));
        column[j] = glp_add_cols(p.lp, 2);
        p.setPercentRow(m, m.feeds, row, j, {{column[j], 1.0}, {column[j] + 1, -1.0}});
        for (int c : {column[j], column[j] + 1}) {
            glp_set_col_bnds(p.lp, c, GLP_LO, 0.0, 0.0);
            glp_set_obj_coef(p.lp, c, 1.0);
        }
    }
    if (!p.solve())
        return std::nullopt;
    Conflict c;
    c.total = glp_get_obj_val(p.lp);
    for (int j = 0; j < kNutrients; ++j) {
        if (!column[j])
            continue;
        const double below = glp_get_col_prim(p.lp, column[j]);
        const double above = glp_get_col_prim(p.lp, column[j] + 1);
        if (below > kEps || above > kEps)
            c.bands.push_back({j + 1, below > kEps ? below : 0.0, above > kEps ? above : 0.0});
    }
    if (c.total <= kEps)
        return c;
    // A limit binds when raising it would lower the violation: its dual value.
    for (int i = 0; i < n; ++i)
        if (glp_get_col_stat(p.lp, i + 1) == GLP_NU && glp_get_col_dual(p.lp, i + 1) < -kEps)
            c.feedLimits.push_back(i);
    for (std::size_t g = 0; g < m.groups.size(); ++g)
        if (p.groupRow[g] && glp_get_row_dual(p.lp, p.groupRow[g]) < -kEps)
            c.groupLimits << m.groups[g].name;
    return c;
}

namespace {

// One programme of the chosen feeds and one more column, which each
// candidate fills in turn; the least weight of it that balances the ration.
class Trial {
public:
    explicit Trial(const Model& m)
        : m_model(m)
        , m_feeds(withExtra(m))
        , m_p(m, m_feeds, true, true)
    {
        m_extra = int(m_feeds.size());
        glp_set_obj_coef(m_p.lp, m_extra, 1.0);
    }

    std::optional<double> weightOf(const Feed& f, int replaced)
    {
        if (m_p.impossible)
            return std::nullopt;
        std::vector<int> ind{0, m_p.totalRow};
        std::vector<double> val{0.0, 1.0};
        for (std::size_t g = 0; g < m_model.groups.size(); ++g)
            if (m_p.groupRow[g] && m_model.groups[g].name == f.group) {
                ind.push_back(m_p.groupRow[g]);
                val.push_back(1.0);
            }
        // Each candidate on its own: one the solver cannot take is no help,
        // and leaves the programme as it was for the next.
        for (int j = 0; j < kNutrients; ++j)
            if (m_p.bandRow[j]) {
                const auto c = coefficient(f.content[j], m_model.bands[j]);
                if (!c)
                    return std::nullopt;
                if (*c != 0.0) {
                    ind.push_back(m_p.bandRow[j]);
                    val.push_back(*c);
                }
            }
        glp_set_mat_col(m_p.lp, m_extra, int(ind.size()) - 1, ind.data(), val.data());
        const double limit = std::min(f.limit, 100.0);
        glp_set_col_bnds(m_p.lp, m_extra, limit > 0.0 ? GLP_DB : GLP_FX, 0.0, std::max(0.0, limit));
        if (replaced >= 0)
            glp_set_col_bnds(m_p.lp, replaced + 1, GLP_FX, 0.0, 0.0);
        const bool ok = m_p.solve();
        const double w = ok ? glp_get_col_prim(m_p.lp, m_extra) : 0.0;
        if (replaced >= 0) {
            const double back = std::min(m_model.feeds[std::size_t(replaced)].limit, 100.0);
            glp_set_col_bnds(m_p.lp, replaced + 1, back > 0.0 ? GLP_DB : GLP_FX, 0.0, std::max(0.0, back));
        }
        return ok ? std::optional<double>(std::max(0.0, w)) : std::nullopt;
    }

private:
    static std::vector<Feed> withExtra(const Model& m)
    {
        std::vector<Feed> feeds = m.feeds;
        Feed none;
        none.limit = 0.0;
        feeds.push_back(none);
        return feeds;
    }

    const Model& m_model;
    std::vector<Feed> m_feeds;
    Programme m_p;
    int m_extra = 0;
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

QString suggestionText(const Model& m, const Suggestion& s)
{
    const QString grams = NumText::plain(NumText::roundHalfEven(s.grams, 1)) + QStringLiteral(" г");
    if (s.replaced >= 0 && s.replaced < int(m.feeds.size()))
        return QStringLiteral("заменить %1 на %2 — %3").arg(m.feeds[std::size_t(s.replaced)].name, s.name, grams);
    return QStringLiteral("%1 — %2").arg(s.name, grams);
}

Diagnosis diagnose(const Reading& r, const Candidates& candidates)
{
    Diagnosis d;
    const Model& m = r.model;
    d.faults = r.faults;
    QStringList& out = d.lines;
    for (const QString& f : r.faults)
        out << QStringLiteral("Нет данных: %1.").arg(f);
    for (const QString& f : r.outOfRange)
        out << QStringLiteral("Недопустимое значение: %1.").arg(f);
    if (m.feeds.empty()) {
        out << QStringLiteral("Не выбран ни один корм.");
        return d;
    }
    if (r.limitsUnknown) {
        out << QStringLiteral("Без этих данных разбор невозможен.");
        return d;
    }

    const double most = mostWeight(m);
    if (most < 100.0 - kEps) {
        d.shortWeight = most;
        out << QStringLiteral("Нормы дачи и ограничения групп позволяют набрать не больше %1 г из 100.")
                   .arg(highText(most));
    } else {
        bool allReachable = true;
        for (int j = 0; j < kNutrients; ++j) {
            const Band& b = m.bands[j];
            if (!b.used || r.unknown[j])
                continue;
            d.ranges[j] = reach(m, j + 1);
            if (!d.ranges[j])
                continue;
            const Range& g = *d.ranges[j];
            const bool reachable = g.high >= b.low - kEps && g.low <= b.high + kEps;
            allReachable = allReachable && reachable;
            QString line = QStringLiteral("%1: достижимо от %2 до %3 % нормы")
                               .arg(nutrientName(j + 1), lowText(g.low), highText(g.high));
            if (reachable)
                line += QStringLiteral(" — в норму входит");
            else
                line += QStringLiteral(", нужно от %1 до %2 %").arg(percentText(b.low), percentText(b.high));
            out << line;
        }
        if (!r.complete()) {
            out << QStringLiteral("Сбалансированный рацион не искали: не хватает данных.");
            return d;
        }
        d.analysed = true;
        // Promised only when the worksheet will judge its two decimals balanced.
        const std::optional<Ration> nearest = closest(m);
        if (nearest && nearest->judgedBalanced) {
            d.balanced = nearest;
            out << QStringLiteral("Сбалансированный рацион с этими кормами есть (отклонения от нормы в сумме %1 %). "
                                  "«Подставить» запишет его веса.")
                       .arg(percentText(d.balanced->objective));
            return d;
        }
        if (nearest) {
            Margins unused(m);
            QStringList broken;
            judge(m, nearest->written, unused, &broken);
            out << QStringLiteral("Сбалансированный рацион с этими кормами есть, но с весами до сотых грамма его "
                                  "найти не удалось; самый близкий выходит за норму: %1.")
                       .arg(broken.join(QStringLiteral(", ")));
            return d;
        }
        d.conflict = leastViolation(m);
        if (allReachable && d.conflict) {
            QStringList parts;
            for (const Violation& v : d.conflict->bands) {
                const Band& b = m.bands[v.nutrient - 1];
                parts << (v.below > 0.0 ? QStringLiteral("%1 ниже %2 % на %3 %")
                                              .arg(nutrientName(v.nutrient), percentText(b.low), percentText(v.below))
                                        : QStringLiteral("%1 выше %2 % на %3 %")
                                              .arg(nutrientName(v.nutrient), percentText(b.high), percentText(v.above)));
            }
            out << QStringLiteral("Каждое вещество входит в норму по отдельности, но не все вместе. "
                                  "Ближе всего к норме: %1.")
                       .arg(parts.join(QStringLiteral(", ")));
        } else {
            out << QStringLiteral("С этими кормами сбалансировать рацион нельзя.");
        }
        if (d.conflict && (!d.conflict->feedLimits.empty() || !d.conflict->groupLimits.isEmpty())) {
            QStringList limits;
            for (int i : d.conflict->feedLimits)
                limits << QStringLiteral("норма дачи «%1» (%2 г)")
                              .arg(m.feeds[std::size_t(i)].name, NumText::plain(m.feeds[std::size_t(i)].limit));
            for (const QString& g : d.conflict->groupLimits)
                limits << QStringLiteral("ограничение группы «%1» (%2 %)")
                              .arg(g, NumText::plain(groupOf(m, g)->limit.value_or(0.0)));
            out << QStringLiteral("Мешают: %1.").arg(limits.join(QStringLiteral(", ")));
        }
    }
    if (!r.complete())
        return d;
    d.analysed = true;
    d.suggestions = suggest(m, candidates.feeds);
    if (const QStringList& bad = candidates.outOfRange; !bad.isEmpty()) {
        // Named up to a few, so that the pane stays readable on a large table.
        constexpr int kNamed = 5;
        QString line = QStringLiteral("Не рассматривались корма с недопустимыми значениями: %1")
                           .arg(bad.mid(0, kNamed).join(QStringLiteral(", ")));
        if (bad.size() > kNamed)
            line += QStringLiteral(" и еще %1").arg(bad.size() - kNamed);
        out << line + QLatin1Char('.');
    }
    if (d.suggestions.empty()) {
        out << QStringLiteral("Ни один корм из базы не помогает: ни добавленный, ни вместо одного из выбранных.");
        return d;
    }
    out << (d.suggestions.front().replaced >= 0
                ? QStringLiteral("Поможет замена (двойной щелчок заменит корм на листе):")
                : QStringLiteral("Поможет добавить корм (двойной щелчок добавит его на лист):"));
    for (const Suggestion& s : d.suggestions)
        d.suggestionTexts << suggestionText(m, s);
    return d;
}

} // namespace Bands
