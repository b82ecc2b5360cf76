#pragma once

#include <limits>
#include <utility>
#include <vector>

struct glp_prob;   // GLPK's, used by LinearProgramme.cpp alone

// A linear programme as a plain value: the columns with their bounds and
// costs, the rows with their coefficients and bounds, and the sense of the
// objective; and the solver that solves it (with GLPK). The band analyses
// build such a value from the ration and read the solution back, so a test
// can look at the programme an analysis asks as well as at its answer.
namespace Lp {

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();

// low == high fixes the value; an infinite end leaves that side open.
struct Bounds {
    double low = 0.0, high = kInfinity;
    bool operator==(const Bounds&) const = default;
};

struct Column {
    Bounds bounds;
    double cost = 0.0;
};

struct Row {
    Bounds bounds;
    std::vector<std::pair<int, double>> entries;   // (column, coefficient), each column once
};

struct Programme {
    std::vector<Column> columns;
    std::vector<Row> rows;
    bool maximise = false;

    // Each returns the index of what it added.
    int addColumn(Bounds b, double cost = 0.0);
    int addRow(Bounds b, std::vector<std::pair<int, double>> entries = {});
};

// Where a column stands in the basis (numbered as GLPK numbers them).
enum class Status { Basic = 1, AtLow, AtHigh, Free, Fixed };

struct Solution {
    bool optimal = false;
    double objective = 0.0;
    std::vector<double> x;             // each column's value
    std::vector<Status> status;        // each column's place in the final basis
    std::vector<double> columnDual;    // what raising a column's bound would gain, per unit
    std::vector<double> rowDual;
    // Asked for (solve's `ranged`) and optimal: each column's cost within
    // which the final basis stays optimal, an open side infinite.
    std::vector<Bounds> costRange;
};

struct Glpk;   // GLPK's functions (LinearProgramme.cpp)

// Solves programmes by the primal simplex method. A programme of the same
// shape as the one solved before starts from where that one ended and is
// loaded only where it differs (a bound, a cost, a row): a run of programmes
// that try one column after another costs little more than its pivots.
class Solver {
public:
    Solver();
    ~Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    Solution solve(const Programme& p, bool ranged = false);

private:
    Bounds costRange(int j, double cost, Status status, double dual, bool maximise) const;

    const Glpk* m_api;   // nullptr when GLPK cannot be loaded

    glp_prob* m_lp;
    Programme m_loaded;
};

// One programme on its own.
Solution solve(const Programme& p, bool ranged = false);

// Whether GLPK could be loaded (it is, on the first ask). Without it no
// programme is solved: the analyses must say so rather than find nothing.
bool available();

} // namespace Lp
