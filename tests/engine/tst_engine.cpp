#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/BandAnalyses.h"
#include "engine/Batches.h"
#include "engine/Composition.h"
#include "engine/CompositionModel.h"
#include "engine/DiagnosisText.h"
#include "engine/mdlRashet.h"
#include "support/EngineSupport.h"
#include "support/UiSupport.h"


#include <limits>
#include <numeric>
#include <random>

// The calculation's tables of worked examples: the solver's pivots and its
// comparison with GLPK, the recalculation of the worksheet (on plain data),
// the programme and the passes of "Расчитать", the band analyses on the
// default data; and the numbers beneath: four-place fixed point, numbers as
// text in the Russian locale, rounding with ties to even, the 16-bit range.

using namespace TestSupport;
using mdlSimplex::Stop;
using Floats = std::vector<float>;
using FloatRows = std::vector<Floats>;

namespace {

const QString kGrain = QStringLiteral("Зерновые");
const QString kMineral = QStringLiteral("Минеральные");
const QString kBroilerMix = QStringLiteral("Премикс для бройлеров и родительского стада 1%");
const QStringList kNoCalcium{"Кукуруза", "Пшеница", "Шрот соевый", "Мука рыбная", "Масло подсолнечное", "Монокальцийфосфат",
                             "Соль поваренная", kBroilerMix};

// A tableau from its rows (right-hand side, then the structural entries):
// row r gets its own unit column, the objective row included.
FloatRows withUnits(const FloatRows& rows)
{
    FloatRows t = rows;
    for (std::size_t r = 0; r < t.size(); ++r) {
        t[r].resize(rows[0].size() + rows.size(), 0.0f);
        t[r][rows[0].size() + r] = 1.0f;
    }
    return t;
}

// Maximise 3 x1 + 2 x2 with 2 x1 + x2 <= 1.5, x1 <= 0.625, x2 <= 0.75,
// x1 + x2 <= 1 (m = 1, n = 2, k = 0).
const FloatRows kWorkedExample = withUnits({{1.5f, 2, 1}, {0.625f, 1, 0}, {0.75f, 0, 1}, {1, 1, 1}, {0, -3, -2}});

struct SimplexCase {
    FloatRows tableau;
    int m, n;
    Stop stop;
    QList<int> pivots;   // (row, column) of each pivot; one number: their count
    Floats values;       // read off into a vector of three 9s
};

// One feed at 100 g, every nutrient and requirement at 10 but nutrient j's.
struct Deviation {
    int j;
    QVariant content, requirement;
    QString combo1, combo2, shown;
    SheetColor colour;
    bool violation;   // the ration marked as out of balance
};

// A selection of the default data and what the band model says of it.
struct Diagnosed {
    QString category;
    QStringList feeds;
    QString tolerance, kind;
    QStringList said;   // lines (or their starts) the pane shows
};

struct Limits {
    QString w0, w1;   // typed into feed 1, then feed 0
    bool groupRow, opening;   // the group has a row in granica; a calculation file is opening
    SheetColor name0, boxes;   // feed 0's name; the boxes of the group
};

bool mainGreen(const RacionSheet& sheet)
{
    const auto green = [&](int k) { return sheet.procentColor(k) == SheetColor::LightGreen; };
    return green(0) && green(1) && green(2) && green(3) && green(4);
}

} // namespace

Q_DECLARE_METATYPE(SimplexCase)
Q_DECLARE_METATYPE(Deviation)
Q_DECLARE_METATYPE(Limits)
Q_DECLARE_METATYPE(Diagnosed)

