// Times one solve of a 10-feed, 8-nutrient, 4-group ration tableau by
// mdlSimplex::Simplex, beside GLPK's primal simplex on the same programme.
// Usage: bench_simplex [batches] [solves per batch]

#include "engine/mdlSimplex.h"
#include "SimplexRation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Median over the batches of the mean time of one call, in microseconds.
double medianMicros(int batches, int perBatch, const std::function<void()>& call)
{
    std::vector<double> means;
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            call();
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        means.push_back(spent.count() / perBatch);
    }
    std::sort(means.begin(), means.end());
    return means[means.size() / 2];
}

volatile float sink = 0.0f;

} // namespace

int main(int argc, char** argv)
{
    const int batches = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const int perBatch = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;

    std::printf("One solve of a ration tableau: 10 feeds, 8 nutrient rows, 4 group rows\n"
                "(24 rows x 35 columns); median of %d batches of %d solves, microseconds.\n\n",
                batches, perBatch);
    std::printf("%6s %7s %10s %10s %12s %12s %14s %14s\n", "seed", "pivots", "copy", "Simplex",
                "GLPK solve", "GLPK build", "objective", "GLPK objective");

    int shown = 0;
    for (std::uint32_t seed = 1; shown < 6 && seed < 100000; ++seed) {
        const auto p = SimplexRation::randomRation(seed, 10, 8, 4);
        if (p.K != 4)
            continue;   // a group without members or with limit 0 was dropped
        ++shown;
        const mdlSimplex::Tableau original = p.tableau();
        std::vector<float> rez(11, 0.0f);

        mdlSimplex::Tableau t = original;
        const auto out = mdlSimplex::Solve(t, 8, 10, 4.0f, rez);
        double objective = 0.0;
        for (int j = 0; j < p.N; ++j)
            objective += double(p.W[j]) * double(rez[j]);

        // The solver works in place, so every solve starts from a copy; the
        // copy alone is timed too.
        const double copyUs = medianMicros(batches, perBatch, [&] {
            t = original;
            sink = sink + t[0][0];
        });
        const double ourUs = medianMicros(batches, perBatch, [&] {
            t = original;
            std::fill(rez.begin(), rez.end(), 0.0f);
            mdlSimplex::Simplex(t, 8, 10, 4.0f, rez);
            sink = sink + rez[0];
        });

        // GLPK: the problem built once and solved from the standard basis each
        // time, and the whole of building, solving and freeing it.
        glp_prob* lp = SimplexRation::glpkProblem(p);
        const glp_smcp parm = SimplexRation::quietSimplex();
        glp_simplex(lp, &parm);
        const double glpkObjective = glp_get_obj_val(lp);
        const int glpkBatch = std::max(1, perBatch / 4);
        const double glpkSolveUs = medianMicros(batches, glpkBatch, [&] {
            glp_std_basis(lp);
            glp_simplex(lp, &parm);
            sink = sink + float(glp_get_obj_val(lp));
        });
        glp_delete_prob(lp);
        const double glpkBuildUs = medianMicros(batches, glpkBatch, [&] {
            double value = 0.0;
            SimplexRation::glpkOptimum(p, value);
            sink = sink + float(value);
        });

        std::printf("%6u %7d %10.2f %10.2f %12.2f %12.2f %14.6f %14.6f\n", seed, out.pivots, copyUs,
                    ourUs, glpkSolveUs, glpkBuildUs, objective, glpkObjective);
    }
    std::printf("\ncopy: copying the tableau alone; Simplex: copy + solve + read-off;\n"
                "GLPK solve: glp_std_basis + glp_simplex on a built problem;\n"
                "GLPK build: create, load, solve and delete the problem.\n");
    return 0;
}
