#include "engine/LinearProgramme.h"

#include <glpk.h>

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

Solution solve(const Programme& p, const Basis* start)
{
    glp_prob* lp = glp_create_prob();
    const int n = int(p.columns.size()), m = int(p.rows.size());
    glp_set_obj_dir(lp, p.maximise ? GLP_MAX : GLP_MIN);
    if (n > 0)
        glp_add_cols(lp, n);
    for (int j = 0; j < n; ++j) {
        const Column& c = p.columns[j];
        glp_set_col_bnds(lp, j + 1, kind(c.bounds), c.bounds.low, c.bounds.high);
        glp_set_obj_coef(lp, j + 1, c.cost);
    }
    if (m > 0)
        glp_add_rows(lp, m);
    for (int i = 0; i < m; ++i) {
        const Row& r = p.rows[i];
        glp_set_row_bnds(lp, i + 1, kind(r.bounds), r.bounds.low, r.bounds.high);
        std::vector<int> ind{0};
        std::vector<double> val{0.0};
        for (const auto& [column, value] : r.entries) {
            ind.push_back(column + 1);
            val.push_back(value);
        }
        glp_set_mat_row(lp, i + 1, int(ind.size()) - 1, ind.data(), val.data());
    }
    if (start && int(start->rows.size()) == m && int(start->columns.size()) == n) {
        for (int i = 0; i < m; ++i)
            glp_set_row_stat(lp, i + 1, int(start->rows[i]));
        for (int j = 0; j < n; ++j)
            glp_set_col_stat(lp, j + 1, int(start->columns[j]));
    }

    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    int ret = glp_simplex(lp, &parm);
    if (ret != 0) {   // a basis that cannot be factorised: start afresh
        glp_std_basis(lp);
        ret = glp_simplex(lp, &parm);
    }

    Solution s;
    s.optimal = ret == 0 && glp_get_status(lp) == GLP_OPT;
    s.objective = glp_get_obj_val(lp);
    for (int j = 1; j <= n; ++j) {
        s.x.push_back(glp_get_col_prim(lp, j));
        s.columnDual.push_back(glp_get_col_dual(lp, j));
        s.basis.columns.push_back(Status(glp_get_col_stat(lp, j)));
    }
    for (int i = 1; i <= m; ++i) {
        s.rowDual.push_back(glp_get_row_dual(lp, i));
        s.basis.rows.push_back(Status(glp_get_row_stat(lp, i)));
    }
    glp_delete_prob(lp);
    return s;
}

} // namespace Lp
