#include "engine/LinearProgramme.h"

#include <glpk.h>

#include <cfloat>
#include <cmath>

namespace Lp {

int Programme::addColumn(Bounds b, double cost)
{
    columns.push_back({b, cost});
    return int(columns.size()) - 1;
}

int Programme::addRow(Bounds b, std::vector<std::pair<int, double>> entries)
{
    rows.push_back({b, std::move(entries)});
    return int(rows.size()) - 1;
}

namespace {

// GLPK's kind of bounds. Equal ends fix the value: an exact rule, so the
// exact comparison.
int kind(const Bounds& b)
{
    const bool low = std::isfinite(b.low), high = std::isfinite(b.high);
    if (!low)
        return high ? GLP_UP : GLP_FR;
    if (!high)
        return GLP_LO;
    return b.low == b.high ? GLP_FX : GLP_DB;
}

static_assert(int(Status::Basic) == GLP_BS && int(Status::AtLow) == GLP_NL && int(Status::AtHigh) == GLP_NU
              && int(Status::Free) == GLP_NF && int(Status::Fixed) == GLP_NS);

} // namespace

Solver::Solver()
    : m_lp(glp_create_prob())
{
}

Solver::~Solver()
{
    glp_delete_prob(m_lp);
}

Solution Solver::solve(const Programme& p, bool ranged)
{
    const int n = int(p.columns.size()), m = int(p.rows.size());
    // Loaded anew when the shape changes; else only what differs, exactly,
    // from what is loaded.
    const bool fresh = n != int(m_loaded.columns.size()) || m != int(m_loaded.rows.size());
    if (fresh) {
        glp_erase_prob(m_lp);
        if (n > 0)
            glp_add_cols(m_lp, n);
        if (m > 0)
            glp_add_rows(m_lp, m);
    }
    glp_set_obj_dir(m_lp, p.maximise ? GLP_MAX : GLP_MIN);
    for (int j = 0; j < n; ++j) {
        const Column& c = p.columns[j];
        if (fresh || !(c.bounds == m_loaded.columns[j].bounds))
            glp_set_col_bnds(m_lp, j + 1, kind(c.bounds), c.bounds.low, c.bounds.high);
        if (fresh || c.cost != m_loaded.columns[j].cost)
            glp_set_obj_coef(m_lp, j + 1, c.cost);
    }
    std::vector<int> ind;
    std::vector<double> val;
    for (int i = 0; i < m; ++i) {
        const Row& r = p.rows[i];
        if (fresh || !(r.bounds == m_loaded.rows[i].bounds))
            glp_set_row_bnds(m_lp, i + 1, kind(r.bounds), r.bounds.low, r.bounds.high);
        if (!fresh && r.entries == m_loaded.rows[i].entries)
            continue;
        ind.assign(1, 0);   // GLPK counts from 1
        val.assign(1, 0.0);
        for (const auto& [column, value] : r.entries) {
            ind.push_back(column + 1);
            val.push_back(value);
        }
        glp_set_mat_row(m_lp, i + 1, int(ind.size()) - 1, ind.data(), val.data());
    }
    m_loaded = p;

    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    int ret = glp_simplex(m_lp, &parm);
    if (ret != 0) {   // a basis left unusable by a changed column: start afresh
        glp_std_basis(m_lp);
        ret = glp_simplex(m_lp, &parm);
    }

    Solution s;
    s.optimal = ret == 0 && glp_get_status(m_lp) == GLP_OPT;
    s.objective = glp_get_obj_val(m_lp);
    for (int j = 1; j <= n; ++j) {
        s.x.push_back(glp_get_col_prim(m_lp, j));
        s.status.push_back(Status(glp_get_col_stat(m_lp, j)));
        s.columnDual.push_back(glp_get_col_dual(m_lp, j));
    }
    for (int i = 1; i <= m; ++i)
        s.rowDual.push_back(glp_get_row_dual(m_lp, i));
    if (ranged && s.optimal && (glp_bf_exists(m_lp) || glp_factorize(m_lp) == 0))
        for (int j = 0; j < n; ++j)
            s.costRange.push_back(costRange(j, p.columns[j].cost, s.status[j], s.columnDual[j], p.maximise));
    return s;
}

// A basic column's range is GLPK's ranging; a column at a bound stays there
// while its reduced cost keeps its sign.
Bounds Solver::costRange(int j, double cost, Status status, double dual, bool maximise) const
{
    const auto open = [](double v) { return std::fabs(v) >= DBL_MAX ? std::copysign(kInfinity, v) : v; };
    switch (status) {
    case Status::Basic: {
        double low = 0.0, high = 0.0, value = 0.0;
        int var = 0;
        glp_analyze_coef(m_lp, int(m_loaded.rows.size()) + j + 1, &low, &var, &value, &high, &var, &value);
        return {open(low), open(high)};
    }
    case Status::AtLow:
        return maximise ? Bounds{-kInfinity, cost - dual} : Bounds{cost - dual, kInfinity};
    case Status::AtHigh:
        return maximise ? Bounds{cost - dual, kInfinity} : Bounds{-kInfinity, cost - dual};
    case Status::Free:
        return {cost - dual, cost - dual};
    case Status::Fixed:
        break;
    }
    return {-kInfinity, kInfinity};
}

Solution solve(const Programme& p, bool ranged)
{
    return Solver().solve(p, ranged);
}

} // namespace Lp
