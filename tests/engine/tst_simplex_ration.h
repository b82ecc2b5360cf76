#pragma once
// Random ration-shaped linear programmes for the solver's tests and its
// benchmark, built the way the automatic composition builds them, and their
// independent solution by GLPK.

#include "data/Fixed4.h"
#include "engine/mdlSimplex.h"

#include <glpk.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace SimplexRation {

// A programme: maximise sum W(j) x_j subject to rows A x <= b, x >= 0, all
// numbers already the floats that go into the tableau.
struct Programme {
    int M = 5;      // nutrient rows
    int N = 1;      // feeds
    int K = 0;      // kept group rows
    std::vector<std::vector<float>> A;   // M + N + K + 1 constraint rows, N coefficients each
    std::vector<float> b;
    std::vector<float> W;

    int rows() const { return int(A.size()); }

    // The tableau exactly as the composition fills it: constraint rows, then
    // the objective row; unit column N + 1 + r for row r.
    mdlSimplex::Tableau tableau() const
    {
        const int lastRow = M + N + K + 1;
        const int lastCol = 2 * N + M + K + 2;
        mdlSimplex::Tableau t(std::size_t(lastRow) + 1, std::vector<float>(std::size_t(lastCol) + 1, 0.0f));
        for (int r = 0; r < rows(); ++r) {
            t[r][0] = b[r];
            for (int j = 1; j <= N; ++j)
                t[r][j] = A[r][j - 1];
        }
        for (int j = 1; j <= N; ++j)
            t[lastRow][j] = -W[j - 1];
        t[lastRow][0] = 0.0f;
        for (int r = 0; r <= lastRow; ++r)
            t[r][N + 1 + r] = 1.0f;
        return t;
    }
};

// Uniform numbers from the raw 32-bit outputs of mt19937, whose sequence the
// standard fixes (its distributions are not fixed, so they are not used).
class Rng {
public:
    explicit Rng(std::uint32_t seed) : m_gen(seed) {}
    double unit() { return double(m_gen()) / 4294967296.0; }                 // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return int(unit() * n); }                             // 0 .. n-1
    bool chance(double p) { return unit() < p; }
    // A value with at most `places` decimals, as typed into the tables.
    double typed(double lo, double hi, int places)
    {
        double scale = 1.0;
        for (int i = 0; i < places; ++i)
            scale *= 10.0;
        return std::round(range(lo, hi) * scale) / scale;
    }
private:
    std::mt19937 m_gen;
};

