#include "data/Adodc.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "engine/Composition.h"
#include "engine/CompositionModel.h"
#include "engine/mdlRashet.h"
#include "support/PlainSheet.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QtTest>

using TestSupport::PlainSheet;

namespace {

const QString kGrain = QStringLiteral("Зерновые");
const QString kMineral = QStringLiteral("Минеральные");

// n feeds, each with every nutrient at `content`, a feeding limit and a group;
// every requirement at `requirement`.
void start(int n, double content = 10, QVariant granic = 100, const QString& group = kGrain,
           double requirement = 10)
{
    resetRation();
    mdlRashet::clearContributions();
    RationState& s = ration();
    s.iMaxKorm = std::int16_t(n - 1);
    for (int i = 0; i < n; ++i) {
        s.DataKorm[i][0] = QStringLiteral("Корм %1").arg(i);
        for (int j = 1; j <= 8; ++j)
            s.DataKorm[i][j] = content;
        s.DataKorm[i][9] = granic;
        s.DataKorm[i][10] = group;
    }
    s.NormaKur[0] = QStringLiteral("Куры");
    for (int j = 1; j <= 8; ++j)
        s.NormaKur[j] = requirement;
}

QList<GroupRecord> groups(std::initializer_list<std::pair<QVariant, QVariant>> records)
{
    QList<GroupRecord> out;
    for (const auto& r : records)
        out.append({r.first, r.second});
    return out;
}

} // namespace

