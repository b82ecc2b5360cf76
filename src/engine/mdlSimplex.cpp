#include "engine/mdlSimplex.h"

#include "data/Fixed4.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace mdlSimplex {

namespace {

// The ratio test never takes a ratio at or above this.
constexpr std::int64_t RatioCeiling = 100;

// ratio < minimum, decided on the exact values: fma forms ratio * 10 000 - raw
// with a single rounding, and a rounding never changes the sign of a
// difference that is not zero, so the answer is exact even when the ratio
// lies within a rounding step of a four-place number.
bool below(double ratio, Fixed4 minimum)
{
    return std::fma(ratio, double(Fixed4::Scale), -double(minimum.raw())) < 0.0;
}

// Rows 0 to rows-1 that the read-off may look at: the rows the counts imply,
// as far as the tableau has them. Counts out of range give none, so every
// value read off is 0.
int readableRows(const Tableau& t, const Shape& s)
{
    if (!s.countsValid)
        return 0;
    return int(std::min<std::size_t>(std::size_t(s.lastRow) + 1, t.size()));
}

} // namespace

Shape ShapeOf(const Tableau& t, std::int16_t m, std::int16_t n, float k)
{
    Shape s;
    s.structural = std::max<int>(n, 0);
    // k arrives as a float holding a whole number; anything else is refused.
    const double kk = double(k);
    s.countsValid = m >= 0 && n >= 0 && std::isfinite(kk) && kk >= 0.0 && kk <= 32767.0
                    && std::nearbyint(kk) == kk;   // exact on purpose: k must be whole
    if (!s.countsValid)
        return s;
    // The bounds are worked out in floating point and then made whole numbers,
    // as the caller hands k over as a float.
    s.lastRow = int(std::nearbyint(double(m) + double(n) + kk + 1.0));
    s.lastColumn = int(std::nearbyint(2.0 * double(n) + double(m) + kk + 2.0));
    s.fits = t.size() > std::size_t(s.lastRow);
    for (int i = 0; s.fits && i <= s.lastRow; ++i)
        s.fits = t[std::size_t(i)].size() > std::size_t(s.lastColumn);
    return s;
}

int PivotLimit(const Shape& s)
{
    // Far more pivots than any non-cycling run of a ration-sized tableau takes.
    return 50 * ((s.lastRow + 1) + (s.lastColumn + 1));
}

int EnteringColumn(const Tableau& t, const Shape& s)
{
    const std::vector<float>& objective = t[std::size_t(s.lastRow)];
    float best = 0.0f;
    int column = 0;
    for (int j = 1; j <= s.lastColumn; ++j) {
        // Exact on purpose: only a strictly smaller entry replaces the best, so
        // the first of equal entries wins; the objective row's own +1 and any
        // NaN are never taken.
        if (objective[std::size_t(j)] < best) {
            best = objective[std::size_t(j)];
            column = j;
        }
    }
    return column;
}

int LeavingRow(const Tableau& t, const Shape& s, int column)
{
    Fixed4 minimum = Fixed4::fromInt(RatioCeiling);
    int row = -1;
    for (int i = 0; i <= s.lastRow; ++i) {
        const std::vector<float>& r = t[std::size_t(i)];
        const float entry = r[std::size_t(column)];
        // Exact on purpose: any positive entry qualifies, however small.
        if (!(entry > 0.0f))
            continue;
        const double ratio = double(r[0]) / double(entry);
        // Strictly below the stored minimum: the lower row keeps a tie.
        if (!below(ratio, minimum))
            continue;
        // The minimum is kept to four places (ties to even), so a later row
        // whose exact ratio lies under the earlier ratio's rounded value wins.
        const auto stored = Fixed4::fromDouble(ratio);
        if (!stored)
            continue;   // a ratio too large in magnitude for four places: not a candidate
        minimum = *stored;
        row = i;
    }
    return row;
}

