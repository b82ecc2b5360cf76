#pragma once
// The simplex solver of the automatic composition: it maximises a linear
// objective over a dense tableau by the primal simplex method with
// Gauss-Jordan pivots, then reads the structural variables off into a
// solution vector.
//
// Tableau shape for the counts m, n, k: rows 0 to m+n+k+1 (the last one is
// the objective row), columns 0 to 2n+m+k+2. Column 0 is the right-hand side,
// columns 1 to n the structural variables, and row r owns the unit column
// n+1+r. The objective row holds the negated objective coefficients.

#include <cstdint>
#include <vector>

namespace mdlSimplex {

using Tableau = std::vector<std::vector<float>>;   // [row][column], both from 0

// Solves in place and writes one value per structural column into SimplexRez
// (position j-1 for column j; positions past its end are skipped, positions
// beyond n are left as they are). It always ends: at the optimum, when no row
// qualifies in the ratio test, at the pivot limit, or at once when the counts
// are out of range or the tableau is smaller than they imply.
void Simplex(Tableau& SimplexTabl, std::int16_t m, std::int16_t n, float k, std::vector<float>& SimplexRez);

// ---- The named steps, for the tests and the benchmark ----

// The bounds of one call, worked out from the counts.
struct Shape {
    int lastRow = -1;       // m+n+k+1, the objective row
    int lastColumn = -1;    // 2n+m+k+2
    int structural = 0;     // n
    bool countsValid = false;   // m, n >= 0 and k a whole number >= 0
    bool fits = false;          // the tableau holds every row and column the counts imply
};
Shape ShapeOf(const Tableau& t, std::int16_t m, std::int16_t n, float k);

// Pivots allowed before the solver gives up on a (cycling) programme.
int PivotLimit(const Shape& s);

// The first column whose objective entry is the most negative; 0 when none is
// negative (the tableau is optimal).
int EnteringColumn(const Tableau& t, const Shape& s);

// The row leaving for the given column by the ratio test with the ceiling 100
// and the running minimum kept to four places; -1 when no row qualifies.
int LeavingRow(const Tableau& t, const Shape& s, int column);

// Gauss-Jordan pivot on (row, column); the column becomes an exact unit column.
void Pivot(Tableau& t, const Shape& s, int row, int column);

// After a pivot: a constraint's right-hand side left below zero by the
// four-place ratio test is set to 0, so no later test picks a negative ratio.
void KeepRightHandSidesFeasible(Tableau& t, const Shape& s);

// One value per structural column: the right-hand side of the row holding the
// 1 of an exact unit column, 0 for any other column.
void ReadOff(const Tableau& t, const Shape& s, std::vector<float>& SimplexRez);

enum class Stop { Optimal, NoLeavingRow, PivotLimit, OutOfShape };

struct PivotStep { int row; int column; };

struct Outcome {
    Stop stop = Stop::Optimal;
    int pivots = 0;
    std::vector<PivotStep> trace;   // filled only when asked for
};

// Simplex with an account of how it ended.
Outcome Solve(Tableau& SimplexTabl, std::int16_t m, std::int16_t n, float k,
              std::vector<float>& SimplexRez, bool keepTrace = false);

} // namespace mdlSimplex
