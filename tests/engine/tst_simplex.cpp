// The simplex solver: its pivot rules, the read-off, how it stops, what it
// does with a malformed tableau, and random ration-shaped programmes checked
// against GLPK.

#include "engine/mdlSimplex.h"
#include "tst_simplex_ration.h"

#include <QTest>

#include <array>
#include <cmath>
#include <limits>

using mdlSimplex::Stop;
using Floats = std::vector<float>;
using FloatRows = std::vector<Floats>;
Q_DECLARE_METATYPE(Floats)
Q_DECLARE_METATYPE(FloatRows)

namespace {

// Maximise 3 x1 + 2 x2 with 2 x1 + x2 <= 1.5, x1 <= 0.625, x2 <= 0.75,
// x1 + x2 <= 1 (m = 1, n = 2, k = 0).
const FloatRows kWorkedExample = {
    {1.5f, 2, 1, 1, 0, 0, 0, 0}, {0.625f, 1, 0, 0, 1, 0, 0, 0}, {0.75f, 0, 1, 0, 0, 1, 0, 0},
    {1.0f, 1, 1, 0, 0, 0, 1, 0}, {0.0f, -3, -2, 0, 0, 0, 0, 1},
};

// An m = 1, n = 2, k = 0 tableau, optimal as it stands, with the given
// structural columns 1 and 2 (the unit columns and right-hand sides fixed).
FloatRows optimalWith(const FloatRows& columns)
{
    FloatRows t(5, Floats(8, 0.0f));
    for (int r = 0; r < 5; ++r) {
        t[r][0] = std::array<float, 5>{0.2f, 0.3f, 0.4f, 0.5f, 0.0f}[r];
        t[r][1] = columns[r][0];
        t[r][2] = columns[r][1];
        t[r][3 + r] = 1.0f;
    }
    return t;
}

// A shape over the whole of a small tableau, for calling a single step.
mdlSimplex::Shape shapeOver(const FloatRows& t)
{
    mdlSimplex::Shape s;
    s.lastRow = int(t.size()) - 1;
    s.lastColumn = int(t[0].size()) - 1;
    s.structural = 1;
    s.countsValid = s.fits = true;
    return s;
}

} // namespace

class tst_simplex : public QObject {
    Q_OBJECT
private slots:
    void workedExampleFollowsThePivotRules()
    {
        FloatRows t = kWorkedExample;
        Floats rez(3, 0.0f);
        const auto out = mdlSimplex::Solve(t, 1, 2, 0.0f, rez, true);
        QCOMPARE(out.stop, Stop::Optimal);
        QCOMPARE(out.trace.size(), std::size_t(3));
        const int expected[3][2] = {{1, 1}, {0, 2}, {3, 4}};
        for (int i = 0; i < 3; ++i)
            QVERIFY(out.trace[i].row == expected[i][0] && out.trace[i].column == expected[i][1]);
        // Every value on the way is exact in float, so the results are too.
        QCOMPARE(rez, (Floats{0.5f, 0.5f, 0.0f}));
        QCOMPARE(t[4][0], 2.5f);
        QCOMPARE(t[4][7], 1.0f);   // the objective's own unit column never entered
    }

