// The simplex solver: its pivot rules, the read-off, how it stops, what it
// does with a malformed tableau, and random ration-shaped programmes checked
// against GLPK.

#include "engine/mdlSimplex.h"
#include "tst_simplex_ration.h"

#include <QTest>

#include <cmath>
#include <limits>

using mdlSimplex::Tableau;
using mdlSimplex::Stop;
using FloatRows = std::vector<std::vector<float>>;
using Floats = std::vector<float>;

Q_DECLARE_METATYPE(FloatRows)
Q_DECLARE_METATYPE(Floats)
Q_DECLARE_METATYPE(mdlSimplex::Stop)

namespace {

// The programme: maximise 3 x1 + 2 x2 with 2 x1 + x2 <= 1.5, x1 <= 0.625,
// x2 <= 0.75, x1 + x2 <= 1 (m = 1, n = 2, k = 0).
Tableau workedExample()
{
    return {
        {1.5f,   2.0f,  1.0f, 1, 0, 0, 0, 0},
        {0.625f, 1.0f,  0.0f, 0, 1, 0, 0, 0},
        {0.75f,  0.0f,  1.0f, 0, 0, 1, 0, 0},
        {1.0f,   1.0f,  1.0f, 0, 0, 0, 1, 0},
        {0.0f,  -3.0f, -2.0f, 0, 0, 0, 0, 1},
    };
}

// A shape over a tableau of the given size, for calling a single step.
mdlSimplex::Shape shapeOver(const Tableau& t)
{
    mdlSimplex::Shape s;
    s.lastRow = int(t.size()) - 1;
    s.lastColumn = int(t[0].size()) - 1;
    s.structural = 1;
    s.countsValid = s.fits = true;
    return s;
}

// The read-off that decides by the column sum: every row holding an exact 1
// in a column summing to 1 gives a value, so one column may give several.
Floats sumRuleReadOff(const Tableau& t, int n, std::size_t size)
{
    Floats out(size, 0.0f);
    std::size_t c = 0;
    for (int j = 1; j <= n; ++j) {
        float s = 0.0f;
        for (const auto& row : t)
            s += row[j];
        if (s == 1.0f) {
            for (const auto& row : t) {
                if (row[j] == 1.0f) {
                    if (c < size) out[c] = row[0];
                    ++c;
                }
            }
        } else {
            if (c < size) out[c] = 0.0f;
            ++c;
        }
    }
    return out;
}

} // namespace

class tst_simplex : public QObject {
    Q_OBJECT

private slots:
    void workedExampleFollowsThePivotRules();
    void readOff_data();
    void readOff();
    void enteringColumn_data();
    void enteringColumn();
    void leavingRow_data();
    void leavingRow();
    void stopsWhenNoRowQualifies();
    void roundedMinimumNeverLeadsToNegativeWeights();
    void pivotLimitEndsACyclingProgramme();
    void malformedInput_data();
    void malformedInput();
    void randomRations_data();
    void randomRations();
};

void tst_simplex::workedExampleFollowsThePivotRules()
{
    Tableau t = workedExample();
    Floats rez(3, 0.0f);
    const auto out = mdlSimplex::Solve(t, 1, 2, 0.0f, rez, true);

    QCOMPARE(out.stop, Stop::Optimal);
    QCOMPARE(out.trace.size(), std::size_t(3));
    const int expected[3][2] = {{1, 1}, {0, 2}, {3, 4}};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(out.trace[i].row, expected[i][0]);
        QCOMPARE(out.trace[i].column, expected[i][1]);
    }
    // Every value on the way is exact in float, so the results are too.
    QCOMPARE(rez, (Floats{0.5f, 0.5f, 0.0f}));
    QCOMPARE(t[4][0], 2.5f);
    QCOMPARE(t[4][7], 1.0f);
}