// A random ration: M = 5 or 8 nutrient rows, `feeds` feeds (1 to 10), feeds in
// up to four groups with share limits, the bound shift delta of the main
// nutrients and the vitamin surplus v.
inline Programme randomRation(std::uint32_t seed, int feeds = 0, int nutrients = 0, int groups = 0)
{
    Rng rng(seed);
    Programme p;
    p.M = nutrients ? nutrients : (rng.chance(0.5) ? 8 : 5);
    p.N = feeds ? feeds : 1 + rng.below(10);
    const int G = groups ? groups : 1 + rng.below(4);

    // Feed rows: fields 1..8 per 100 g, feeding limit (grams per 100 g), group.
    static const double hiContent[8] = {400, 60, 38, 18, 40, 80, 20, 400};
    static const double lo[8] = {260, 14, 0.8, 0.4, 0.15, 0.5, 0.1, 0.3};
    static const double hi[8] = {310, 22, 4.0, 0.9, 0.40, 1.5, 0.3, 0.8};
    std::vector<std::vector<double>> data(p.N, std::vector<double>(11, 0.0));
    std::vector<int> group(p.N);
    for (int i = 0; i < p.N; ++i) {
        for (int j = 1; j <= 8; ++j) {
            const double zeroChance = j == 1 ? 0.05 : (j <= 5 ? 0.2 : 0.6);
            data[i][j] = rng.chance(zeroChance) ? 0.0 : rng.typed(0.0, hiContent[j - 1], 2);
        }
        data[i][9] = rng.chance(0.3) ? 100.0 : rng.typed(1.0, 100.0, 0);
        group[i] = rng.below(G);
    }
    std::vector<double> norma(9, 0.0);
    for (int j = 1; j <= 8; ++j)
        norma[j] = rng.typed(lo[j - 1], hi[j - 1], 2);
    const float delta = float(rng.below(61) - 30) * 0.01f;
    const float v = float(rng.below(11) * 10);

    // Group table: share limits as four-place fractions; a group without a
    // chosen member, or with a limit of 0, gives no row.
    std::vector<std::vector<double>> kept;
    std::vector<double> keptLimit;
    for (int g = 0; g < G; ++g) {
        const double procent = rng.chance(0.15) ? 0.0 : (rng.chance(0.2) ? 100.0 : rng.typed(5.0, 100.0, 0));
        const Fixed4 limit = Fixed4::fromDoubleOrZero(procent / 100.0);
        std::vector<double> flags(p.N, 0.0);
        bool any = false;
        for (int j = 0; j < p.N; ++j) {
            if (group[j] == g) {
                flags[j] = 1.0;
                any = true;
            }
        }
        const double bound = any ? limit.toDouble() : 0.0;
        if (bound > 0.0 && bound < 100.0) {
            kept.push_back(flags);
            keptLimit.push_back(bound);
        }
    }
    p.K = int(kept.size());

    for (int r = 0; r < p.M; ++r) {
        std::vector<float> row(p.N);
        for (int j = 0; j < p.N; ++j)
            row[j] = float(data[j][r + 1]);
        p.A.push_back(row);
        const double factor = r < 5 ? 1.0 + double(delta) : 1.0 + double(v) / 100.0;
        p.b.push_back(float(norma[r + 1] * factor));
    }
    for (int f = 0; f < p.N; ++f) {
        std::vector<float> row(p.N, 0.0f);
        row[f] = 1.0f;
        p.A.push_back(row);
        p.b.push_back(float(data[f][9] / 100.0));
    }
    for (int g = 0; g < p.K; ++g) {
        std::vector<float> row(p.N);
        for (int j = 0; j < p.N; ++j)
            row[j] = float(kept[g][j]);
        p.A.push_back(row);
        p.b.push_back(float(keptLimit[g]));
    }
    p.A.push_back(std::vector<float>(p.N, 1.0f));
    p.b.push_back(1.0f);

    // Feed weights: the float sum of the M contents, in nutrient order.
    p.W.assign(p.N, 0.0f);
    for (int j = 0; j < p.N; ++j) {
        float w = 0.0f;
        for (int r = 1; r <= p.M; ++r)
            w = float(double(w) + data[j][r]);
        p.W[j] = w;
    }
    return p;
}

// The GLPK problem of a programme, ready to solve.
inline glp_prob* glpkProblem(const Programme& p)
{
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_rows(lp, p.rows());
    glp_add_cols(lp, p.N);
    for (int r = 0; r < p.rows(); ++r)
        glp_set_row_bnds(lp, r + 1, GLP_UP, 0.0, double(p.b[r]));
    for (int j = 0; j < p.N; ++j) {
        glp_set_col_bnds(lp, j + 1, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp, j + 1, double(p.W[j]));
    }
    std::vector<int> ia{0}, ja{0};
    std::vector<double> ar{0.0};
    for (int r = 0; r < p.rows(); ++r) {
        for (int j = 0; j < p.N; ++j) {
            if (p.A[r][j] != 0.0f) {
                ia.push_back(r + 1);
                ja.push_back(j + 1);
                ar.push_back(double(p.A[r][j]));
            }
        }
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
    const int rc = glp_simplex(lp, &parm);
    const bool ok = rc == 0 && glp_get_status(lp) == GLP_OPT;
    objective = ok ? glp_get_obj_val(lp) : 0.0;
    glp_delete_prob(lp);
    return ok;
}

} // namespace SimplexRation
