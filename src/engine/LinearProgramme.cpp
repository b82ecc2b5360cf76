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

int glpkStatus(Status s)
{
    switch (s) {
    case Status::Basic: return GLP_BS;
    case Status::AtLow: return GLP_NL;
    case Status::AtHigh: return GLP_NU;
    case Status::Free: return GLP_NF;
    case Status::Fixed: break;
    }
    return GLP_NS;
}

Status status(int s)
{
    switch (s) {
    case GLP_BS: return Status::Basic;
    case GLP_NL: return Status::AtLow;
    case GLP_NU: return Status::AtHigh;
    case GLP_NF: return Status::Free;
    default: return Status::Fixed;
    }
}

} // namespace

Solution solve(const Programme& p, const Basis* start)
{
    glp_prob* lp = glp_create_prob();
    const int n = int(p.columns.size()), m = int(p.rows.size());
    glp_set_obj_dir(lp, p.maximise ? GLP_MAX : GLP_MIN);
    if (n > 0)
        glp_add_cols(lp, n);
    for (int j = 0; j < n; ++j) {
        const Column& c = p.columns[std::size_t(j)];
        glp_set_col_bnds(lp, j + 1, kind(c.bounds), c.bounds.low, c.bounds.high);
        glp_set_obj_coef(lp, j + 1, c.cost);
    }
    if (m > 0)
        glp_add_rows(lp, m);
    for (int i = 0; i < m; ++i) {
        const Row& r = p.rows[std::size_t(i)];
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
            glp_set_row_stat(lp, i + 1, glpkStatus(start->rows[std::size_t(i)]));
        for (int j = 0; j < n; ++j)
            glp_set_col_stat(lp, j + 1, glpkStatus(start->columns[std::size_t(j)]));
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
    s.x.resize(std::size_t(n));
    s.columnDual.resize(std::size_t(n));
    s.basis.columns.resize(std::size_t(n));
    for (int j = 0; j < n; ++j) {
        s.x[std::size_t(j)] = glp_get_col_prim(lp, j + 1);
        s.columnDual[std::size_t(j)] = glp_get_col_dual(lp, j + 1);
        s.basis.columns[std::size_t(j)] = status(glp_get_col_stat(lp, j + 1));
    }
    s.rowDual.resize(std::size_t(m));
    s.basis.rows.resize(std::size_t(m));
    for (int i = 0; i < m; ++i) {
        s.rowDual[std::size_t(i)] = glp_get_row_dual(lp, i + 1);
        s.basis.rows[std::size_t(i)] = status(glp_get_row_stat(lp, i + 1));
    }
    glp_delete_prob(lp);
    return s;
}

} // namespace Lp