void tst_simplex::readOff_data()
{
    QTest::addColumn<FloatRows>("tableau");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("size");
    QTest::addColumn<Floats>("expected");

    // m = 1, n = 2, k = 0: 5 rows, 8 columns; no negative objective entry.
    QTest::newRow("optimal at the start: unit columns give their row's value, others 0")
        << FloatRows{{0.2f, 0, 1, 1, 0, 0, 0, 0},
                     {0.3f, 1, 0, 0, 1, 0, 0, 0},
                     {0.4f, 0, 1, 0, 0, 1, 0, 0},
                     {0.5f, 0, 0, 0, 0, 0, 1, 0},
                     {0.0f, 0, 0, 0, 0, 0, 0, 1}}
        << 2 << 3 << Floats{0.3f, 0.0f, 9.0f};
    // Column 1 holds 1, 1 and -1: it sums to 1 but is no unit column. Read by
    // the sum it would give two values and push x2 to position 2.
    QTest::newRow("a column summing to 1 with two ones is not basic, nothing shifts")
        << FloatRows{{0.2f,  1, 0, 1, 0, 0, 0, 0},
                     {0.3f,  1, 0, 0, 1, 0, 0, 0},
                     {0.4f, -1, 1, 0, 0, 1, 0, 0},
                     {0.5f,  0, 0, 0, 0, 0, 1, 0},
                     {0.0f,  0, 0, 0, 0, 0, 0, 1}}
        << 2 << 3 << Floats{0.0f, 0.4f, 9.0f};
    QTest::newRow("an entry a hair off 1 or 0 makes the column non-basic")
        << FloatRows{{0.2f, 0.99999994f, 0,     1, 0, 0, 0, 0},
                     {0.3f, 0,           1,     0, 1, 0, 0, 0},
                     {0.4f, 0,           1e-30f, 0, 0, 1, 0, 0},
                     {0.5f, 0,           0,     0, 0, 0, 1, 0},
                     {0.0f, 0,           0,     0, 0, 0, 0, 1}}
        << 2 << 3 << Floats{0.0f, 0.0f, 9.0f};
    QTest::newRow("a vector shorter than n takes what fits")
        << FloatRows{{0.2f, 1, 0, 1, 0, 0, 0, 0},
                     {0.3f, 0, 1, 0, 1, 0, 0, 0},
                     {0.4f, 0, 0, 0, 0, 1, 0, 0},
                     {0.5f, 0, 0, 0, 0, 0, 1, 0},
                     {0.0f, 0, 0, 0, 0, 0, 0, 1}}
        << 2 << 1 << Floats{0.2f};
}

void tst_simplex::readOff()
{
    QFETCH(FloatRows, tableau);
    QFETCH(int, n);
    QFETCH(int, size);
    QFETCH(Floats, expected);

    Floats rez(std::size_t(size), 9.0f);
    const auto out = mdlSimplex::Solve(tableau, 1, std::int16_t(n), 0.0f, rez);
    QCOMPARE(out.stop, Stop::Optimal);
    QCOMPARE(out.pivots, 0);
    QCOMPARE(rez, expected);
}

void tst_simplex::enteringColumn_data()
{
    QTest::addColumn<Floats>("objective");
    QTest::addColumn<int>("expected");

    QTest::newRow("most negative entry") << Floats{0, -1, -3, -2, 1} << 2;
    QTest::newRow("equal most negative entries: the lower column") << Floats{0, -1, -2, -2, 1} << 2;
    QTest::newRow("no negative entry: optimal") << Floats{5, 0, 2, 0, 1} << 0;
    QTest::newRow("the right-hand side never enters") << Floats{-7, 0, 0, 0, 1} << 0;
    QTest::newRow("a NaN entry never enters")
        << Floats{0, std::numeric_limits<float>::quiet_NaN(), -1, 0, 1} << 2;
}

void tst_simplex::enteringColumn()
{
    QFETCH(Floats, objective);
    QFETCH(int, expected);
    const Tableau t{Floats(objective.size(), 0.0f), objective};
    QCOMPARE(mdlSimplex::EnteringColumn(t, shapeOver(t)), expected);
}