    void readOff_data()
    {
        QTest::addColumn<FloatRows>("columns");   // structural columns 1 and 2, row by row
        QTest::addColumn<int>("size");
        QTest::addColumn<Floats>("expected");
        QTest::newRow("unit columns give their row's value, others 0")
            << FloatRows{{0, 1}, {1, 0}, {0, 1}, {0, 0}, {0, 0}} << 3 << Floats{0.3f, 0.0f, 9.0f};
        // Column 1 holds 1, 1 and -1: it sums to 1 but is no unit column. Read
        // by the sum it would give two values and push x2 to position 2.
        QTest::newRow("a column summing to 1 with two ones is not basic, nothing shifts")
            << FloatRows{{1, 0}, {1, 0}, {-1, 1}, {0, 0}, {0, 0}} << 3 << Floats{0.0f, 0.4f, 9.0f};
        QTest::newRow("an entry a hair off 1 or 0 makes the column non-basic")
            << FloatRows{{0.99999994f, 0}, {0, 1}, {0, 1e-30f}, {0, 0}, {0, 0}} << 3 << Floats{0.0f, 0.0f, 9.0f};
        QTest::newRow("a vector shorter than n takes what fits")
            << FloatRows{{1, 0}, {0, 1}, {0, 0}, {0, 0}, {0, 0}} << 1 << Floats{0.2f};
    }
    void readOff()
    {
        QFETCH(FloatRows, columns);
        QFETCH(int, size);
        QFETCH(Floats, expected);
        FloatRows t = optimalWith(columns);
        Floats rez(std::size_t(size), 9.0f);
        const auto out = mdlSimplex::Solve(t, 1, 2, 0.0f, rez);
        QVERIFY(out.stop == Stop::Optimal && out.pivots == 0);
        QCOMPARE(rez, expected);
    }

    void enteringColumn_data()
    {
        QTest::addColumn<Floats>("objective");
        QTest::addColumn<int>("expected");
        QTest::newRow("most negative entry") << Floats{0, -1, -3, -2, 1} << 2;
        QTest::newRow("equal most negative entries: the lower column") << Floats{0, -1, -2, -2, 1} << 2;
        QTest::newRow("no negative entry: optimal") << Floats{5, 0, 2, 0, 1} << 0;
        QTest::newRow("the right-hand side never enters") << Floats{-7, 0, 0, 0, 1} << 0;
        QTest::newRow("a NaN entry never enters") << Floats{0, std::numeric_limits<float>::quiet_NaN(), -1, 0, 1} << 2;
    }
    void enteringColumn()
    {
        QFETCH(Floats, objective);
        QFETCH(int, expected);
        const FloatRows t{Floats(objective.size(), 0.0f), objective};
        QCOMPARE(mdlSimplex::EnteringColumn(t, shapeOver(t)), expected);
    }

    void leavingRow_data()
    {
        QTest::addColumn<FloatRows>("rows");   // (right-hand side, pivot-column entry) of each row
        QTest::addColumn<int>("expected");
        QTest::newRow("smallest ratio") << FloatRows{{0.9f, 1}, {0.2f, 1}, {0.6f, 2}} << 1;
        QTest::newRow("equal ratios: the lower row") << FloatRows{{0.5f, 1}, {1.0f, 2}} << 0;
        QTest::newRow("minimum 0.12346 kept as 0.1235: a later 0.12349 takes over")
            << FloatRows{{0.12346f, 1}, {0.12349f, 1}} << 1;
        QTest::newRow("minimum 0.12344 kept as 0.1234: a later 0.12342 does not")
            << FloatRows{{0.12344f, 1}, {0.12342f, 1}} << 0;
        QTest::newRow("a ratio of exactly 100 never qualifies") << FloatRows{{100.0f, 1}} << -1;
        QTest::newRow("a ratio of 1000 never qualifies, even alone") << FloatRows{{1.0f, 0.001f}, {5.0f, 0}} << -1;
        QTest::newRow("a ratio just under 100 qualifies") << FloatRows{{99.99f, 1}} << 0;
        QTest::newRow("a degenerate row (ratio 0) qualifies") << FloatRows{{0.5f, 1}, {0.0f, 3}} << 1;
        QTest::newRow("zero and negative entries never qualify") << FloatRows{{0.0f, -1}, {0.0f, 0}, {0.7f, 0.5f}} << 2;
    }
    void leavingRow()
    {
        QFETCH(FloatRows, rows);
        QFETCH(int, expected);
        FloatRows t;
        for (const auto& r : rows)
            t.push_back({r[0], r[1], 1.0f});
        t.push_back({0.0f, -1.0f, 1.0f});   // the objective row makes column 1 enter
        QCOMPARE(mdlSimplex::LeavingRow(t, shapeOver(t), 1), expected);
    }

