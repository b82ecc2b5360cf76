#pragma once

#include <limits>
#include <utility>
#include <vector>

// A linear programme as a plain value: the columns with their bounds and
// costs, the rows with their coefficients and bounds, and the sense of the
// objective; and the one function that solves it (with GLPK). The band
// analyses build such a value from the ration and read the solution back, so
// a test can look at the programme an analysis asks as well as at its answer.
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

// Where a row or a column stands in a basis (numbered as GLPK numbers them).
enum class Status { Basic = 1, AtLow, AtHigh, Free, Fixed };

struct Basis {
    std::vector<Status> rows, columns;
};

struct Solution {
    bool optimal = false;
    double objective = 0.0;
    std::vector<double> x;             // each column's value
    std::vector<double> columnDual;    // what raising a column's bound would gain, per unit
    std::vector<double> rowDual;
    Basis basis;                       // where the simplex ended, optimal or not
};

// Solves the programme by the primal simplex method, from `start` when it is
// given and fits (the basis a programme of the same shape ended with), else
// from the standard basis; a start that turns out unusable gives way to the
// standard basis.
Solution solve(const Programme& p, const Basis* start = nullptr);

} // namespace Lp
