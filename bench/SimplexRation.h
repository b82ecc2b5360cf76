#pragma once
// Random ration-shaped linear programmes for the solver's benchmark, built
// the way the automatic composition builds them, and their independent
// solution by GLPK.

#include "data/Fixed4.h"
#include "engine/mdlSimplex.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace SimplexRation {

// Maximise sum W(j) x_j subject to rows A x <= b, x >= 0, in the floats that
// go into the tableau. Rows: M nutrients, N feeding limits, K groups, total weight.
struct Programme {
    int M = 5, N = 1, K = 0;
    std::vector<std::vector<float>> A;
    std::vector<float> b, W;

    int rows() const { return int(A.size()); }

    // The tableau as the composition fills it: constraint rows, then the
    // negated objective; row r owns the unit column N + 1 + r.
    mdlSimplex::Tableau tableau() const
    {
        const int lastRow = M + N + K + 1;
        mdlSimplex::Tableau t(std::size_t(lastRow) + 1, std::vector<float>(std::size_t(2 * N + M + K + 3), 0.0f));
        for (int r = 0; r <= lastRow; ++r) {
            for (int j = 1; j <= N; ++j)
                t[r][j] = r < lastRow ? A[r][j - 1] : -W[j - 1];
            t[r][0] = r < lastRow ? b[r] : 0.0f;
            t[r][N + 1 + r] = 1.0f;
        }
        return t;
    }
};

// M = 5 or 8 nutrient rows, 1 to 10 feeds in 1 to 4 groups with share limits,
// the bound shift delta of the main nutrients and the vitamin surplus. Only
// the raw outputs of mt19937 are used: the standard fixes their sequence.
inline Programme randomRation(std::uint32_t seed, int feeds = 0, int nutrients = 0, int groups = 0)
{
    std::mt19937 gen(seed);
    const auto unit = [&] { return double(gen()) / 4294967296.0; };
    const auto below = [&](int n) { return int(unit() * n); };
    const auto typed = [&](double lo, double hi, double scale) { return std::round((lo + (hi - lo) * unit()) * scale) / scale; };
    Programme p;
    p.M = nutrients ? nutrients : (unit() < 0.5 ? 8 : 5);
    p.N = feeds ? feeds : 1 + below(10);
    const int G = groups ? groups : 1 + below(4);

    static const double top[8] = {400, 60, 38, 18, 40, 80, 20, 400};
    static const double lo[8] = {260, 14, 0.8, 0.4, 0.15, 0.5, 0.1, 0.3};
    static const double hi[8] = {310, 22, 4.0, 0.9, 0.40, 1.5, 0.3, 0.8};
    std::vector<std::vector<double>> data(p.N, std::vector<double>(10, 0.0));   // fields 1..9 of basa
    std::vector<int> group(p.N);
    p.W.assign(p.N, 0.0f);
    for (int i = 0; i < p.N; ++i) {
        for (int j = 1; j <= 8; ++j)
            data[i][j] = unit() < (j == 1 ? 0.05 : j <= 5 ? 0.2 : 0.6) ? 0.0 : typed(0.0, top[j - 1], 100);
        data[i][9] = unit() < 0.3 ? 100.0 : typed(1.0, 100.0, 1);
        group[i] = below(G);
        for (int r = 1; r <= p.M; ++r)   // the float sum of the M contents, in nutrient order
            p.W[i] = float(double(p.W[i]) + data[i][r]);
    }
    double norma[8];
    for (int j = 0; j < 8; ++j)
        norma[j] = typed(lo[j], hi[j], 100);
    const float delta = float(below(61) - 30) * 0.01f;
    const float v = float(below(11) * 10);
    for (int r = 0; r < p.M; ++r) {
        p.A.emplace_back(p.N);
        for (int j = 0; j < p.N; ++j)
            p.A.back()[j] = float(data[j][r + 1]);
        p.b.push_back(float(norma[r] * (r < 5 ? 1.0 + double(delta) : 1.0 + double(v) / 100.0)));
    }
    for (int f = 0; f < p.N; ++f) {
        p.A.emplace_back(p.N, 0.0f);
        p.A.back()[f] = 1.0f;
        p.b.push_back(float(data[f][9] / 100.0));
    }
    // A group without a chosen member, or with a limit of 0, gives no row.
    for (int g = 0; g < G; ++g) {
        const double procent = unit() < 0.15 ? 0.0 : (unit() < 0.2 ? 100.0 : typed(5.0, 100.0, 1));
        std::vector<float> flags(p.N, 0.0f);
        for (int j = 0; j < p.N; ++j)
            flags[j] = group[j] == g ? 1.0f : 0.0f;
        const double bound = Fixed4::fromDoubleOrZero(procent / 100.0).toDouble();
        if (bound > 0.0 && bound < 100.0 && std::find(flags.begin(), flags.end(), 1.0f) != flags.end()) {
            p.A.push_back(flags);
            p.b.push_back(float(bound));
            ++p.K;
        }
    }
    p.A.emplace_back(p.N, 1.0f);
    p.b.push_back(1.0f);
    return p;
}

// The GLPK problem of a programme, ready to solve.
inline glp_prob* glpkProblem(const Programme& p)
{
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_rows(lp, p.rows());
    glp_add_cols(lp, p.N);
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (int r = 0; r < p.rows(); ++r) {
        glp_set_row_bnds(lp, r + 1, GLP_UP, 0.0, double(p.b[r]));
        for (int j = 0; j < p.N; ++j) {
            if (p.A[r][j] == 0.0f)
                continue;
            ia.push_back(r + 1);
            ja.push_back(j + 1);
            ar.push_back(double(p.A[r][j]));
        }
    }
    for (int j = 0; j < p.N; ++j) {
        glp_set_col_bnds(lp, j + 1, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp, j + 1, double(p.W[j]));
    }
    glp_load_matrix(lp, int(ar.size()) - 1, ia.data(), ja.data(), ar.data());
    return lp;
}

inline glp_smcp quietSimplex()
{
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    return parm;
}

// The optimum objective by GLPK; false when GLPK finds no optimum.
inline bool glpkOptimum(const Programme& p, double& objective)
{
    glp_prob* lp = glpkProblem(p);
    const glp_smcp parm = quietSimplex();
    const bool ok = glp_simplex(lp, &parm) == 0 && glp_get_status(lp) == GLP_OPT;
    objective = ok ? glp_get_obj_val(lp) : 0.0;
    glp_delete_prob(lp);
    return ok;
}

} // namespace SimplexRation