    void roundedMinimumNeverLeadsToNegativeWeights()
    {
        // x1 <= 0.12346, x1 <= 0.12349, x1 <= 1, x2 <= 0.5, x1 + x2 <= 2, max
        // 2 x1 + x2 (m = 2, n = 2). The four-place minimum lets the second row
        // leave, leaving the first row's right-hand side at -0.00003; its
        // negative ratio must not win the next test and drive x below 0.
        FloatRows t{{0.12346f, 1, 0, 1, 0, 0, 0, 0, 0}, {0.12349f, 1, 0, 0, 1, 0, 0, 0, 0},
                    {1, 1, 0, 0, 0, 1, 0, 0, 0}, {0.5f, 0, 1, 0, 0, 0, 1, 0, 0},
                    {2, 1, 1, 0, 0, 0, 0, 1, 0}, {0, -2, -1, 0, 0, 0, 0, 0, 1}};
        Floats rez(3, 0.0f);
        QCOMPARE(mdlSimplex::Solve(t, 2, 2, 0.0f, rez).stop, Stop::Optimal);
        for (int r = 0; r < 5; ++r)
            QVERIFY2(t[r][0] >= 0.0f, qPrintable(QString::number(t[r][0])));
        QVERIFY(rez[0] >= 0.0f && std::fabs(rez[0] - 0.12346f) < 1e-4f);
        QCOMPARE(rez[1], 0.5f);
    }

    void stopsWhenNoRowQualifies()
    {
        // m = 1, n = 1: x1 wants to enter but every ratio is 100 or more.
        FloatRows t{{150, 1, 1, 0, 0, 0}, {200, 1, 0, 1, 0, 0}, {300, 2, 0, 0, 1, 0}, {0, -1, 0, 0, 0, 1}};
        Floats rez(2, 9.0f);
        auto out = mdlSimplex::Solve(t, 1, 1, 0.0f, rez);
        QVERIFY(out.stop == Stop::NoLeavingRow && out.pivots == 0);
        QCOMPARE(rez, (Floats{0.0f, 9.0f}));
        t[2][0] = 198.0f;   // one row under the ceiling: it pivots there
        out = mdlSimplex::Solve(t, 1, 1, 0.0f, rez);
        QVERIFY(out.stop == Stop::Optimal && out.pivots == 1);
        QCOMPARE(rez[0], 99.0f);
    }

    void pivotLimitEndsACyclingProgramme()
    {
        // Degenerate: the most-negative rule with the lower row on ties cycles
        // for ever on max 10 x1 - 57 x2 - 9 x3 - 24 x4 with 0.5 x1 - 5.5 x2 -
        // 2.5 x3 + 9 x4 <= 0, 0.5 x1 - 1.5 x2 - 0.5 x3 + x4 <= 0, x1 <= 1
        // (m = 0, n = 4: two more rows, left loose).
        FloatRows t(6, Floats(11, 0.0f));
        const FloatRows rows{{0, 0.5f, -5.5f, -2.5f, 9}, {0, 0.5f, -1.5f, -0.5f, 1}, {1, 1, 0, 0, 0},
                             {1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, -10, 57, 9, 24}};
        for (int r = 0; r < 6; ++r) {
            std::copy(rows[r].begin(), rows[r].end(), t[r].begin());
            t[r][5 + r] = 1.0f;
        }
        Floats rez(5, 9.0f);
        const auto out = mdlSimplex::Solve(t, 0, 4, 0.0f, rez);
        QCOMPARE(out.stop, Stop::PivotLimit);
        QCOMPARE(out.pivots, 50 * (6 + 11));
        QCOMPARE(rez, (Floats{0, 0, 0, 0, 9.0f}));   // every basis of the cycle is at x = 0
    }

