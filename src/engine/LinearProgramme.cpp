#include "engine/LinearProgramme.h"

#include <glpk.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace Lp {

#define RACION_GLPK_FUNCTIONS(X) \
    X(add_cols) \
    X(add_rows) \
    X(analyze_coef) \
    X(bf_exists) \
    X(create_prob) \
    X(delete_prob) \
    X(erase_prob) \
    X(factorize) \
    X(get_col_dual) \
    X(get_col_prim) \
    X(get_col_stat) \
    X(get_obj_val) \
    X(get_row_dual) \
    X(get_status) \
    X(init_smcp) \
    X(set_col_bnds) \
    X(set_mat_row) \
    X(set_obj_coef) \
    X(set_obj_dir) \
    X(set_row_bnds) \
    X(simplex) \
    X(std_basis)

// GLPK's functions, found when the first programme is solved: no start pays
// for loading GLPK and the libraries it brings, and a session that never asks
// an analysis never loads it. Windows links it as usual.
struct Glpk {
#define RACION_GLPK_POINTER(name) decltype(&glp_##name) name = nullptr;
    RACION_GLPK_FUNCTIONS(RACION_GLPK_POINTER)
#undef RACION_GLPK_POINTER
};

namespace {

std::optional<Glpk> loadGlpk()
{
    Glpk g;
#ifdef _WIN32
#define RACION_GLPK_TAKE(name) g.name = &glp_##name;
    RACION_GLPK_FUNCTIONS(RACION_GLPK_TAKE)
#undef RACION_GLPK_TAKE
#else
    // RACION_GLPK names another build of GLPK to load (an empty or missing
    // one leaves the analyses without it).
    const char* chosen = std::getenv("RACION_GLPK");
    void* library = nullptr;
    for (const char* name : {chosen ? chosen : "libglpk.so.40", chosen ? nullptr : "libglpk.so"})
        if (name && *name && (library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
            break;
    if (!library)
        return std::nullopt;
#define RACION_GLPK_FIND(name)                                                      \
    if (!(g.name = reinterpret_cast<decltype(g.name)>(dlsym(library, "glp_" #name)))) \
        return std::nullopt;
    RACION_GLPK_FUNCTIONS(RACION_GLPK_FIND)
#undef RACION_GLPK_FIND
#endif
    return g;
}

const Glpk* glpk()
{
    static const std::optional<Glpk> loaded = loadGlpk();
    return loaded ? &*loaded : nullptr;
}

} // namespace

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
    : m_api(glpk())
    , m_lp(m_api ? m_api->create_prob() : nullptr)
{
}

Solver::~Solver()
{
    if (m_lp)
        m_api->delete_prob(m_lp);
}

Solution Solver::solve(const Programme& p, bool ranged)
{
    if (!m_lp)
        return {};   // without GLPK nothing is optimal: the analyses say they found nothing
    const int n = int(p.columns.size()), m = int(p.rows.size());
    // Loaded anew when the shape changes; else only what differs, exactly,
    // from what is loaded.
    const bool fresh = n != int(m_loaded.columns.size()) || m != int(m_loaded.rows.size());
    if (fresh) {
        m_api->erase_prob(m_lp);
        if (n > 0)
            m_api->add_cols(m_lp, n);
        if (m > 0)
            m_api->add_rows(m_lp, m);
    }
    m_api->set_obj_dir(m_lp, p.maximise ? GLP_MAX : GLP_MIN);
    for (int j = 0; j < n; ++j) {
        const Column& c = p.columns[j];
        if (fresh || !(c.bounds == m_loaded.columns[j].bounds))
            m_api->set_col_bnds(m_lp, j + 1, kind(c.bounds), c.bounds.low, c.bounds.high);
        if (fresh || c.cost != m_loaded.columns[j].cost)
            m_api->set_obj_coef(m_lp, j + 1, c.cost);
    }
    std::vector<int> ind;
    std::vector<double> val;
    for (int i = 0; i < m; ++i) {
        const Row& r = p.rows[i];
        if (fresh || !(r.bounds == m_loaded.rows[i].bounds))
            m_api->set_row_bnds(m_lp, i + 1, kind(r.bounds), r.bounds.low, r.bounds.high);
        if (!fresh && r.entries == m_loaded.rows[i].entries)
            continue;
        ind.assign(1, 0);   // GLPK counts from 1
        val.assign(1, 0.0);
        for (const auto& [column, value] : r.entries) {
            ind.push_back(column + 1);
            val.push_back(value);
        }
        m_api->set_mat_row(m_lp, i + 1, int(ind.size()) - 1, ind.data(), val.data());
    }
    m_loaded = p;

    glp_smcp parm;
    m_api->init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    int ret = m_api->simplex(m_lp, &parm);
    if (ret != 0) {   // a basis left unusable by a changed column: start afresh
        m_api->std_basis(m_lp);
        ret = m_api->simplex(m_lp, &parm);
    }

    Solution s;
    s.optimal = ret == 0 && m_api->get_status(m_lp) == GLP_OPT;
    s.objective = m_api->get_obj_val(m_lp);
    for (int j = 1; j <= n; ++j) {
        s.x.push_back(m_api->get_col_prim(m_lp, j));
        s.status.push_back(Status(m_api->get_col_stat(m_lp, j)));
        s.columnDual.push_back(m_api->get_col_dual(m_lp, j));
    }
    for (int i = 1; i <= m; ++i)
        s.rowDual.push_back(m_api->get_row_dual(m_lp, i));
    if (ranged && s.optimal && (m_api->bf_exists(m_lp) || m_api->factorize(m_lp) == 0))
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
        m_api->analyze_coef(m_lp, int(m_loaded.rows.size()) + j + 1, &low, &var, &value, &high, &var, &value);
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

bool available()
{
    return glpk() != nullptr;
}

} // namespace Lp