void tst_simplex::leavingRow_data()
{
    // Each pair is (right-hand side, entry in the pivot column) of one row;
    // the objective row with a negative entry is added last.
    QTest::addColumn<FloatRows>("rows");
    QTest::addColumn<int>("expected");

    QTest::newRow("smallest ratio") << FloatRows{{0.9f, 1}, {0.2f, 1}, {0.6f, 2}} << 1;
    QTest::newRow("equal ratios: the lower row") << FloatRows{{0.5f, 1}, {1.0f, 2}} << 0;
    QTest::newRow("minimum 0.12346 kept as 0.1235: a later 0.12349 takes over")
        << FloatRows{{0.12346f, 1}, {0.12349f, 1}} << 1;
    QTest::newRow("minimum 0.12344 kept as 0.1234: a later 0.12342 does not")
        << FloatRows{{0.12344f, 1}, {0.12342f, 1}} << 0;
    QTest::newRow("a ratio one float step under a four-place minimum takes over")
        << FloatRows{{0.5f, 1}, {std::nextafter(0.5f, 0.0f), 1}} << 1;
    QTest::newRow("a ratio of exactly 100 never qualifies") << FloatRows{{100.0f, 1}} << -1;
    QTest::newRow("a ratio of 1000 never qualifies, even as the only candidate")
        << FloatRows{{1.0f, 0.001f}, {5.0f, 0}} << -1;
    QTest::newRow("a ratio just under 100 qualifies") << FloatRows{{99.99f, 1}} << 0;
    QTest::newRow("a degenerate row (ratio 0) qualifies") << FloatRows{{0.5f, 1}, {0.0f, 3}} << 1;
    QTest::newRow("zero and negative entries never qualify")
        << FloatRows{{0.0f, -1}, {0.0f, 0}, {0.7f, 0.5f}} << 2;
}

void tst_simplex::leavingRow()
{
    QFETCH(FloatRows, rows);
    QFETCH(int, expected);
    Tableau t;
    for (const auto& r : rows)
        t.push_back({r[0], r[1], 1.0f});
    t.push_back({0.0f, -1.0f, 1.0f});
    QCOMPARE(mdlSimplex::LeavingRow(t, shapeOver(t), 1), expected);
}

void tst_simplex::roundedMinimumNeverLeadsToNegativeWeights()
{
    // m = 2, n = 2, k = 0: rows x1 <= 0.12346, x1 <= 0.12349, x1 <= 1,
    // x2 <= 0.5, x1 + x2 <= 2, objective max 2 x1 + x2 (columns 3..8 are the
    // unit columns). x1 enters; the four-place minimum lets the second row leave,
    // which leaves the first row's right-hand side at -0.00003. That row's
    // negative ratio used to win the next test and drive x1 and x2 below 0.
    // The solver now treats it as a degenerate row: every weight is >= 0 and
    // the bounds hold to within the rounding the rule itself allows.
    Tableau t{
        {0.12346f, 1, 0, 1, 0, 0, 0, 0, 0},
        {0.12349f, 1, 0, 0, 1, 0, 0, 0, 0},
        {1.0f,     1, 0, 0, 0, 1, 0, 0, 0},
        {0.5f,     0, 1, 0, 0, 0, 1, 0, 0},
        {2.0f,     1, 1, 0, 0, 0, 0, 1, 0},
        {0.0f,    -2, -1, 0, 0, 0, 0, 0, 1},
    };
    Floats rez(3, 0.0f);
    const auto out = mdlSimplex::Solve(t, 2, 2, 0.0f, rez);
    QCOMPARE(out.stop, Stop::Optimal);
    for (int i = 0; i < 5; ++i)
        QVERIFY2(t[i][0] >= 0.0f, qPrintable(QStringLiteral("row %1 right-hand side %2").arg(i).arg(t[i][0])));
    QVERIFY(rez[0] >= 0.0f && rez[1] >= 0.0f);
    QVERIFY(std::fabs(rez[0] - 0.12346f) < 1e-4f);
    QCOMPARE(rez[1], 0.5f);
}

void tst_simplex::stopsWhenNoRowQualifies()
{
    // m = 1, n = 1, k = 0: 4 rows, 5 columns. x1 wants to enter but every
    // ratio is 100 or more: the solver stops and reads off what it has.
    Tableau t{
        {150.0f, 1, 1, 0, 0, 0},
        {200.0f, 1, 0, 1, 0, 0},
        {300.0f, 2, 0, 0, 1, 0},
        {0.0f,  -1, 0, 0, 0, 1},
    };
    Floats rez(2, 9.0f);
    auto out = mdlSimplex::Solve(t, 1, 1, 0.0f, rez);
    QCOMPARE(out.stop, Stop::NoLeavingRow);
    QCOMPARE(out.pivots, 0);
    QCOMPARE(rez, (Floats{0.0f, 9.0f}));

    // With one row under the ceiling it pivots there and reaches the optimum.
    t[2][0] = 198.0f;
    out = mdlSimplex::Solve(t, 1, 1, 0.0f, rez);
    QCOMPARE(out.stop, Stop::Optimal);
    QCOMPARE(out.pivots, 1);
    QCOMPARE(rez[0], 99.0f);
}

