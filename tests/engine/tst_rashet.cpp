#include "data/RationState.h"
#include "engine/mdlRashet.h"
#include "support/EngineSupport.h"
#include "support/PlainSheet.h"
#include "support/TestSupport.h"

#include <QtTest>

// The recalculation's rules on the plain-data worksheet: no widgets, but the
// same nesting as the screen (writing a weight runs its change handling
// before the write returns).

using TestSupport::PlainSheet;
using TestSupport::startRation;

class tst_rashet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void workedExample()
    {
        startRation(2, 0, 100, QStringLiteral("Зерновые"), 1);
        ration().DataKorm[0][2] = 12.5;
        ration().DataKorm[1][2] = 20;
        ration().NormaKur[2] = 15;
        PlainSheet sheet;
        sheet.combo1 = QStringLiteral("10");
        sheet.type(1, QStringLiteral("60"));
        sheet.type(0, QStringLiteral("40"));
        QCOMPARE(sheet.feed[0][2] + ' ' + sheet.feed[1][2] + ' ' + sheet.sums[1], QStringLiteral("5 12 17"));
        QCOMPARE(sheet.procents[1], QStringLiteral("13,3"));
        QCOMPARE(sheet.procentColors[1], SheetColor::LightRed);
        QVERIFY(ration().bNarushenie);
        QCOMPARE(ration().iIndexWes, std::int16_t(0));
        QCOMPARE(sheet.sumWes, QStringLiteral("100"));
    }

    void sumAbove100IsCutFromTheLastBox_data()
    {
        // Box i holds texts[i]; the boxes of `order` are typed in that order,
        // the others hold their text as a calculation file may leave it.
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<bool>("nested");
        QTest::newRow("one feed 150 becomes 100") << QStringList{"150"} << QList<int>{0} << QStringList{"100"} << "100" << true;
        QTest::newRow("60 then 50 makes the second 40")
            << QStringList{"60", "50"} << QList<int>{0, 1} << QStringList{"60", "40"} << "100" << true;
        QTest::newRow("50 typed first is kept when 60 comes last")
            << QStringList{"50", "60"} << QList<int>{0, 1} << QStringList{"50", "50"} << "100" << true;
        QTest::newRow("exactly 100 is not cut")
            << QStringList{"62,5", "37,5"} << QList<int>{0, 1} << QStringList{"62,5", "37,5"} << "100" << false;
        QTest::newRow("a box is summed as rounded to four places")
            << QStringList{"99,99995", "0,5"} << QList<int>{0, 1} << QStringList{"99,99995", "0"} << "100" << true;
        QTest::newRow("the cut keeps four places")
            << QStringList{"33,3333", "70,12345"} << QList<int>{0, 1} << QStringList{"33,3333", "66,6667"} << "100" << true;
        QTest::newRow("the others alone above 100: the cut stops at 0")
            << QStringList{"120", "5"} << QList<int>{1} << QStringList{"120", "0"} << "120" << true;
    }
    void sumAbove100IsCutFromTheLastBox()
    {
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, order);
        QFETCH(QStringList, expected);
        QFETCH(QString, sum);
        QFETCH(bool, nested);
        startRation(int(texts.size()), 1, 100, QStringLiteral("Зерновые"), 1);
        PlainSheet sheet;
        for (int i = 0; i < texts.size(); ++i)
            if (!order.contains(i))
                sheet.weights[i] = texts[i];
        for (int i : order)
            sheet.type(i, texts[i]);
        QCOMPARE(QStringList(sheet.weights, sheet.weights + texts.size()), expected);
        QCOMPARE(sheet.sumWes, sum);
        QCOMPARE(sheet.maxDepth > 1, nested);
        QVERIFY(sheet.maxDepth < 4);
        // The outer run read the box again after the nested one: both agree.
        const int last = order.last();
        QCOMPARE(ration().VkladKorm[last][1], Fixed4::fromDoubleOrZero(Fixed4::fromText(expected[last])->toDouble() / 100));
    }

    void deviationJudgement_data()
    {
        QTest::addColumn<int>("j");
        QTest::addColumn<double>("content");   // of nutrient j; every requirement is 10
        QTest::addColumn<QString>("combo1");
        QTest::addColumn<QString>("combo2");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<SheetColor>("colour");
        QTest::addColumn<bool>("violation");
        const auto red = SheetColor::LightRed, green = SheetColor::LightGreen;
        QTest::newRow("protein exactly at the tolerance is green") << 2 << 13.0 << "30" << "100" << "30" << green << false;
        QTest::newRow("protein -35 beyond 30 is red and marks") << 2 << 6.5 << "30" << "100" << "-35" << red << true;
        QTest::newRow("energy +3,04 shows 3, green at 3") << 1 << 10.304 << "3" << "100" << "3" << green << false;
        QTest::newRow("energy 3,06 shows 3,1, red at 3") << 1 << 10.306 << "3" << "100" << "3,1" << red << true;
        QTest::newRow("vitamin shortfall 20 within Combo1 30") << 6 << 8.0 << "30" << "100" << "-20" << green << false;
        QTest::newRow("vitamin shortfall 40 beyond Combo1: red, no mark") << 7 << 6.0 << "30" << "10" << "-40" << red << false;
        QTest::newRow("vitamin surplus 120 above Combo2 100: red, no mark") << 8 << 22.0 << "30" << "100" << "120" << red << false;
        QTest::newRow("vitamin surplus 120 within Combo2 150") << 6 << 22.0 << "30" << "150" << "120" << green << false;
    }
    void deviationJudgement()
    {
        QFETCH(int, j);
        QFETCH(double, content);
        QFETCH(QString, combo1);
        QFETCH(QString, combo2);
        QFETCH(QString, shown);
        QFETCH(SheetColor, colour);
        QFETCH(bool, violation);
        startRation(1);
        ration().DataKorm[0][j] = content;
        PlainSheet sheet;
        sheet.combo1 = combo1;
        sheet.combo2 = combo2;
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.procents[j - 1], shown);
        QCOMPARE(sheet.procentColors[j - 1], colour);
        QCOMPARE(ration().bNarushenie, violation);
        // A tolerance that is no number leaves the last good one in force.
        sheet.combo1 = QStringLiteral("пять");
        sheet.combo2 = QString();
        sheet.type(0, QStringLiteral("99"));
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.procentColors[j - 1], colour);
    }

    void limits_data()
    {
        // Feed 0 may take 30, feed 1 is unlimited; their group may take `group`
        // (-1: the group has no row in granica).
        QTest::addColumn<QString>("w0");
        QTest::addColumn<QString>("w1");
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("opening");   // while a calculation file opens
        QTest::addColumn<SheetColor>("name0");
        QTest::addColumn<SheetColor>("boxes");
        QTest::addColumn<bool>("violation");
        const auto red = SheetColor::LightRed, face = SheetColor::ButtonFace, white = SheetColor::White;
        QTest::newRow("feeding limit reached exactly") << "30" << "20" << 50 << false << face << white << false;
        QTest::newRow("feeding limit passed by one gram") << "31" << "10" << 50 << false << red << white << true;
        QTest::newRow("group limit reached exactly") << "20" << "30" << 50 << false << face << white << false;
        QTest::newRow("group limit passed by one gram") << "20" << "31" << 50 << false << face << red << false;
        QTest::newRow("a group without a row has no limit") << "20" << "80" << -1 << false << face << white << false;
        QTest::newRow("the group is not checked while a file opens") << "20" << "31" << 50 << true << face << SheetColor::Other << false;
    }
    void limits()
    {
        QFETCH(QString, w0);
        QFETCH(QString, w1);
        QFETCH(int, group);
        QFETCH(bool, opening);
        QFETCH(SheetColor, name0);
        QFETCH(SheetColor, boxes);
        QFETCH(bool, violation);
        startRation(3, 1, 100, QStringLiteral("Зерновые"), 1);
        ration().DataKorm[0][9] = 30;
        ration().DataKorm[2][10] = QStringLiteral("Минеральные");
        ration().bOpenKalk = opening;
        PlainSheet sheet;
        sheet.combo1 = QStringLiteral("1000");
        sheet.groups = {{QStringLiteral("Минеральные"), 1}};
        if (group >= 0)
            sheet.groups.append(GroupRecord{QStringLiteral("Зерновые"), group});
        sheet.weightColors[2] = SheetColor::LightRed;   // another group's colour is left alone
        sheet.type(1, w1);
        sheet.type(0, w0);
        QCOMPARE(sheet.nameColors[0], name0);
        QCOMPARE(sheet.weightColors[0], boxes);
        QCOMPARE(sheet.weightColors[1], boxes);
        QCOMPARE(sheet.weightColors[2], SheetColor::LightRed);
        QCOMPARE(ration().bNarushenie, violation);
    }

    void missingValuesShowNoMadeUpNumber_data()
    {
        QTest::addColumn<QVariant>("content");
        QTest::addColumn<QVariant>("requirement");
        QTest::addColumn<QString>("contribution");
        QTest::newRow("requirement 0") << QVariant(5) << QVariant(0) << "5";
        QTest::newRow("requirement null") << QVariant(5) << QVariant() << "5";
        QTest::newRow("requirement not a number") << QVariant(5) << QVariant("нет") << "5";
        QTest::newRow("feed value null") << QVariant() << QVariant(5) << mdlRashet::kUndefined;
        QTest::newRow("feed value not a number") << QVariant("abc") << QVariant(5) << mdlRashet::kUndefined;
    }
    void missingValuesShowNoMadeUpNumber()
    {
        QFETCH(QVariant, content);
        QFETCH(QVariant, requirement);
        QFETCH(QString, contribution);
        startRation(2, content, 100, QStringLiteral("Зерновые"), requirement);
        for (int j = 1; j <= 8; ++j)
            ration().DataKorm[1][j] = 1;
        PlainSheet sheet;
        sheet.type(1, QStringLiteral("0"));
        sheet.type(0, QStringLiteral("100"));
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(sheet.feed[0][k + 1], contribution);
            QCOMPARE(sheet.sums[k], contribution);
            QCOMPARE(sheet.procents[k], mdlRashet::kUndefined);
            QCOMPARE(sheet.procentColors[k], SheetColor::LightRed);
        }
        QVERIFY(ration().bNarushenie);
        for (int j = 1; j <= 8; ++j)   // once the values are there, so are the numbers
            ration().DataKorm[0][j] = ration().NormaKur[j] = 5;
        sheet.type(0, QStringLiteral("99"));
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.sums[0] + ' ' + sheet.procents[0], QStringLiteral("5 0"));
    }

    void newCalculationStartsFromZeroContributions()
    {
        startRation(3);
        {
            PlainSheet sheet;
            sheet.type(0, QStringLiteral("30"));
            sheet.type(1, QStringLiteral("30"));
            sheet.type(2, QStringLiteral("40"));
            QCOMPARE(sheet.sums[0], QStringLiteral("10"));
        }
        // A new worksheet with two feeds: row 1 is never typed into.
        mdlRashet::clearContributions();
        ration().iMaxKorm = 1;
        PlainSheet sheet;
        sheet.type(0, QStringLiteral("50"));
        QCOMPARE(sheet.sums[0], QStringLiteral("5"));
    }
};

QTEST_APPLESS_MAIN(tst_rashet)
#include "tst_rashet.moc"