    void malformedInput_data()
    {
        QTest::addColumn<FloatRows>("tableau");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("n");
        QTest::addColumn<float>("k");
        QTest::addColumn<Floats>("expected");   // from a vector of three 9s
        QTest::newRow("fewer rows than the counts imply: read what is there")
            << FloatRows{{0.3f, 1, 0, 0, 0, 0, 0, 0}, {0.7f, 0, 1, 0, 0, 0, 0, 0}} << 1 << 2 << 0.0f << Floats{0.3f, 0.7f, 9};
        QTest::newRow("n far beyond the tableau: only the vector's positions")
            << kWorkedExample << 1 << 300 << 0.0f << Floats{0, 0, 1.5f};
        QTest::newRow("negative n writes nothing") << kWorkedExample << 1 << -2 << 0.0f << Floats{9, 9, 9};
        QTest::newRow("k not a whole number") << kWorkedExample << 1 << 2 << 0.5f << Floats{0, 0, 9};
        QTest::newRow("k huge") << kWorkedExample << 1 << 2 << 1e9f << Floats{0, 0, 9};
    }
    void malformedInput()
    {
        QFETCH(FloatRows, tableau);
        QFETCH(int, m);
        QFETCH(int, n);
        QFETCH(float, k);
        QFETCH(Floats, expected);
        Floats rez(3, 9.0f);
        const FloatRows before = tableau;
        QCOMPARE(mdlSimplex::Solve(tableau, std::int16_t(m), std::int16_t(n), k, rez).stop, Stop::OutOfShape);
        QCOMPARE(tableau, before);
        QCOMPARE(rez, expected);
    }

    void randomRations_data()
    {
        QTest::addColumn<int>("nutrients");
        QTest::addColumn<int>("feeds");   // 0: 1 to 10
        QTest::addColumn<std::uint32_t>("firstSeed");
        QTest::newRow("5 nutrients, 1 to 10 feeds") << 5 << 0 << 1000u;
        QTest::newRow("8 nutrients, 1 to 10 feeds") << 8 << 0 << 5000u;
        QTest::newRow("8 nutrients, 10 feeds") << 8 << 10 << 9000u;
    }
    void randomRations()
    {
        QFETCH(int, nutrients);
        QFETCH(int, feeds);
        QFETCH(std::uint32_t, firstSeed);
        for (std::uint32_t seed = firstSeed; seed < firstSeed + 500; ++seed) {
            const auto p = SimplexRation::randomRation(seed, feeds, nutrients);
            FloatRows t = p.tableau();
            Floats rez(std::size_t(p.N) + 1, 0.0f);
            const auto out = mdlSimplex::Solve(t, std::int16_t(p.M), std::int16_t(p.N), float(p.K), rez);
            const QByteArray where = "seed " + QByteArray::number(seed);
            QVERIFY2(out.stop == Stop::Optimal && rez[p.N] == 0.0f, where);
            // The values read off satisfy every constraint, to within the rounding
            // the ratio test allows
            for (int j = 0; j < p.N; ++j)
                QVERIFY2(rez[j] >= -1e-6f, where);
            // (a ratio kept to four places may overshoot a bound by 0,00005 a feed).
            for (int r = 0; r < p.rows(); ++r) {
                double lhs = 0.0, slack = 1e-4 * std::max(1.0, double(p.b[r]));
                for (int j = 0; j < p.N; ++j) {
                    lhs += double(p.A[r][j]) * double(rez[j]);
                    slack += 5e-5 * std::abs(double(p.A[r][j]));
                }
                QVERIFY2(lhs <= double(p.b[r]) + slack, where + " row " + QByteArray::number(r));
            }
            // ...and their objective, and the tableau's, is GLPK's optimum.
            double glpk = 0.0, ours = 0.0;
            QVERIFY2(SimplexRation::glpkOptimum(p, glpk), where);
            for (int j = 0; j < p.N; ++j)
                ours += double(p.W[j]) * double(rez[j]);
            const double tolerance = 1e-4 * std::max(1.0, std::abs(glpk));
            QVERIFY2(std::abs(ours - glpk) <= tolerance && std::abs(double(t.back()[0]) - glpk) <= tolerance,
                     where + ": " + QByteArray::number(ours, 'g', 10) + " vs " + QByteArray::number(glpk, 'g', 10));
        }
    }
};

QTEST_APPLESS_MAIN(tst_simplex)
#include "tst_simplex.moc"