void tst_simplex::pivotLimitEndsACyclingProgramme()
{
    // A degenerate programme on which the most-negative-entry rule with the
    // lower row on ties runs round a cycle of bases for ever:
    // max 10 x1 - 57 x2 - 9 x3 - 24 x4 with
    // 0.5 x1 - 5.5 x2 - 2.5 x3 + 9 x4 <= 0, 0.5 x1 - 1.5 x2 - 0.5 x3 + x4 <= 0,
    // x1 <= 1. m = 0, n = 4, k = 0 gives two more rows, left empty.
    Tableau t(6, Floats(11, 0.0f));
    const float rows[4][5] = {{0, 0.5f, -5.5f, -2.5f, 9},
                              {0, 0.5f, -1.5f, -0.5f, 1},
                              {1, 1, 0, 0, 0},
                              {0, -10, 57, 9, 24}};
    const int at[4] = {0, 1, 2, 5};
    for (int r = 0; r < 4; ++r)
        for (int j = 0; j < 5; ++j)
            t[at[r]][j] = rows[r][j];
    t[3][0] = t[4][0] = 1.0f;
    for (int r = 0; r < 6; ++r)
        t[r][5 + r] = 1.0f;

    Floats rez(5, 9.0f);
    const auto out = mdlSimplex::Solve(t, 0, 4, 0.0f, rez);
    QCOMPARE(out.stop, Stop::PivotLimit);
    const mdlSimplex::Shape s = mdlSimplex::ShapeOf(t, 0, 4, 0.0f);
    QCOMPARE(out.pivots, mdlSimplex::PivotLimit(s));
    QCOMPARE(out.pivots, 50 * (6 + 11));
    // Every basis of the cycle is degenerate at x = 0.
    QCOMPARE(rez, (Floats{0, 0, 0, 0, 9.0f}));
}

void tst_simplex::malformedInput_data()
{
    QTest::addColumn<FloatRows>("tableau");
    QTest::addColumn<int>("m");
    QTest::addColumn<int>("n");
    QTest::addColumn<float>("k");
    QTest::addColumn<int>("size");
    QTest::addColumn<Floats>("expected");

    const float inf = std::numeric_limits<float>::infinity();
    const FloatRows example = workedExample();
    FloatRows missingRows = {{0.3f, 1, 0, 0, 0, 0, 0, 0}, {0.7f, 0, 1, 0, 0, 0, 0, 0}};
    FloatRows shortRow = workedExample();
    shortRow[1] = {0.3f, 1};
    shortRow[0][1] = 0.0f;
    shortRow[2][1] = 0.0f;
    shortRow[3][1] = 0.0f;
    shortRow[4][1] = 0.0f;

    QTest::newRow("fewer rows than the counts imply: no pivot, read what is there")
        << missingRows << 1 << 2 << 0.0f << 3 << Floats{0.3f, 0.7f, 9.0f};
    QTest::newRow("a row shorter than the counts imply: a column it lacks gives 0")
        << shortRow << 1 << 2 << 0.0f << 3 << Floats{0.3f, 0.0f, 9.0f};
    QTest::newRow("n far beyond the tableau: only the vector's positions are written")
        << example << 1 << 300 << 0.0f << 4 << Floats{0, 0, 1.5f, 0.625f};
    QTest::newRow("empty tableau") << FloatRows{} << 1 << 2 << 0.0f << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("negative m") << example << -1 << 2 << 0.0f << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("negative n writes nothing") << example << 1 << -2 << 0.0f << 2 << Floats{9.0f, 9.0f};
    QTest::newRow("k not a whole number") << example << 1 << 2 << 0.5f << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("k negative") << example << 1 << 2 << -1.0f << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("k infinite") << example << 1 << 2 << inf << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("k NaN") << example << 1 << 2 << std::numeric_limits<float>::quiet_NaN()
                           << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("k huge") << example << 1 << 2 << 1e9f << 3 << Floats{0, 0, 9.0f};
    QTest::newRow("empty solution vector") << example << 1 << 2 << 0.0f << 0 << Floats{};
}