class tst_composition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    // ---- The programme of one pass ----

    void nutrientRows_data()
    {
        QTest::addColumn<bool>("vitamins");
        QTest::addColumn<float>("delta");
        QTest::addColumn<int>("rows");
        QTest::newRow("five main nutrients without the vitamins") << false << 0.0f << 5;
        QTest::newRow("eight with the vitamins") << true << 0.0f << 8;
        QTest::newRow("shifted bound of the main nutrients") << true << -0.05f << 8;
    }
    void nutrientRows()
    {
        QFETCH(bool, vitamins);
        QFETCH(float, delta);
        QFETCH(int, rows);
        start(2);
        for (int j = 1; j <= 8; ++j) {
            ration().NormaKur[j] = 10.0 * j;
            ration().DataKorm[1][j] = j;   // feed 1 holds j of nutrient j
        }
        const int M = Composition::nutrientRows(vitamins);
        QCOMPARE(M, rows);
        const auto p = Composition::buildProgramme(M, delta, 50.0f, {});
        QCOMPARE(int(p.tabl.size()), M + 2 + 0 + 2);
        QCOMPARE(int(p.tabl[0].size()), 2 * 2 + M + 0 + 3);
        for (int r = 0; r < M; ++r) {
            const float factor = r < 5 ? 1.0f + delta : 1.5f;
            QCOMPARE(p.tabl[r][0], float(10.0 * (r + 1) * double(factor)));
            QCOMPARE(p.tabl[r][2], float(r + 1));
        }
        // The objective weighs each feed by the sum of its M nutrients.
        QCOMPARE(p.tabl.back()[2], -float(M * (M + 1) / 2));
        QCOMPARE(p.tabl.back()[1], -float(10 * M));
    }

    void layout()
    {
        // Feeding limits as fractions, the total-weight row, a unit column per row.
        start(3, 10, 25);
        ration().DataKorm[2][9] = 12.5;
        const auto p = Composition::buildProgramme(5, 0.0f, 100.0f, {});
        const int M = 5, N = 3;
        QCOMPARE(p.K, 0.0f);
        QCOMPARE(p.tabl[M + 0][0], 0.25f);
        QCOMPARE(p.tabl[M + 2][0], 0.125f);
        QCOMPARE(p.tabl[M + 2][3], 1.0f);
        QCOMPARE(p.tabl[M + 2][1], 0.0f);
        QCOMPARE(p.tabl[M + N][0], 1.0f);
        for (int j = 1; j <= N; ++j)
            QCOMPARE(p.tabl[M + N][j], 1.0f);
        QCOMPARE(p.tabl[M + N + 1][0], 0.0f);
        for (int r = 0; r < int(p.tabl.size()); ++r)
            for (int c = N + 1; c < int(p.tabl[r].size()); ++c)
                QCOMPARE(p.tabl[r][c], c == N + 1 + r ? 1.0f : 0.0f);
    }

    void groupRows_data()
    {
        QTest::addColumn<QList<GroupRecord>>("records");
        QTest::addColumn<QStringList>("feedGroups");   // group of each chosen feed
        QTest::addColumn<QList<float>>("expected");    // each kept row: bound, then the flags
        QTest::newRow("two feeds of a 40 % group: x1 + x2 <= 0,4")
            << groups({{kGrain, 40}}) << QStringList{kGrain, kGrain} << QList<float>{0.4f, 1, 1};
        QTest::newRow("a group of 0 % adds no row")
            << groups({{kGrain, 0}}) << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("a group without a chosen member adds no row")
            << groups({{kMineral, 12}}) << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("a group of 100 % adds a row with bound 1")
            << groups({{kGrain, 100}}) << QStringList{kGrain, kMineral} << QList<float>{1, 1, 0};
        QTest::newRow("9 999 % still limits, 10 000 % does not")
            << groups({{kGrain, 9999}, {kMineral, 10000}}) << QStringList{kGrain, kMineral}
            << QList<float>{99.99f, 1, 0};
        QTest::newRow("groups are kept in record order, unused ones skipped")
            << groups({{kMineral, 12}, {QStringLiteral("Жиры"), 6}, {kGrain, 75}}) << QStringList{kGrain, kMineral}
            << QList<float>{0.12f, 0, 1, 0.75f, 1, 0};
        QTest::newRow("the group name is compared exactly")
            << groups({{QStringLiteral("зерновые"), 40}}) << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("the share is rounded to four places")
            << groups({{kGrain, 33.333333}}) << QStringList{kGrain, kGrain} << QList<float>{0.3333f, 1, 1};
    }
    void groupRows()
    {
        QFETCH(QList<GroupRecord>, records);
        QFETCH(QStringList, feedGroups);
        QFETCH(QList<float>, expected);
        start(int(feedGroups.size()));
        for (int i = 0; i < feedGroups.size(); ++i)
            ration().DataKorm[i][10] = feedGroups[i];
        const int N = int(feedGroups.size());
        const auto p = Composition::buildProgramme(5, 0.0f, 100.0f, records);
        const int K = int(expected.size()) / (N + 1);
        QCOMPARE(p.K, float(K));
        QCOMPARE(int(p.tabl.size()), 5 + N + K + 2);
        for (int g = 0; g < K; ++g)
            for (int c = 0; c <= N; ++c)
                QCOMPARE(p.tabl[5 + N + g][c], expected[g * (N + 1) + c]);
        QCOMPARE(p.tabl[5 + N + K][0], 1.0f);   // the total-weight row follows the groups
    }

    // ---- The click ----

    void firstPassAcceptedRunsOnce()
    {
        // One feed that meets every requirement exactly: the first pass gives 100.
        start(1);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        const auto out = Composition::compose(sheet);
        QCOMPARE(out.status, Composition::Status::Balanced);
        QCOMPARE(out.passes, 1);
        QCOMPARE(sheet.weights[0], QStringLiteral("100,00"));
        QCOMPARE(sheet.sumWes, QStringLiteral("100"));
        Composition::cmdS_Click(sheet);
        QVERIFY(fake.messages.isEmpty());
    }

    void thirdsNeverReach100()
    {
        // Three feeds each limited to a third: every pass writes 33,33 three
        // times, 99,99 in all, never accepted; the message comes once, at the
        // end, and the boxes keep the last pass.
        start(3, 10, 100.0 / 3.0);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        sheet.weights[1] = QStringLiteral("7");
        Composition::cmdS_Click(sheet);
        QCOMPARE(fake.messages, QStringList{Composition::kNotSolved});
        for (int i = 0; i < 3; ++i)
            QCOMPARE(sheet.weights[i], QStringLiteral("33,33"));
        QCOMPARE(sheet.sumWes, QStringLiteral("99,99"));
        // The first write of the click is the zero of every box.
        QCOMPARE(sheet.writes.first(), qMakePair(1, QStringLiteral("0")));

        const auto out = Composition::compose(sheet);
        QCOMPARE(out.status, Composition::Status::NotSolved);
        // δ = 0 is not accepted: down by 0,01 to -0,30 (or one step more,
        // as the float falls), back to 0 and up to 0,30 (or one more).
        QCOMPARE(out.deltas[0], 0.0f);
        QCOMPARE(out.deltas[1], -0.01f);
        const float lowest = *std::min_element(out.deltas.begin(), out.deltas.end());
        const float highest = *std::max_element(out.deltas.begin(), out.deltas.end());
        QVERIFY2(lowest <= -0.2999f && lowest >= -0.3101f, qPrintable(QString::number(lowest)));
        QVERIFY2(highest >= 0.2999f && highest <= 0.3101f, qPrintable(QString::number(highest)));
        for (std::size_t i = 1; i < out.deltas.size(); ++i) {
            const float step = out.deltas[i] - out.deltas[i - 1];
            QVERIFY(std::fabs(std::fabs(step) - 0.01f) < 1e-4f || out.deltas[i] == 0.01f);
        }
        QVERIFY(out.passes >= 60 && out.passes <= 64);
    }

    void writesAreTwoPlacesAndRunTheChangeHandling()
    {
        // Two feeds halved by their limits; each write runs the recalculation.
        start(2, 10, 50);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        Composition::cmdS_Click(sheet);
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(sheet.weights[0], QStringLiteral("50,00"));
        QCOMPARE(sheet.weights[1], QStringLiteral("50,00"));
        QCOMPARE(sheet.changeRuns, int(sheet.writes.size()));
        QCOMPARE(sheet.feed[1][1], QStringLiteral("5"));   // the recalculation saw the write
        QCOMPARE(ration().SimplexRez.size(), std::size_t(3));
        QCOMPARE(ration().SimplexKol, 1.0f);
    }

    void hugeToleranceIsBounded_data()
    {
        QTest::addColumn<QString>("combo1");
        QTest::newRow("1e9") << "1e9";
        QTest::newRow("100000") << "100000";
        QTest::newRow("exactly 100") << "100";
    }
    void hugeToleranceIsBounded()
    {
        // Two feeds of at most 10 % each can never make 100: the schedule
        // runs to its ends, which stop at a shift of 100 % either way.
        QFETCH(QString, combo1);
        start(2, 10, 10);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        sheet.combo1 = combo1;
        QElapsedTimer timer;
        timer.start();
        const auto out = Composition::compose(sheet);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(out.status, Composition::Status::NotSolved);
        QVERIFY2(out.passes < Composition::kMaxPasses, qPrintable(QString::number(out.passes)));
        QVERIFY(out.passes >= 200);
        QVERIFY(*std::min_element(out.deltas.begin(), out.deltas.end()) >= -1.0101f);
        QVERIFY(*std::max_element(out.deltas.begin(), out.deltas.end()) <= 1.0101f);
        QCOMPARE(sheet.weights[0], QStringLiteral("10,00"));
    }

    void comboNotANumberWritesNothing_data()
    {
        QTest::addColumn<QString>("combo1");
        QTest::addColumn<QString>("combo2");
        QTest::newRow("tolerance of letters") << "abc" << "100";
        QTest::newRow("tolerance empty") << "" << "100";
        QTest::newRow("tolerance with a point") << "2.5" << "100";
        QTest::newRow("vitamin surplus of letters") << "30" << "много";
        QTest::newRow("vitamin surplus too large for a float") << "30" << "1e39";
    }
    void comboNotANumberWritesNothing()
    {
        QFETCH(QString, combo1);
        QFETCH(QString, combo2);
        start(2);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        sheet.weights[0] = QStringLiteral("12,5");
        sheet.combo1 = combo1;
        sheet.combo2 = combo2;
        Composition::cmdS_Click(sheet);
        QCOMPARE(fake.messages, QStringList{QStringLiteral("Проверте правильность ввода числа")});
        QVERIFY(sheet.writes.isEmpty());
        QCOMPARE(sheet.weights[0], QStringLiteral("12,5"));
        QVERIFY(ration().SimplexTabl.empty());
    }

    void badDataIsRefused_data()
    {
        QTest::addColumn<QString>("what");        // which value is broken
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("vitamins");
        QTest::addColumn<QString>("message");     // start of the message; empty: not refused
        QTest::newRow("granica without records") << "no groups" << QVariant() << false
                                                 << "В базе данных нет ни одного ограничения групп кормов";
        QTest::newRow("granica unreadable") << "unreadable" << QVariant() << false
                                            << "Не удалось прочитать ограничения групп кормов: ";
        QTest::newRow("feed protein null") << "content" << QVariant() << false
                                           << "Не задано содержание (протеин) в корме «Корм 1». ";
        QTest::newRow("feed protein text") << "content" << QVariant("н/д") << false
                                           << "Неверно задано содержание (протеин) в корме «Корм 1»: «н/д». ";
        QTest::newRow("feeding limit null") << "granic" << QVariant() << false
                                            << "Не задана норма дачи корма «Корм 1». ";
        QTest::newRow("feeding limit negative") << "granic" << QVariant(-5) << false
                                                << "Неверно задана норма дачи корма «Корм 1»: «-5». ";
        QTest::newRow("requirement null") << "requirement" << QVariant() << false
                                          << "Не задана потребность (протеин) для «Куры». ";
        QTest::newRow("requirement 0") << "requirement" << QVariant(0) << false
                                       << "Неверно задана потребность (протеин) для «Куры»: «0». ";
        QTest::newRow("group limit null") << "procent" << QVariant() << false
                                          << "Не задан процент группы кормов «Зерновые». ";
        QTest::newRow("group limit text") << "procent" << QVariant("сорок") << false
                                          << "Неверно задан процент группы кормов «Зерновые»: «сорок». ";
        QTest::newRow("broken limit of an unused group is no obstacle") << "other procent" << QVariant() << false << "";
        QTest::newRow("vitamin null is read only with the vitamins") << "vitamin" << QVariant() << false << "";
        QTest::newRow("vitamin null with the vitamins") << "vitamin" << QVariant() << true
                                                        << "Не задано содержание (вит.D3) в корме «Корм 1». ";
    }
    void badDataIsRefused()
    {
        QFETCH(QString, what);
        QFETCH(QVariant, value);
        QFETCH(bool, vitamins);
        QFETCH(QString, message);
        start(2, 10, 50);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.check1 = vitamins;
        sheet.groups = groups({{kGrain, 100}, {kMineral, 12}});
        RationState& s = ration();
        if (what == "no groups")
            sheet.groups.clear();
        else if (what == "content")
            s.DataKorm[1][2] = value;
        else if (what == "vitamin")
            s.DataKorm[1][7] = value;
        else if (what == "granic")
            s.DataKorm[1][9] = value;
        else if (what == "requirement")
            s.NormaKur[2] = value;
        else if (what == "procent")
            sheet.groups[0].procent = value;
        else if (what == "other procent")
            sheet.groups[1].procent = value;

        struct Unreadable : PlainSheet {
            GroupRecords groupRecords() override { return {false, {}, QStringLiteral("нет связи")}; }
        } unreadable;
        RacionSheet& target = what == "unreadable" ? static_cast<RacionSheet&>(unreadable) : sheet;
        Composition::cmdS_Click(target);
        if (message.isEmpty()) {
            QVERIFY(fake.messages.isEmpty());
            QCOMPARE(sheet.weights[0], QStringLiteral("50,00"));
            return;
        }
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages[0].startsWith(message), qPrintable(fake.messages[0]));
        QVERIFY(sheet.writes.isEmpty() && unreadable.writes.isEmpty());
    }

    void noChosenFeedEndsWithTheMessage()
    {
        start(0);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = groups({{kGrain, 100}});
        Composition::cmdS_Click(sheet);
        QCOMPARE(fake.messages, QStringList{Composition::kNotSolved});
        QVERIFY(sheet.writes.isEmpty());
    }

    void readGroupsThroughTheDataControl()
    {
        TestSupport::TempWorkDir dir;
        Adodc adodc;
        const GroupRecords g = Composition::readGroups(adodc);
        QVERIFY2(g.ok, qPrintable(g.error));
        QCOMPARE(adodc.RecordSource(), QStringLiteral("Select * from granica "));
        QCOMPARE(g.records.size(), 9);
        QCOMPARE(g.records.first().gruppa.toString(), kGrain);
        QCOMPARE(g.records.first().procent.toDouble(), 75.0);
        QCOMPARE(g.records.last().procent.toDouble(), 1.0);
    }
};

QTEST_GUILESS_MAIN(tst_composition)
#include "tst_composition.moc"