class tst_engine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    // Small tableaus solved step by step: how the solver pivots, reads the
    // values off and stops.
    void simplexWorkedExamples_data()
    {
        QTest::addColumn<SimplexCase>("c");
        QTest::newRow("worked example: most negative column, smallest ratio")
            << SimplexCase{kWorkedExample, 1, 2, Stop::Optimal, {1, 1, 0, 2, 3, 4}, {0.5f, 0.5f, 9}};
        // The four-place minimum lets the second row leave, leaving the
        // first's right-hand side at -0.00003: set to 0, no weight goes below 0.
        QTest::newRow("a right-hand side below 0 after the four-place ratio test") << SimplexCase{
            withUnits({{0.12346f, 1, 0}, {0.12349f, 1, 0}, {1, 1, 0}, {0.5f, 0, 1}, {2, 1, 1}, {0, -2, -1}}), 2, 2,
            Stop::Optimal, {1, 1, 3, 2}, {0.12349f, 0.5f, 9}};
        // Column 1 holds 1, 1 and -1: it sums to 1 but is no unit column.
        QTest::newRow("read-off: a column summing to 1 with two ones is not basic") << SimplexCase{
            withUnits({{0.2f, 1, 0}, {0.3f, 1, 0}, {0.4f, -1, 1}, {0.5f, 0, 0}, {0, 0, 0}}), 1, 2, Stop::Optimal, {0}, {0, 0.4f, 9}};
        QTest::newRow("every ratio 100 or more: no row leaves")
            << SimplexCase{withUnits({{100, 1}, {200, 1}, {300, 2}, {0, -1}}), 1, 1, Stop::NoLeavingRow, {0}, {0, 9, 9}};
        QTest::newRow("a ratio just under 100 leaves")
            << SimplexCase{withUnits({{150, 1}, {200, 1}, {198, 2}, {0, -1}}), 1, 1, Stop::Optimal, {2, 1}, {99, 9, 9}};
        // Degenerate: the most-negative rule with the lower row on ties cycles
        // for ever here; every basis of the cycle is at x = 0.
        QTest::newRow("a cycling programme ends at the pivot limit") << SimplexCase{
            withUnits({{0, 0.5f, -5.5f, -2.5f, 9}, {0, 0.5f, -1.5f, -0.5f, 1}, {1, 1, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 0, 0, 0, 0},
                       {0, -10, 57, 9, 24}}),
            0, 4, Stop::PivotLimit, {50 * (6 + 11)}, {0, 0, 0}};
        QTest::newRow("negative n writes nothing") << SimplexCase{kWorkedExample, 1, -2, Stop::OutOfShape, {0}, {9, 9, 9}};
    }
    void simplexWorkedExamples()
    {
        QFETCH(SimplexCase, c);
        FloatRows t = c.tableau;
        Floats rez(3, 9.0f);
        const auto out = mdlSimplex::Solve(t, std::int16_t(c.m), std::int16_t(c.n), 0.0f, rez, true);
        QCOMPARE(int(out.stop), int(c.stop));
        QList<int> steps;
        for (const auto& step : out.trace)
            steps << step.row << step.column;
        QCOMPARE(c.pivots.size() == 1 ? QList<int>{out.pivots} : steps, c.pivots);
        for (std::size_t j = 0; j < 3; ++j)
            QVERIFY2(std::abs(rez[j] - c.values[j]) < 1e-6f, qPrintable(QString::number(rez[j])));
        QVERIFY(c.stop != Stop::OutOfShape || t == c.tableau);
        for (std::size_t r = 0; c.stop == Stop::Optimal && r + 1 < t.size(); ++r)
            QVERIFY(t[r][0] >= 0.0f);
    }

    // Random rations made into programmes by the composition (1 to 10 feeds,
    // or 10; 5 or 8 nutrients; contents with zeros, feeding limits, three
    // groups with shares, shifted bounds): the values read off keep every
    // row, and their objective is GLPK's optimum of the same programme.
    void simplexAgainstGlpk()
    {
        std::mt19937 gen(1);   // its raw outputs only: the standard fixes their sequence
        const auto unit = [&] { return double(gen()) / 4294967296.0; };
        const auto typed = [&](double lo, double hi) { return std::round((lo + (hi - lo) * unit()) * 100) / 100; };
        const double top[8] = {400, 60, 38, 18, 40, 80, 20, 400}, lo[8] = {260, 14, 0.8, 0.4, 0.15, 0.5, 0.1, 0.3},
                     hi[8] = {310, 22, 4.0, 0.9, 0.40, 1.5, 0.3, 0.8};
        for (int round = 0; round < 1500; ++round) {
            const int n = round < 1000 ? 1 + int(unit() * 10) : 10, M = round % 2 ? 8 : 5;
            startRation(n);
            RationState& s = ration();
            for (int i = 0; i < n; ++i) {
                for (int j = 1; j <= 8; ++j)
                    s.DataKorm[i][j] = unit() < (j == 1 ? 0.05 : 0.3) ? 0.0 : typed(0, top[j - 1]);
                s.DataKorm[i][9] = unit() < 0.3 ? 100.0 : std::round(1 + unit() * 99);
                s.DataKorm[i][10] = QString::number(int(unit() * 3));
            }
            for (int j = 1; j <= 8; ++j)
                s.NormaKur[j] = typed(lo[j - 1], hi[j - 1]);
            QList<GroupRecord> groups;
            for (int g = 0; g < 3; ++g)
                groups.append({QString::number(g), unit() < 0.15 ? 0.0 : unit() < 0.2 ? 100.0 : std::round(5 + unit() * 95)});
            const auto p = Composition::buildProgramme(M, float(int(unit() * 61) - 30) / 100, float(int(unit() * 11) * 10), groups);
            FloatRows t = p.tabl;
            Floats rez(std::size_t(n) + 1, 0.0f);
            const auto out = mdlSimplex::Solve(t, std::int16_t(M), std::int16_t(n), p.K, rez);
            const QByteArray where = "round " + QByteArray::number(round);
            QVERIFY2(out.stop == Stop::Optimal && rez[n] == 0.0f && *std::min_element(rez.begin(), rez.end()) >= -1e-6f, where);
            // A ratio kept to four places may overshoot a bound by 0,00005 a
            // feed, and the objective with it.
            double lhs = 0.0, slack = 0.0;   // left at the objective row's
            for (std::size_t r = 0; r < t.size(); ++r) {
                lhs = 0.0;
                slack = 1e-4 * std::max(1.0, double(p.tabl[r][0]));
                for (int j = 1; j <= n; ++j) {
                    lhs += double(p.tabl[r][j]) * double(rez[j - 1]);
                    slack += 5e-5 * std::abs(double(p.tabl[r][j]));
                }
                QVERIFY2(r + 1 == t.size() || lhs <= double(p.tabl[r][0]) + slack, where + " row " + QByteArray::number(qulonglong(r)));
            }
            const auto glpk = glpkOptimum(p.tabl, n);
            QVERIFY2(glpk, where);
            for (double value : {-lhs, double(t.back()[0])})
                QVERIFY2(value >= *glpk - 1e-4 * std::max(1.0, *glpk) && value <= *glpk + slack,
                         where + ": " + QByteArray::number(value, 'g', 10) + " vs " + QByteArray::number(*glpk, 'g', 10));
        }
    }

    // Protein 12,5 and 20 in the two feeds, requirement 15, tolerance 10 %:
    // 40 and 60 g give 5 + 12 = 17 g, 13,3 % too much.
    void rationWorkedExample()
    {
        startRation(2, 0, 100, kGrain, 1);
        ration().DataKorm[0][2] = 12.5;
        ration().DataKorm[1][2] = 20;
        ration().NormaKur[2] = 15;
        PlainSheet sheet("10");
        sheet.type(1, QStringLiteral("60"));
        sheet.type(0, QStringLiteral("40"));
        QCOMPARE(QStringList({sheet.feed[0][2], sheet.feed[1][2], sheet.sums[1], sheet.procents[1], sheet.sumWes}),
                 QStringList({"5", "12", "17", "13,3", "100"}));
        QCOMPARE(sheet.procentColors[1], SheetColor::LightRed);
        QVERIFY(ration().bNarushenie);
        // The excess above 100 is cut from the box typed last, to four places.
        sheet.type(1, QStringLiteral("33,3333"));
        sheet.type(0, QStringLiteral("70,12345"));
        QCOMPARE(sheet.weights[0] + ' ' + sheet.sumWes, QStringLiteral("66,6667 100"));
    }

    // What a deviation shows, its colour, and whether it marks the ration as
    // out of balance (the vitamins never do).
    void deviationJudgement_data()
    {
        QTest::addColumn<Deviation>("d");
        const auto red = SheetColor::LightRed, green = SheetColor::LightGreen;
        const QString none = mdlRashet::kUndefined;
        QTest::newRow("protein exactly at the tolerance") << Deviation{2, 13.0, 10, "30", "100", "30", green, false};
        QTest::newRow("protein -35 beyond 30") << Deviation{2, 6.5, 10, "30", "100", "-35", red, true};
        QTest::newRow("energy +3,04 shows 3, within 3") << Deviation{1, 10.304, 10, "3", "100", "3", green, false};
        QTest::newRow("energy +3,06 shows 3,1, beyond 3") << Deviation{1, 10.306, 10, "3", "100", "3,1", red, true};
        QTest::newRow("vitamin shortfall 40 beyond Combo1") << Deviation{7, 6.0, 10, "30", "10", "-40", red, false};
        QTest::newRow("vitamin surplus 120 within Combo2 150") << Deviation{6, 22.0, 10, "30", "150", "120", green, false};
        QTest::newRow("requirement 0: no made-up number") << Deviation{3, 10, 0, "30", "100", none, red, true};
        QTest::newRow("feed value not a number") << Deviation{4, "abc", 10, "30", "100", none, red, true};
    }
    void deviationJudgement()
    {
        QFETCH(Deviation, d);
        startRation(1);
        ration().DataKorm[0][d.j] = d.content;
        ration().NormaKur[d.j] = d.requirement;
        PlainSheet sheet(d.combo1, d.combo2);
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.procents[d.j - 1], d.shown);
        QCOMPARE(sheet.procentColors[d.j - 1], d.colour);
        QCOMPARE(ration().bNarushenie, d.violation);
    }

    // Feed 0 may take 30 g, feed 1 any; their group may take 50 % (or, with
    // no row in granica, any share); feed 2 is of another group. A feed over
    // its limit marks the ration out of balance, a group over its share not.
    void limits_data()
    {
        QTest::addColumn<Limits>("l");
        const auto red = SheetColor::LightRed, face = SheetColor::ButtonFace, white = SheetColor::White;
        QTest::newRow("feeding limit reached exactly") << Limits{"30", "20", true, false, face, white};
        QTest::newRow("feeding limit passed by one gram") << Limits{"31", "10", true, false, red, white};
        QTest::newRow("group limit passed by one gram") << Limits{"20", "31", true, false, face, red};
        QTest::newRow("a group without a row has no limit") << Limits{"20", "80", false, false, face, white};
        QTest::newRow("the group is not checked while a file opens") << Limits{"20", "31", true, true, face, SheetColor::Other};
    }
    void limits()
    {
        QFETCH(Limits, l);
        startRation(3, 1, 100, kGrain, 1);
        ration().DataKorm[0][9] = 30;
        ration().DataKorm[2][10] = kMineral;
        ration().bOpenKalk = l.opening;
        PlainSheet sheet("1000");
        sheet.groups = {{kMineral, 1}};
        if (l.groupRow)
            sheet.groups.append(GroupRecord{kGrain, 50});
        sheet.weightColors[2] = SheetColor::LightRed;   // another group's colour is left alone
        sheet.type(1, l.w1);
        sheet.type(0, l.w0);
        QCOMPARE(sheet.nameColors[0], l.name0);
        QCOMPARE(QList(sheet.weightColors, sheet.weightColors + 3), QList({l.boxes, l.boxes, SheetColor::LightRed}));
        QCOMPARE(ration().bNarushenie, l.name0 == SheetColor::LightRed);
    }

    // The programme of one pass, with the vitamins and the main bounds
    // shifted by -5 %: two feeds of the groups Зерновые and Минеральные, feed
    // 1 holding j of nutrient j, limited to 25 and 12,5 %. The group records
    // give rows in their order, except for a group without a chosen feed, a
    // name differing in case, 0 % and 10 000 % and more.
    void programme()
    {
        startRation(2, 10, 25);
        ration().DataKorm[1][9] = 12.5;
        ration().DataKorm[1][10] = kMineral;
        for (int j = 1; j <= 8; ++j) {
            ration().NormaKur[j] = 10.0 * j;
            ration().DataKorm[1][j] = j;
        }
        const QList<GroupRecord> records{{kMineral, 12},   {QStringLiteral("Жиры"), 6}, {QStringLiteral("зерновые"), 40},
                                         {kGrain, 33.333333}, {kMineral, 0},              {kGrain, 10000}, {kMineral, 9999}};
        const int M = Composition::nutrientRows(true), K = 3;
        const float delta = -0.05f;
        const auto p = Composition::buildProgramme(M, delta, 50.0f, records);
        QCOMPARE(M, 8);
        QCOMPARE(p.K, float(K));
        QCOMPARE(int(p.tabl.size()), M + 2 + K + 2);
        for (int r = 0; r < M; ++r) {
            QCOMPARE(p.tabl[r][0], float(10.0 * (r + 1) * double(r < 5 ? 1.0f + delta : 1.5f)));
            QCOMPARE(p.tabl[r][2], float(r + 1));
        }
        QCOMPARE((QList<float>{p.tabl[M][0], p.tabl[M + 1][0], p.tabl[M + 1][1], p.tabl[M + 1][2]}), (QList<float>{0.25f, 0.125f, 0, 1}));
        QList<float> groupRows;   // each: the bound, then the feeds' flags
        for (int r = M + 2; r < M + 2 + K; ++r)
            groupRows << p.tabl[r][0] << p.tabl[r][1] << p.tabl[r][2];
        QCOMPARE(groupRows, QList<float>({0.12f, 0, 1, 0.3333f, 1, 0, 99.99f, 0, 1}));
        // The total weight and the objective of nutrient sums (the unit
        // columns are the solver's to read: its comparison with GLPK tells).
        QCOMPARE((QList<float>{p.tabl[M + 2 + K][0], p.tabl[M + 2 + K][1], p.tabl[M + 2 + K][2]}), (QList<float>{1, 1, 1}));
        QCOMPARE((QList<float>{p.tabl.back()[0], p.tabl.back()[1], p.tabl.back()[2]}), (QList<float>{0, -80, -36}));
    }

    // Three feeds of equal content, each limited to a third: the weights never
    // make 100 (33,33 each), so "Расчитать" runs every pass, shifting the main
    // bounds by 0,01 from 0 down to the tolerance, back to 0 and up, but never
    // beyond 100 %, whatever the tolerance.
    void passes()
    {
        startRation(3, 10, 100.0 / 3);
        PlainSheet sheet("1e9");
        sheet.groups = {{kGrain, 100}};
        sheet.weights[2] = QStringLiteral("7");
        const Composition::Outcome out = Composition::compose(sheet);
        QCOMPARE(out.message, Composition::kNotSolved);
        QCOMPARE(QStringList(sheet.weights, sheet.weights + 3) << sheet.sumWes, QStringList({"33,33", "33,33", "33,33", "99,99"}));
        QCOMPARE(sheet.writes.first(), qMakePair(2, QStringLiteral("0")));   // every box first set to 0
        const auto [lowest, highest] = std::minmax_element(out.deltas.begin(), out.deltas.end());
        QCOMPARE(out.deltas[1], -0.01f);
        QCOMPARE_LT(out.passes, Composition::kMaxPasses);
        QCOMPARE_LT(qAbs(*lowest + 1.0f), 0.0101f);
        QCOMPARE_LT(qAbs(*highest - 1.0f), 0.0101f);
    }

    // What the band model says of selections "Расчитать" cannot balance: the
    // lines of the diagnosis, every range matched by a GLPK model of its own,
    // the balanced ration green on the worksheet, the first suggestion taken
    // as the feed selection takes it.
    void diagnosis_data()
    {
        QTest::addColumn<Diagnosed>("c");
        const QString broilers = UiSupport::kBroilers;
        QTest::newRow("grain and soy: calcium and sodium out of reach")
            << Diagnosed{broilers, kNoCalcium.mid(0, 3) << "Масло подсолнечное", "30", "out of reach",
                         {"натрий: достижимо от 9,5 до 10 % нормы, нужно от 70 до 130 %",
                          "С этими кормами сбалансировать рацион нельзя.", "Ни один корм из базы не помогает"}};
        QTest::newRow("finisher at 10 %: «Расчитать» fails, a balanced ration exists")
            << Diagnosed{"Бройлеры: финиш (6 нед. и старше)",
                         {"Кукуруза", "Пшеница", "Шрот соевый", "Жмых подсолнечный", "Масло соевое",
                          "Известняк (известняковая мука)", "Дикальцийфосфат", "Соль поваренная", kBroilerMix},
                         "10", "balanced", {"Сбалансированный рацион с этими кормами есть"}};
        QTest::newRow("no calcium source at 10 %: each nutrient alone, not together; a feed rescues it")
            << Diagnosed{broilers, kNoCalcium, "10", "added",
                         {"кальций: достижимо от 7,1 до 93,9 % нормы — в норму входит",
                          "Каждое вещество входит в норму по отдельности, но не все вместе.", "Мешают:", "Поможет добавить корм"}};
        QTest::newRow("ten feeds without calcium: a replacement")
            << Diagnosed{broilers,
                         {"Кукуруза", "Пшеница", "Ячмень", "Овес", "Шрот соевый", "Жмых соевый", "Масло подсолнечное",
                          "Монокальцийфосфат", "Соль поваренная", kBroilerMix},
                         "30", "replaced", {"Поможет замена"}};
        QTest::newRow("a feed's calcium as text: named, the other analyses still run")
            << Diagnosed{broilers, kNoCalcium, "10", "bad data",
                         {"Нет данных: не число: кальций в корме «Мука рыбная» («много»).",
                          "протеин: достижимо от 61,2 до 122,5 % нормы — в норму входит",
                          "Сбалансированный рацион не искали: не хватает данных."}};
    }
    void diagnosis()
    {
        QFETCH(Diagnosed, c);
        UiSupport::Fresh fresh;
        ReferenceData data;
        QList<GroupRecord> groups = loadRation(data, c.category, c.feeds);
        RationState& s = ration();
        if (c.kind == "bad data")
            s.DataKorm[3][3] = QStringLiteral("много");   // of «Мука рыбная»
        const Bands::Reading reading = Bands::read(s, groups, c.tolerance, "100", false);
        const Bands::Candidates candidates = Bands::readCandidates(data, reading.model);
        const Bands::Diagnosis d = Bands::diagnose(reading, candidates);
        const QStringList lines = DiagnosisText::lines(reading, candidates, d);
        for (const QString& line : c.said)
            QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(line); }),
                     qPrintable(line + "\n---\n" + lines.join('\n')));
        const bool suggested = c.kind == "added" || c.kind == "replaced";
        QCOMPARE(d.analysed, c.kind != "bad data");
        QCOMPARE(d.balanced.has_value(), c.kind == "balanced");
        QCOMPARE(d.suggestions.empty(), !suggested);
        for (int j = 1; j <= 5 && d.analysed; ++j) {
            std::vector<double> percent;
            for (int i = 0; i < s.feedCount(); ++i)
                percent.push_back(*NumText::variantNumber(s.DataKorm[i][j]) / *NumText::variantNumber(s.NormaKur[j]));
            QVERIFY2(d.ranges[j - 1], qPrintable(Bands::nutrientName(j)));
            QCOMPARE_LT(qAbs(*glpkOptimum(groups, percent) - d.ranges[j - 1]->low), 1e-6);
            QVERIFY(qAbs(*glpkOptimum(groups, percent, -1, true) - d.ranges[j - 1]->high) < 1e-6);
        }
        if (d.balanced) {
            // Where "Расчитать" fails, the balanced ration, written as
            // "Подставить" writes it (0 first), is green.
            PlainSheet sheet(c.tolerance);
            sheet.groups = groups;
            mdlRashet::PokazatKorm(sheet);
            QCOMPARE(Composition::compose(sheet).status, Composition::Status::NotSolved);
            for (std::size_t i = 0; i < d.balanced->written.size(); ++i)
                sheet.type(int(i), QStringLiteral("0"));
            for (std::size_t i = 0; i < d.balanced->written.size(); ++i)
                sheet.type(int(i), NumText::fixed(d.balanced->written[i], 2));
            QVERIFY(d.balanced->judgedBalanced);
            QCOMPARE(sheet.sumWes, "100");
            QVERIFY(mainGreen(sheet));
        }
        if (!suggested)
            return;
        // The first suggestion, taken, makes a balanced ration possible with
        // at least the weight it named.
        const Bands::Suggestion& first = d.suggestions.front();
        QCOMPARE(first.replaced >= 0, c.kind == "replaced");
        QStringList with = c.feeds;
        if (first.replaced >= 0)
            with[first.replaced] = first.name;
        else
            with << first.name;
        QVERIFY(DiagnosisText::suggestions(reading.model, d).front().startsWith(first.replaced >= 0 ? "заменить " + c.feeds[first.replaced] + " на " + first.name
                                                                         : first.name + " — "));
        groups = loadRation(data, c.category, with);
        const auto balanced = Bands::closest(Bands::read(s, groups, c.tolerance, "100", false).model);
        QVERIFY(balanced);
        QVERIFY(balanced->judgedBalanced);
        QVERIFY(balanced->grams[first.replaced >= 0 ? first.replaced : c.feeds.size()] >= first.grams - 1e-6);
    }

    // The programme of a balanced ration as every analysis asks it: a feed's
    // column within its feeding limit and never past 100 g, a row only for a
    // group limit below 100 g, a band closed by a tolerance of 0 a fixed row.
    void balancedProgramme()
    {
        Bands::Model m;
        m.feeds = {{"A", {10}, 150, "x"}, {"B", {20}, 0, "y"}, {"C", {}, 30, "x"}};
        m.groups = {{"x", 40.0}, {"y", 100.0}, {"z", std::nullopt}};
        Bands::setBands(m, {10, 10, 10, 10, 10, 10, 10, 10}, 0, false, 0);
        const auto p = Bands::balancedProgramme(m);
        QVERIFY(p);
        QList<Lp::Bounds> columns;
        for (const Lp::Column& c : p->lp.columns)
            columns << c.bounds;
        QCOMPARE(columns, (QList<Lp::Bounds>{{0, 100}, {0, 0}, {0, 30}}));
        QCOMPARE(p->groups, (std::vector<int>{1, -1, -1}));
        QCOMPARE(p->lp.rows[1].bounds, (Lp::Bounds{-Lp::kInfinity, 40}));
        QCOMPARE(p->lp.rows[1].entries, (std::vector<std::pair<int, double>>{{0, 1.0}, {2, 1.0}}));
        QCOMPARE(p->lp.rows[std::size_t(p->bands[0])].bounds, (Lp::Bounds{100, 100}));
        QCOMPARE(p->lp.rows[std::size_t(p->bands[0])].entries, (std::vector<std::pair<int, double>>{{0, 1.0}, {1, 2.0}}));
        QCOMPARE(p->bands[5], -1);   // the vitamins left out
    }

    // The default data feed every category: with all their feeds, at the
    // worksheet's default tolerance (30 %, the vitamins not judged), the band
    // model balances the ration. Recorded: how far the nearest ration stays
    // from all eight requirements met exactly, in percent points (0 but for
    // geese, whose vitamin D3 stays that far short).
    void defaultDataBalances_data()
    {
        QTest::addColumn<double>("allEight");
        TempWorkDir dir;
        for (const QString& category : readBack("Select group_concat(kategoriy_ptici, '|') From kurwi").toString().split('|'))
            QTest::newRow(qPrintable(category)) << QHash<QString, double>{{"Гусята на мясо 1-4 нед.", 7.37}, {"Индюшата 1-4 нед.", 16.54}, {"Индюшата 13-16 нед.", 28.61}}.value(category);
    }
    void defaultDataBalances()
    {
        QFETCH(double, allEight);
        UiSupport::Fresh fresh;
        ReferenceData data;
        const QList<GroupRecord> groups = loadRation(data, QString::fromLocal8Bit(QTest::currentDataTag()), {});
        const auto allFeeds = [&](const QString& tolerance, const QString& surplus, bool vitamins) {
            Bands::Model m = Bands::read(ration(), groups, tolerance, surplus, vitamins).model;
            m.feeds = Bands::readCandidates(data, m).feeds;
            return m;
        };
        const Bands::Model atDefault = allFeeds("30", "100", false);
        QCOMPARE(int(atDefault.feeds.size()), readBack("Select count(*) From basa").toInt());
        const auto balanced = Bands::closest(atDefault);
        QVERIFY(balanced);
        QVERIFY(balanced->judgedBalanced);
        const auto nearest = Bands::leastViolation(allFeeds("0", "0", true));
        QVERIFY(nearest);
        QCOMPARE(qRound(nearest->total * 100) / 100.0, allEight);
    }

    // Weights that do not round to a sum of 100: the largest that stays within
    // its feeding limit takes the difference.
    void writtenWeightsAddUpTo100()
    {
        Bands::Model m;
        m.feeds = {{"A", {}, 100.0 / 3, "x"}, {"B", {}, 100.0 / 3, "x"}, {"C", {}, 100, "y"}};
        m.bands[0] = {true, 100, 0, 1000};
        const auto r = Bands::leastCost(m, {1, 1, 10});
        QVERIFY(r);
        QVERIFY(r->judgedBalanced);
        QCOMPARE(std::accumulate(r->written.begin(), r->written.end(), 0.0), 100.0);
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE_LE(r->written[i], m.feeds[i].limit);
            QCOMPARE(r->written[i], std::round(r->written[i] * 100) / 100);
        }
        QCOMPARE(r->written[2], 33.34);   // the hundredth the rounding left goes where it fits
        QVERIFY(qAbs(r->objective - (200.0 / 3 + 1000.0 / 3) / 100) < 0.01);
        // Other prices, another ration; a feeding limit changed, another again;
        // the first prices and model again, the first ration.
        QCOMPARE(Bands::leastCost(m, {10, 10, 1})->written, (std::vector<double>{0, 0, 100}));
        m.feeds[2].limit = 50;
        QCOMPARE(Bands::leastCost(m, {10, 10, 1})->written[2], 50.0);
        m.feeds[2].limit = 100;
        QCOMPARE(Bands::leastCost(m, {1, 1, 10})->written, r->written);
    }

    // The cheapest ration's prices and limits in words, worked by hand: A at
    // 10 руб./кг with 80 % of the energy, B at 20 with 120 %, C at 30, the
    // band 90-110 %; the cheapest is 75 g of A and 25 g of B, or 70 and 30
    // where a limit holds A.
    void priceSensitivity_data()
    {
        QTest::addColumn<double>("limitA");
        QTest::addColumn<double>("groupA");   // the limit of A's group (100: none)
        QTest::addColumn<double>("energyC");
        QTest::addColumn<QStringList>("lines");
        const QString a = "A: рацион тот же при цене до 20,00 руб./кг", c = "C войдет в рацион при цене ниже %1 руб./кг";
        const QString b = "B: рацион тот же при цене от 10,00 до %1 руб./кг";
        const QString band = Bands::nutrientName(1) + " не менее 90 % нормы: на 1 % нормы ниже — дешевле на 0,25 руб./кг";
        QTest::newRow("the band's low end") << 100.0 << 100.0 << 100.0 << QStringList{a, b.arg("50,00"), c.arg("15,00"), band};
        QTest::newRow("A's feeding limit") << 70.0 << 100.0 << 100.0
            << QStringList{a, b.arg("30,00"), c.arg("20,00"), "норма дачи «A» (70 г): на 1 г больше — дешевле на 0,10 руб./кг"};
        QTest::newRow("A's group limit") << 100.0 << 70.0 << 100.0
            << QStringList{a, b.arg("30,00"), c.arg("20,00"), "ограничение группы «зерно» (70 %): на 1 % больше — дешевле на 0,10 руб./кг"};
        QTest::newRow("C without energy: not even free") << 100.0 << 100.0 << 0.0
            << QStringList{a, "B: рацион тот же при цене от 10,00 руб./кг", "C не войдет в рацион даже бесплатно", band};
    }
    void priceSensitivity()
    {
        QFETCH(double, limitA);
        QFETCH(double, groupA);
        QFETCH(double, energyC);
        Bands::Model m;
        m.feeds = {{"A", {80}, limitA, "зерно"}, {"B", {120}, 100, "шрот"}, {"C", {energyC}, 100, "шрот"}};
        m.groups = {{"зерно", groupA}};
        m.bands[0] = {true, 100, 90, 110};
        const auto r = Bands::leastCost(m, {10, 20, 30});
        QVERIFY(r && r->sensitivity);
        QTEST(DiagnosisText::prices(m, *r->sensitivity), "lines");
    }

    // A number (given in C notation) shown as text by each rule, or a text
    // read by each reader ("read ...") and shown back; "" where it is
    // refused, "—" where a result is beyond the fixed point's range.
    void numbers_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fixed: tie up to even") << "fixed" << "0.00015" << "0,0002";
        QTest::newRow("fixed: noise of a sum dropped") << "fixed" << QString::number(0.1 + 0.2, 'g', 17) << "0,3";
        QTest::newRow("fixed: largest whole, no grouping") << "fixed" << "9e14" << "900000000000000";
        QTest::newRow("fixed: 1e15 refused") << "fixed" << "1e15" << "";
        QTest::newRow("fixed product 0,0015 × 0,1 ties to even") << "×0,1" << "0.0015" << "0,0002";
        // Beyond the range a result is no number; it never wraps.
        QTest::newRow("fixed product beyond the range") << "×10000" << "1e12" << "—";
        QTest::newRow("fixed product at the edge of the range") << "×10000" << "92233720368.5477" << "922337203685477";
        QTest::newRow("fixed sum beyond the range") << "+max" << "0.0001" << "—";
        QTest::newRow("plain: double to 15 digits") << "plain" << QString::number(2.0 / 3.0, 'g', 17) << "0,666666666666667";
        QTest::newRow("plain: noise of a sum dropped") << "plain" << QString::number(0.1 + 0.2, 'g', 17) << "0,3";
        QTest::newRow("plain: 15 whole digits") << "plain" << "123456789012345" << "123456789012345";
        QTest::newRow("plain: 16 whole digits, exponent") << "plain" << "1234567890123456" << "1,23456789012346E+15";
        QTest::newRow("plain: small, exponent") << "plain" << "-0.00001" << "-1E-05";
        QTest::newRow("plain: small, no exponent") << "plain" << "0.000123" << "0,000123";
        QTest::newRow("plain: minus zero") << "plain" << "-0" << "0";
        QTest::newRow("plain: below the normal doubles") << "plain" << "4.6670655158606916e-310" << "4,66706551586069E-310";
        QTest::newRow("0.00: tie away from zero") << "0.00" << "0.125" << "0,13";
        QTest::newRow("0.00: printed tie, binary value below") << "0.00" << "2.675" << "2,68";
        QTest::newRow("0.00: a float judged on its own digits") << "0.00F" << "33.335" << "33,34";
        QTest::newRow("one decimal: 13,35 printed tie to even") << "half-even" << "13.35" << "13,4";
        QTest::newRow("one decimal: a hair below a tie") << "half-even" << "13.349999999999998" << "13,3";
        QTest::newRow("read fixed: fifth decimal tie up to even") << "read fixed" << "1,23455" << "1,2346";
        QTest::newRow("read fixed: above a tie by a far digit") << "read fixed" << "1,234450001" << "1,2345";
        QTest::newRow("read fixed: largest that fits") << "read fixed" << "922337203685477,5807" << "922337203685477,5807";
        QTest::newRow("read fixed: one unit beyond") << "read fixed" << "922337203685477,5808" << "";
        QTest::newRow("read fixed: point refused by the strict reader") << "read fixed" << "12.5" << "";
        QTest::newRow("read fixed: point taken by the lenient reader") << "read lenient" << "12.5" << "12,5";
        QTest::newRow("read number: comma, blanks around") << "read number" << " 12,5 " << "12,5";
        QTest::newRow("read number: sign and exponent") << "read number" << "+1e3" << "1000";
        QTest::newRow("read number: point refused") << "read number" << "-12.5" << "";
        QTest::newRow("read number: mark with no digits after") << "read number" << "5," << "5";
        QTest::newRow("read number: mark with no digits before") << "read number" << "-,5" << "-0,5";
        QTest::newRow("read number: two marks") << "read number" << "1,2,5" << "";
        QTest::newRow("read number: a point and a comma") << "read lenient number" << "1.2,5" << "";
        QTest::newRow("read number: longer than a plain read") << "read number" << QString(40, '0') + "1,5" << "1,5";
        QTest::newRow("read number: grouped with a no-break space") << "read lenient number" << "1\u00a0000" << "";
        QTest::newRow("read number: beyond a double") << "read lenient number" << "1e400" << "";
        QTest::newRow("read int16: tie to even down") << "read int16" << "2,5" << "2";
        QTest::newRow("read int16: rounds up past the largest") << "read int16" << "32767,5" << "";
    }
    void numbers()
    {
        QFETCH(QString, rule);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const double value = input.toDouble();
        const auto fixed = Fixed4::fromDouble(value);
        const auto shownOr = [](const std::optional<Fixed4>& f, const QString& none) { return f ? f->toText() : none; };
        const auto read = [](const std::optional<double>& v) { return v ? NumText::plain(*v) : QString(); };
        QString out;
        if (rule == "fixed")
            out = shownOr(fixed, QString());
        else if (rule == "+max")
            out = shownOr(*fixed + Fixed4::fromRaw(std::numeric_limits<std::int64_t>::max()), QStringLiteral("—"));
        else if (rule.startsWith("×"))
            out = shownOr(*fixed * (rule == "×0,1" ? Fixed4::fromRaw(1000) : Fixed4::fromInt(10000)), QStringLiteral("—"));
        else if (rule == "plain" || rule == "half-even")
            out = NumText::plain(rule == "plain" ? value : NumText::roundHalfEven(value, 1));
        else if (rule.startsWith("0.00"))
            out = rule == "0.00" ? NumText::fixed(value, 2) : NumText::fixedF(float(value), 2);
        else if (rule == "read fixed" || rule == "read lenient")
            out = shownOr(Fixed4::fromText(input, NumText::locale(), rule == "read lenient"), QString());
        else if (rule.endsWith("number"))
            out = read(rule == "read number" ? NumText::toDouble(input) : NumText::toDoubleLenient(input));
        else if (const auto v = NumText::toInt16(input))
            out = QString::number(*v);
        QCOMPARE(out, expected);
        if (rule == "fixed" && !expected.isEmpty())   // what is written reads back the same
            QCOMPARE(Fixed4::fromText(expected)->raw(), fixed->raw());
    }

    // Tonnes split into batches for a mixer and scales of several steps:
    // every batch adds up to its size and the batches to the tonnes, none
    // over the mixer, all of one size but the last; each feed within one
    // step of its exact share (the feed that takes the rounding's remainder
    // within the remainder more), and the deviation from the recipe is what
    // the rounded weights give. Feed i holds (i + 1) × 10 of every nutrient.
    void batchSheets_data()
    {
        QTest::addColumn<double>("totalKg");
        QTest::addColumn<double>("capacity");
        QTest::addColumn<QList<double>>("grams");   // per feed, in 100 g
        QTest::addColumn<QList<double>>("steps");   // per feed, kg
        QTest::addColumn<QString>("expected");      // the summary, or the refusal
        QTest::addColumn<int>("notes");
        const QList<double> grams{60.37, 32.18, 6.22, 1.23}, mill{1, 1, 0.1, 0.1};
        QTest::newRow("5 t in a 500 kg mixer, grains by the kilogram") << 5000.0 << 500.0 << grams << mill
                                                                      << "Замесов: 10 по 500 кг" << 0;
        QTest::newRow("5 t in 450 kg: the last batch smaller") << 5000.0 << 450.0 << grams << mill
            << "Замесов: 12: 11 по 416,7 кг и последний 416,3 кг" << 0;
        QTest::newRow("a mixer larger than the tonnes: one batch") << 300.0 << 500.0 << grams << mill << "Замесов: 1 по 300 кг" << 0;
        QTest::newRow("a step larger than the premix in a batch") << 2000.0 << 500.0 << grams << QList<double>{1, 1, 0.1, 10}
                                                                  << "Замесов: 4 по 500 кг" << 1;
        QTest::newRow("capacity 0 refused") << 5000.0 << 0.0 << grams << mill << "Емкость смесителя" << 0;
        QTest::newRow("a step finer than a gram refused") << 5000.0 << 500.0 << grams << QList<double>{1, 1, 0.1, 0.0001}
                                                          << "Шаг весов для «Корм 3»" << 0;
        QTest::newRow("a step larger than the mixer refused") << 5000.0 << 500.0 << grams << QList<double>{600, 600, 600, 600}
                                                              << "Шаг весов 600 кг больше емкости смесителя 500 кг." << 0;
    }
    void batchSheets()
    {
        QFETCH(double, totalKg);
        QFETCH(double, capacity);
        QFETCH(QList<double>, grams);
        QFETCH(QList<double>, steps);
        QFETCH(QString, expected);
        QFETCH(int, notes);
        std::vector<Batches::Feed> feeds;
        for (int i = 0; i < grams.size(); ++i) {
            Batches::Feed f{{QStringLiteral("Корм %1").arg(i), {}, {}, {}}, grams[i], steps[i]};
            f.row.content.fill(Figure((i + 1) * 10));
            feeds.push_back(f);
        }
        const Batches::Plan p = Batches::plan(totalKg, capacity, feeds);
        if (!p.error.isEmpty()) {
            QVERIFY2(p.error.startsWith(expected), qPrintable(p.error));
            return;
        }
        QCOMPARE(Batches::summary(p), expected);
        QCOMPARE(p.notes.size(), notes);
        std::int64_t all = 0;
        for (const Batches::Batch& b : p.batches) {
            all += b.count * b.size;
            QVERIFY(b.size <= capacity * 1000 && b.size <= p.batches.first().size);
            QCOMPARE(std::accumulate(b.weights.begin(), b.weights.end(), std::int64_t(0)), b.size);
            double rest = 0, nutrient = 0, recipe = 0;
            for (int i = 0; i < grams.size(); ++i) {
                const double exact = b.size * grams[i] / std::accumulate(grams.begin(), grams.end(), 0.0);
                const double off = std::abs(double(b.weights[std::size_t(i)]) - exact);
                rest += steps[i] * 500;
                if (i != b.carrier)
                    QVERIFY2(off <= steps[i] * 1000 + 1e-6, qPrintable(QString::number(i)));
                // The worksheet takes a weight to a hundredth of a gram in 100 g.
                nutrient += std::round(b.weights[std::size_t(i)] * 10000.0 / b.size) / 100 * (i + 1) * 10 / 100, recipe += grams[i] * (i + 1) * 10 / 100;
            }
            if (b.carrier >= 0)
                QVERIFY(std::abs(b.weights[std::size_t(b.carrier)] - b.size * grams[b.carrier] / 100) <= steps[b.carrier] * 1000 + rest);
            QVERIFY(std::abs(*p.deviation[0]) >= std::abs(*b.deviation[0]) - 1e-9);
            QVERIFY(std::abs(*b.deviation[0] - (nutrient - recipe) / recipe * 100) < 0.005);
        }
        QCOMPARE(all, std::int64_t(std::llround(totalKg * 1000)));
    }
};

QTEST_GUILESS_MAIN(tst_engine)
#include "tst_engine.moc"
