#include "data/NumText.h"
#include "data/RationState.h"
#include "engine/Composition.h"
#include "engine/CompositionModel.h"
#include "support/EngineSupport.h"
#include "support/PlainSheet.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QtTest>

// "Расчитать" on the plain-data worksheet: the programme of one pass, the
// passes, the writes, and what is refused.

using TestSupport::PlainSheet;
using TestSupport::startRation;

namespace {
const QString kGrain = QStringLiteral("Зерновые");
const QString kMineral = QStringLiteral("Минеральные");
}

class tst_composition : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void programme_data()
    {
        QTest::addColumn<bool>("vitamins");
        QTest::addColumn<float>("delta");
        QTest::addColumn<int>("M");
        QTest::newRow("five main nutrients without the vitamins") << false << 0.0f << 5;
        QTest::newRow("eight with the vitamins, shifted main bounds") << true << -0.05f << 8;
    }
    void programme()
    {
        QFETCH(bool, vitamins);
        QFETCH(float, delta);
        QFETCH(int, M);
        startRation(2, 10, 25);
        ration().DataKorm[1][9] = 12.5;
        for (int j = 1; j <= 8; ++j) {
            ration().NormaKur[j] = 10.0 * j;
            ration().DataKorm[1][j] = j;   // feed 1 holds j of nutrient j
        }
        QCOMPARE(Composition::nutrientRows(vitamins), M);
        const auto p = Composition::buildProgramme(M, delta, 50.0f, {});
        QCOMPARE(p.K, 0.0f);
        QCOMPARE(int(p.tabl.size()), M + 2 + 2);
        for (int r = 0; r < M; ++r)
            QVERIFY(p.tabl[r][0] == float(10.0 * (r + 1) * double(r < 5 ? 1.0f + delta : 1.5f)) && p.tabl[r][2] == float(r + 1));
        // Feeding limits as fractions, the total-weight row, the objective of
        // nutrient sums, a unit column per row.
        QVERIFY(p.tabl[M][0] == 0.25f && p.tabl[M + 1][0] == 0.125f && p.tabl[M + 1][2] == 1.0f && p.tabl[M + 1][1] == 0.0f);
        QVERIFY(p.tabl[M + 2][0] == 1.0f && p.tabl[M + 2][1] == 1.0f && p.tabl[M + 2][2] == 1.0f);
        QVERIFY(p.tabl.back()[0] == 0.0f && p.tabl.back()[1] == -float(10 * M) && p.tabl.back()[2] == -float(M * (M + 1) / 2));
        for (int r = 0; r < int(p.tabl.size()); ++r)
            for (int c = 3; c < int(p.tabl[r].size()); ++c)
                QCOMPARE(p.tabl[r][c], c == 3 + r ? 1.0f : 0.0f);
    }

    void groupRows_data()
    {
        QTest::addColumn<QList<GroupRecord>>("records");
        QTest::addColumn<QStringList>("feedGroups");   // group of each chosen feed
        QTest::addColumn<QList<float>>("expected");    // each kept row: bound, then the flags
        QTest::newRow("two feeds of a 40 % group: x1 + x2 <= 0,4")
            << QList<GroupRecord>{{kGrain, 40}} << QStringList{kGrain, kGrain} << QList<float>{0.4f, 1, 1};
        QTest::newRow("a group of 0 % adds no row")
            << QList<GroupRecord>{{kGrain, 0}} << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("a group without a chosen member adds no row")
            << QList<GroupRecord>{{kMineral, 12}} << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("a group of 100 % adds a row with bound 1")
            << QList<GroupRecord>{{kGrain, 100}} << QStringList{kGrain, kMineral} << QList<float>{1, 1, 0};
        QTest::newRow("9 999 % still limits, 10 000 % does not")
            << QList<GroupRecord>{{kGrain, 9999}, {kMineral, 10000}} << QStringList{kGrain, kMineral} << QList<float>{99.99f, 1, 0};
        QTest::newRow("record order kept, unused groups skipped")
            << QList<GroupRecord>{{kMineral, 12}, {QStringLiteral("Жиры"), 6}, {kGrain, 75}} << QStringList{kGrain, kMineral}
            << QList<float>{0.12f, 0, 1, 0.75f, 1, 0};
        QTest::newRow("the group name is compared exactly")
            << QList<GroupRecord>{{QStringLiteral("зерновые"), 40}} << QStringList{kGrain, kGrain} << QList<float>{};
        QTest::newRow("the share is rounded to four places")
            << QList<GroupRecord>{{kGrain, 33.333333}} << QStringList{kGrain, kGrain} << QList<float>{0.3333f, 1, 1};
    }
    void groupRows()
    {
        QFETCH(QList<GroupRecord>, records);
        QFETCH(QStringList, feedGroups);
        QFETCH(QList<float>, expected);
        startRation(2);
        for (int i = 0; i < 2; ++i)
            ration().DataKorm[i][10] = feedGroups[i];
        const auto p = Composition::buildProgramme(5, 0.0f, 100.0f, records);
        const int K = int(expected.size()) / 3;
        QCOMPARE(p.K, float(K));
        QList<float> kept;
        for (int g = 0; g < K; ++g)
            kept << p.tabl[7 + g][0] << p.tabl[7 + g][1] << p.tabl[7 + g][2];
        QCOMPARE(kept, expected);
        QCOMPARE(p.tabl[7 + K][0], 1.0f);   // the total-weight row follows the groups
    }

    // Feeds of equal content, each limited to `granic`; the passes until the
    // weights make 100, or the whole schedule.
    void passes_data()
    {
        QTest::addColumn<int>("feeds");
        QTest::addColumn<double>("granic");
        QTest::addColumn<QString>("combo1");
        QTest::addColumn<QString>("weight");   // each box at the end
        QTest::addColumn<QString>("sum");
        QTest::addColumn<int>("minPasses");
        QTest::addColumn<int>("maxPasses");
        QTest::newRow("one feed meets it all: one pass, no message") << 1 << 100.0 << "30" << "100,00" << "100" << 1 << 1;
        QTest::newRow("two halves: balanced, each write in two places") << 2 << 50.0 << "30" << "50,00" << "100" << 1 << 64;
        QTest::newRow("thirds: 99,99 never accepted, δ to ±0,30") << 3 << 100.0 / 3 << "30" << "33,33" << "99,99" << 60 << 64;
        QTest::newRow("tolerance 1e9 bounded at a shift of 100 %") << 2 << 10.0 << "1e9" << "10,00" << "20" << 200 << Composition::kMaxPasses - 1;
        QTest::newRow("tolerance exactly 100") << 2 << 10.0 << "100" << "10,00" << "20" << 200 << Composition::kMaxPasses - 1;
    }
    void passes()
    {
        QFETCH(int, feeds);
        QFETCH(double, granic);
        QFETCH(QString, combo1);
        QFETCH(QString, weight);
        QFETCH(QString, sum);
        QFETCH(int, minPasses);
        QFETCH(int, maxPasses);
        startRation(feeds, 10, granic);
        TestSupport::FakePlatform fake;
        PlainSheet sheet;
        sheet.groups = {{kGrain, 100}};
        sheet.combo1 = combo1;
        sheet.weights[feeds - 1] = QStringLiteral("7");
        QElapsedTimer timer;
        timer.start();
        Composition::cmdS_Click(sheet);
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(fake.messages, sum == "100" ? QStringList() : QStringList{Composition::kNotSolved});
        QCOMPARE(fake.kinds, sum == "100" ? QList<MessageKind>() : QList{MessageKind::Information});   // an outcome
        QCOMPARE(QStringList(sheet.weights, sheet.weights + feeds), QStringList(feeds, weight));
        QCOMPARE(sheet.sumWes, sum);
        QCOMPARE(sheet.writes.first(), qMakePair(feeds - 1, QStringLiteral("0")));   // every box first set to 0
        QCOMPARE(sheet.changeRuns, int(sheet.writes.size()));                       // each write recalculates
        QCOMPARE(sheet.feed[0][1], NumText::plain(*NumText::toDouble(weight) / 10));

        PlainSheet fresh;
        fresh.groups = sheet.groups;
        fresh.combo1 = combo1;
        const auto out = Composition::compose(fresh);
        QVERIFY2(out.passes >= minPasses && out.passes <= maxPasses, qPrintable(QString::number(out.passes)));
        // δ from 0 down by 0,01 to its end (or one float step more), back to 0 and up.
        const float lowest = *std::min_element(out.deltas.begin(), out.deltas.end());
        const float highest = *std::max_element(out.deltas.begin(), out.deltas.end());
        const float end = combo1 == "30" ? 0.3f : 1.0f;
        QVERIFY(out.passes == 1 || (out.deltas[1] == -0.01f && lowest >= -end - 0.0101f && highest <= end + 0.0101f
                                    && lowest <= -end + 0.0001f && highest >= end - 0.0001f));
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QString>("what");        // which value is broken
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");     // start of the message; empty: not refused
        QTest::newRow("tolerance with a point") << "combo1" << QVariant("2.5") << "Проверте правильность ввода числа";
        QTest::newRow("vitamin surplus too large for a float") << "combo2" << QVariant("1e39") << "Проверте правильность ввода числа";
        QTest::newRow("granica unreadable") << "unreadable" << QVariant() << "Не удалось прочитать ограничения групп кормов: ";
        QTest::newRow("feed protein text") << "content" << QVariant("н/д")
                                           << "Неверно задано содержание (протеин) в корме «Корм 1»: «н/д». ";
        QTest::newRow("feeding limit negative") << "granic" << QVariant(-5) << "Неверно задана норма дачи корма «Корм 1»: «-5». ";
        QTest::newRow("requirement 0") << "requirement" << QVariant(0) << "Неверно задана потребность (протеин) для «Куры»: «0». ";
        QTest::newRow("group limit text") << "procent" << QVariant("сорок") << "Неверно задан процент группы кормов «Зерновые»: «сорок». ";
        QTest::newRow("broken limit of an unused group is no obstacle") << "other procent" << QVariant() << "";
        QTest::newRow("vitamin null without the vitamins is not read") << "vitamin" << QVariant() << "";
        QTest::newRow("vitamin null with the vitamins") << "vitamin, checked" << QVariant()
                                                        << "Не задано содержание (вит.D3) в корме «Корм 1». ";
        QTest::newRow("no feed chosen") << "no feed" << QVariant() << Composition::kNotSolved;
    }
    void badInputIsRefused()
    {
        QFETCH(QString, what);
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        startRation(what == "no feed" ? 0 : 2, 10, 50);
        TestSupport::FakePlatform fake;
        struct Unreadable : PlainSheet {
            bool broken = false;
            GroupRecords groupRecords() override
            {
                return broken ? GroupRecords{false, {}, QStringLiteral("нет связи")} : PlainSheet::groupRecords();
            }
        } sheet;
        sheet.broken = what == "unreadable";
        sheet.check1 = what.endsWith("checked");
        sheet.groups = {{kGrain, 100}, {kMineral, 12}};
        RationState& s = ration();
        if (what.startsWith("combo"))
            (what == "combo1" ? sheet.combo1 : sheet.combo2) = value.toString();
        else if (what == "content")
            s.DataKorm[1][2] = value;
        else if (what.startsWith("vitamin"))
            s.DataKorm[1][7] = value;
        else if (what == "granic")
            s.DataKorm[1][9] = value;
        else if (what == "requirement")
            s.NormaKur[2] = value;
        else if (what.endsWith("procent"))
            sheet.groups[what == "procent" ? 0 : 1].procent = value;
        Composition::cmdS_Click(sheet);
        if (message.isEmpty()) {
            QVERIFY(fake.messages.isEmpty());
            QCOMPARE(sheet.weights[0], QStringLiteral("50,00"));
            return;
        }
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages[0].startsWith(message), qPrintable(fake.messages[0]));
        // A refusal warns; "Не решено" reports an outcome.
        QCOMPARE(fake.kinds, QList{message == Composition::kNotSolved ? MessageKind::Information : MessageKind::Warning});
        QVERIFY(sheet.writes.isEmpty());
        QVERIFY(what == "no feed" || ration().SimplexTabl.empty());
    }
};

QTEST_GUILESS_MAIN(tst_composition)
#include "tst_composition.moc"