void Pivot(Tableau& t, const Shape& s, int row, int column)
{
    const std::size_t pr = std::size_t(row);
    const std::size_t pc = std::size_t(column);
    const std::size_t rows = std::size_t(s.lastRow) + 1;
    const std::size_t cols = std::size_t(s.lastColumn) + 1;
    std::vector<float>& p = t[pr];

    // Each new value is worked out in double and stored as a float, in four
    // sub-steps in this order, each on the tableau the previous one left.
    // 1. Every other row, every other column. The quotients A(pr, j) / A(pr, pc)
    //    are the same for every row, so they are formed once.
    thread_local std::vector<double> quotient;
    thread_local std::vector<std::size_t> nonZero;
    quotient.resize(cols);
    nonZero.clear();
    bool finite = true;
    for (std::size_t j = 0; j < cols; ++j) {
        quotient[j] = double(p[j]) / double(p[pc]);
        finite = finite && std::isfinite(quotient[j]);
        if (quotient[j] != 0.0)
            nonZero.push_back(j);
    }
    // Where the quotient is 0, or the row's factor is, a finite product is 0
    // and the value stays as it is (at most a zero's sign would change, which
    // no comparison sees); such values are left alone.
    for (std::size_t i = 0; i < rows; ++i) {
        if (i == pr)
            continue;
        std::vector<float>& r = t[i];
        const float kept = r[pc];
        const double factor = double(kept);
        if (finite && factor == 0.0)
            continue;
        float* values = r.data();
        const double* q = quotient.data();
        if (finite && std::isfinite(factor)) {
            for (std::size_t j : nonZero)
                values[j] = float(double(values[j]) - q[j] * factor);
        } else {
            for (std::size_t j = 0; j < cols; ++j)
                values[j] = float(double(values[j]) - q[j] * factor);
        }
        // The pivot column's own value back: step 3 works it out from it.
        r[pc] = kept;
    }
    // 2. The pivot row, but for the pivot element.
    for (std::size_t j = 0; j < cols; ++j) {
        if (j != pc)
            p[j] = float(double(p[j]) / double(p[pc]));
    }
    // 3. The pivot column, but for the pivot element: exactly 0 for any finite
    //    pivot element, since p / p is exactly 1.
    for (std::size_t i = 0; i < rows; ++i) {
        if (i != pr) {
            const double a = double(t[i][pc]);
            t[i][pc] = float(a - (double(p[pc]) / double(p[pc])) * a);
        }
    }
    // 4. The pivot element itself becomes exactly 1.
    p[pc] = float(double(p[pc]) / double(p[pc]));
}

void KeepRightHandSidesFeasible(Tableau& t, const Shape& s)
{
    // In exact arithmetic a pivot never makes a constraint's right-hand side
    // negative. The ratio test's four-place minimum can, though: when a later
    // row wins with a ratio a hair above an earlier row's, the earlier row is
    // left a hair below zero, and its negative ratio would then win every
    // later test and lead the solver to negative weights. Such a right-hand
    // side is set to 0, the degenerate row it stands for.
    for (int i = 0; i < s.lastRow; ++i) {   // the objective row is not a constraint
        float& rhs = t[std::size_t(i)][0];
        if (rhs < 0.0f)
            rhs = 0.0f;
    }
}

void ReadOff(const Tableau& t, const Shape& s, std::vector<float>& SimplexRez)
{
    const int rows = readableRows(t, s);
    for (int j = 1; j <= s.structural; ++j) {
        const std::size_t position = std::size_t(j) - 1;
        if (position >= SimplexRez.size())
            break;   // the vector ends here: later positions are skipped too
        // A basic column is an exact unit column: one entry exactly 1, every
        // other entry exactly 0. A pivot leaves its column exactly so, which is
        // why these comparisons are exact on purpose. A column that only sums
        // to 1 (say 1, 1 and -1) is not basic and yields 0.
        int unitRow = -1;
        bool unit = rows > 0;
        for (int i = 0; unit && i < rows; ++i) {
            const std::vector<float>& r = t[std::size_t(i)];
            if (r.size() <= std::size_t(j)) {
                unit = false;   // a short row: the column cannot be checked
                break;
            }
            const float a = r[std::size_t(j)];
            if (a == 1.0f && unitRow < 0)          // exact on purpose
                unitRow = i;
            else if (a != 0.0f)                    // exact on purpose
                unit = false;
        }
        SimplexRez[position] = (unit && unitRow >= 0) ? t[std::size_t(unitRow)][0] : 0.0f;
    }
}

Outcome Solve(Tableau& SimplexTabl, std::int16_t m, std::int16_t n, float k,
              std::vector<float>& SimplexRez, bool keepTrace)
{
    Outcome out;
    const Shape s = ShapeOf(SimplexTabl, m, n, k);
    if (!s.countsValid || !s.fits) {
        out.stop = Stop::OutOfShape;
        ReadOff(SimplexTabl, s, SimplexRez);
        return out;
    }
    const int limit = PivotLimit(s);
    for (;;) {
        const int column = EnteringColumn(SimplexTabl, s);
        if (column == 0) {
            out.stop = Stop::Optimal;
            break;
        }
        const int row = LeavingRow(SimplexTabl, s, column);
        if (row < 0) {
            // Unbounded within the ceiling, or no positive entry: nothing
            // sound to pivot on, so the solution stands as it is.
            out.stop = Stop::NoLeavingRow;
            break;
        }
        if (out.pivots >= limit) {
            out.stop = Stop::PivotLimit;
            break;
        }
        Pivot(SimplexTabl, s, row, column);
        KeepRightHandSidesFeasible(SimplexTabl, s);
        ++out.pivots;
        if (keepTrace)
            out.trace.push_back({row, column});
    }
    ReadOff(SimplexTabl, s, SimplexRez);
    return out;
}

void Simplex(Tableau& SimplexTabl, std::int16_t m, std::int16_t n, float k, std::vector<float>& SimplexRez)
{
    Solve(SimplexTabl, m, n, k, SimplexRez, false);
}

} // namespace mdlSimplex