void tst_simplex::malformedInput()
{
    QFETCH(FloatRows, tableau);
    QFETCH(int, m);
    QFETCH(int, n);
    QFETCH(float, k);
    QFETCH(int, size);
    QFETCH(Floats, expected);

    Floats rez(std::size_t(size), 9.0f);
    const FloatRows before = tableau;
    const auto out = mdlSimplex::Solve(tableau, std::int16_t(m), std::int16_t(n), k, rez);
    if (size > 0) {
        QCOMPARE(out.stop, Stop::OutOfShape);
        QCOMPARE(tableau, before);
    }
    QCOMPARE(rez, expected);
}

void tst_simplex::randomRations_data()
{
    QTest::addColumn<int>("nutrients");
    QTest::addColumn<int>("feeds");
    QTest::addColumn<std::uint32_t>("firstSeed");
    QTest::addColumn<int>("count");

    QTest::newRow("5 nutrients, 1 to 10 feeds") << 5 << 0 << 1000u << 1000;
    QTest::newRow("8 nutrients, 1 to 10 feeds") << 8 << 0 << 5000u << 1000;
    QTest::newRow("8 nutrients, 10 feeds") << 8 << 10 << 9000u << 500;
    QTest::newRow("5 nutrients, 1 feed") << 5 << 1 << 12000u << 50;
}

void tst_simplex::randomRations()
{
    QFETCH(int, nutrients);
    QFETCH(int, feeds);
    QFETCH(std::uint32_t, firstSeed);
    QFETCH(int, count);

    int sumRuleWouldShift = 0;
    for (std::uint32_t seed = firstSeed; seed < firstSeed + std::uint32_t(count); ++seed) {
        const auto p = SimplexRation::randomRation(seed, feeds, nutrients);
        Tableau t = p.tableau();
        Floats rez(std::size_t(p.N) + 1, 0.0f);
        const auto out = mdlSimplex::Solve(t, std::int16_t(p.M), std::int16_t(p.N), float(p.K), rez, true);
        const QByteArray where = "seed " + QByteArray::number(seed);

        QVERIFY2(out.stop == Stop::Optimal, where);
        const int lastRow = p.M + p.N + p.K + 1;
        const int lastCol = 2 * p.N + p.M + p.K + 2;
        for (const auto& step : out.trace)
            QVERIFY2(step.column != lastCol, where);
        QVERIFY2(t[lastRow][lastCol] == 1.0f, where);
        QCOMPARE(rez[p.N], 0.0f);

        if (sumRuleReadOff(t, p.N, rez.size()) != rez)
            ++sumRuleWouldShift;

        // The values read off satisfy every constraint.
        for (int j = 0; j < p.N; ++j)
            QVERIFY2(rez[j] >= -1e-6f, where);
        for (int r = 0; r < p.rows(); ++r) {
            double lhs = 0.0;
            for (int j = 0; j < p.N; ++j)
                lhs += double(p.A[r][j]) * double(rez[j]);
            QVERIFY2(lhs <= double(p.b[r]) + 1e-4 * std::max(1.0, double(p.b[r])),
                     where + " row " + QByteArray::number(r));
        }

        // Their objective, and the tableau's, match GLPK's optimum.
        double glpk = 0.0;
        QVERIFY2(SimplexRation::glpkOptimum(p, glpk), where);
        double ours = 0.0;
        for (int j = 0; j < p.N; ++j)
            ours += double(p.W[j]) * double(rez[j]);
        const double tolerance = 1e-4 * std::max(1.0, std::abs(glpk));
        QVERIFY2(std::abs(ours - glpk) <= tolerance,
                 where + ": " + QByteArray::number(ours, 'g', 10) + " vs " + QByteArray::number(glpk, 'g', 10));
        QVERIFY2(std::abs(double(t[lastRow][0]) - glpk) <= tolerance, where);
    }
    qInfo("%d of %d programmes would have been read off wrongly by the column sum",
          sumRuleWouldShift, count);
}

QTEST_APPLESS_MAIN(tst_simplex)
#include "tst_simplex.moc"
