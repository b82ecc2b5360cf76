#include "data/RationState.h"
#include "engine/RacionSheet.h"
#include "engine/mdlRashet.h"
#include "support/TestSupport.h"

#include <QMap>
#include <QtTest>

// The recalculation's rules on a worksheet made of plain data: no widgets,
// but the same nesting as the screen (writing a weight runs its change
// handling before the write returns).
class PlainSheet : public RacionSheet {
public:
    QString weights[10];
    SheetColor weightColors[10] = {};
    QString feed[10][9];
    SheetColor nameColors[10] = {};
    bool rowShown[10] = {};
    QString sums[8], procents[8];
    SheetColor procentColors[8] = {};
    QString sumWes;
    int sumWesWrites = 0;
    QString combo1 = QStringLiteral("30"), combo2 = QStringLiteral("100");
    QMap<QString, std::int16_t> limits;
    int depth = 0, maxDepth = 0;

    PlainSheet() { for (auto& w : weights) w = QStringLiteral("0"); }

    // As the user or a program step would: the change handling runs nested.
    void type(int i, const QString& text) { setWeightText(i, text); }

    QString weightText(int i) const override { return weights[i]; }
    void setWeightText(int i, const QString& text) override
    {
        if (weights[i] == text)
            return;
        weights[i] = text;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        mdlRashet::txtWes_Change(*this, std::int16_t(i));
        --depth;
    }
    void setWeightColor(int i, SheetColor c) override { weightColors[i] = c; }
    SheetColor weightColor(int i) const override { return weightColors[i]; }
    void showFeedRow(int i) override { rowShown[i] = true; }
    void setFeedCaption(int i, int e, const QString& t) override { feed[i][e] = t; }
    QString feedCaption(int i, int e) const override { return feed[i][e]; }
    void setFeedNameColor(int i, SheetColor c) override { nameColors[i] = c; }
    SheetColor feedNameColor(int i) const override { return nameColors[i]; }
    void setSumCaption(int k, const QString& t) override { sums[k] = t; }
    QString sumCaption(int k) const override { return sums[k]; }
    void setProcentCaption(int k, const QString& t) override { procents[k] = t; }
    QString procentCaption(int k) const override { return procents[k]; }
    void setProcentColor(int k, SheetColor c) override { procentColors[k] = c; }
    SheetColor procentColor(int k) const override { return procentColors[k]; }
    void setSumWesCaption(const QString& t) override { sumWes = t; ++sumWesWrites; }
    QString sumWesCaption() const override { return sumWes; }
    QString toleranceText() const override { return combo1; }
    QString vitaminSurplusText() const override { return combo2; }
    bool vitaminsChecked() const override { return false; }
    std::optional<std::int16_t> groupLimit(const QString& g) override
    {
        if (!limits.contains(g))
            return std::nullopt;
        return limits.value(g);
    }
};

namespace {

// A feed with every nutrient at `content`, a feeding limit and a group.
void setFeed(int i, const QString& name, QVariant content, QVariant granic = 100,
             const QString& group = QStringLiteral("Зерновые"))
{
    auto& row = ration().DataKorm[i];
    row[0] = name;
    for (int j = 1; j <= 8; ++j)
        row[j] = content;
    row[9] = granic;
    row[10] = group;
}

void setRequirement(QVariant value)
{
    ration().NormaKur[0] = QStringLiteral("Куры");
    for (int j = 1; j <= 8; ++j)
        ration().NormaKur[j] = value;
}

void start(int feeds)
{
    resetRation();
    mdlRashet::clearContributions();
    ration().iMaxKorm = std::int16_t(feeds - 1);
}

} // namespace

class tst_rashet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void workedExample()
    {
        start(2);
        setFeed(0, QStringLiteral("Пшеница"), 0);
        setFeed(1, QStringLiteral("Шрот"), 0);
        ration().DataKorm[0][2] = 12.5;
        ration().DataKorm[1][2] = 20;
        setRequirement(1);
        ration().NormaKur[2] = 15;
        PlainSheet sheet;
        sheet.combo1 = QStringLiteral("10");
        sheet.type(1, QStringLiteral("60"));
        sheet.type(0, QStringLiteral("40"));
        QCOMPARE(sheet.feed[0][2], QStringLiteral("5"));
        QCOMPARE(sheet.feed[1][2], QStringLiteral("12"));
        QCOMPARE(sheet.sums[1], QStringLiteral("17"));
        QCOMPARE(sheet.procents[1], QStringLiteral("13,3"));
        QCOMPARE(sheet.procentColors[1], SheetColor::LightRed);
        QVERIFY(ration().bNarushenie);
        QCOMPARE(ration().iIndexWes, std::int16_t(0));
        QCOMPARE(sheet.sumWes, QStringLiteral("100"));
    }

    void sumAbove100IsCutFromTheLastBox_data()
    {
        QTest::addColumn<QStringList>("typed");     // in typing order, box i gets typed[i]
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<bool>("nested");
        QTest::newRow("one feed 150 becomes 100")
            << QStringList{"150"} << QList<int>{0} << QStringList{"100"} << "100" << true;
        QTest::newRow("60 then 50 makes the second 40")
            << QStringList{"60", "50"} << QList<int>{0, 1} << QStringList{"60", "40"} << "100" << true;
        QTest::newRow("50 typed first is the one kept when 60 comes last")
            << QStringList{"50", "60"} << QList<int>{0, 1} << QStringList{"50", "50"} << "100" << true;
        QTest::newRow("exactly 100 is not cut")
            << QStringList{"62,5", "37,5"} << QList<int>{0, 1} << QStringList{"62,5", "37,5"} << "100" << false;
        QTest::newRow("below 100 stays and shows")
            << QStringList{"12,25", "30"} << QList<int>{0, 1} << QStringList{"12,25", "30"} << "42,25" << false;
        QTest::newRow("a box is summed as rounded to four places")
            << QStringList{"99,99995", "0,5"} << QList<int>{0, 1} << QStringList{"99,99995", "0"} << "100" << true;
        QTest::newRow("the cut keeps four places")
            << QStringList{"33,3333", "70,12345"} << QList<int>{0, 1} << QStringList{"33,3333", "66,6667"} << "100" << true;
    }
    void sumAbove100IsCutFromTheLastBox()
    {
        QFETCH(QStringList, typed);
        QFETCH(QList<int>, order);
        QFETCH(QStringList, expected);
        QFETCH(QString, sum);
        QFETCH(bool, nested);
        start(int(typed.size()));
        for (int i = 0; i < typed.size(); ++i)
            setFeed(i, QStringLiteral("Корм %1").arg(i), 1);
        setRequirement(1);
        PlainSheet sheet;
        for (int i : order)
            sheet.type(i, typed[i]);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(sheet.weights[i], expected[i]);
        QCOMPARE(sheet.sumWes, sum);
        QCOMPARE(sheet.maxDepth > 1, nested);
        // The outer run read the box again after the nested one: both agree.
        const int last = order.last();
        const auto w = Fixed4::fromText(sheet.weights[last]);
        QVERIFY(w);
        QCOMPARE(ration().VkladKorm[last][1], Fixed4::fromDoubleOrZero(w->toDouble() / 100.0));
    }

    void cutNeverGoesBelowZero()
    {
        // The other boxes alone pass 100 (a calculation file may hold that):
        // the last box stops at 0 and the sum stays above 100, no endless cut.
        start(2);
        setFeed(0, QStringLiteral("А"), 1);
        setFeed(1, QStringLiteral("Б"), 1);
        setRequirement(1);
        PlainSheet sheet;
        sheet.weights[0] = QStringLiteral("120");
        sheet.type(1, QStringLiteral("5"));
        QCOMPARE(sheet.weights[1], QStringLiteral("0"));
        QCOMPARE(sheet.sumWes, QStringLiteral("120"));
        QVERIFY(sheet.maxDepth < 4);
    }

    void deviationJudgement_data()
    {
        QTest::addColumn<int>("j");
        QTest::addColumn<double>("content");   // requirement is 10 for every nutrient
        QTest::addColumn<QString>("combo1");
        QTest::addColumn<QString>("combo2");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<SheetColor>("colour");
        QTest::addColumn<bool>("violation");
        QTest::newRow("protein exactly at the tolerance is green")
            << 2 << 13.0 << "30" << "100" << "30" << SheetColor::LightGreen << false;
        QTest::newRow("protein -35 beyond 30 is red and marks the ration")
            << 2 << 6.5 << "30" << "100" << "-35" << SheetColor::LightRed << true;
        QTest::newRow("energy +3,04 shows 3 and is judged green at 3")
            << 1 << 10.304 << "3" << "100" << "3" << SheetColor::LightGreen << false;
        QTest::newRow("energy 3,06 shows 3,1 and is red at 3")
            << 1 << 10.306 << "3" << "100" << "3,1" << SheetColor::LightRed << true;
        QTest::newRow("vitamin shortfall 20 within Combo1 30 is green")
            << 6 << 8.0 << "30" << "100" << "-20" << SheetColor::LightGreen << false;
        QTest::newRow("vitamin shortfall 40 beyond Combo1 is red but never marks")
            << 7 << 6.0 << "30" << "10" << "-40" << SheetColor::LightRed << false;
        QTest::newRow("vitamin surplus 120 above Combo2 100 is red, no mark")
            << 8 << 22.0 << "30" << "100" << "120" << SheetColor::LightRed << false;
        QTest::newRow("vitamin surplus 120 within Combo2 150 is green though above Combo1")
            << 6 << 22.0 << "30" << "150" << "120" << SheetColor::LightGreen << false;
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
        start(1);
        setFeed(0, QStringLiteral("Корм"), 10);
        ration().DataKorm[0][j] = content;
        setRequirement(10);
        PlainSheet sheet;
        sheet.combo1 = combo1;
        sheet.combo2 = combo2;
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.procents[j - 1], shown);
        QCOMPARE(sheet.procentColors[j - 1], colour);
        QCOMPARE(ration().bNarushenie, violation);
    }

    void limits_data()
    {
        QTest::addColumn<QString>("w0");
        QTest::addColumn<QString>("w1");
        QTest::addColumn<SheetColor>("name0");
        QTest::addColumn<SheetColor>("group");
        QTest::addColumn<bool>("violation");
        // Feed 0 may take 30, feed 1 is unlimited; their group may take 50.
        QTest::newRow("feeding limit reached exactly") << "30" << "20" << SheetColor::ButtonFace << SheetColor::White << false;
        QTest::newRow("feeding limit passed by one gram") << "31" << "10" << SheetColor::LightRed << SheetColor::White << true;
        QTest::newRow("group limit reached exactly") << "20" << "30" << SheetColor::ButtonFace << SheetColor::White << false;
        QTest::newRow("group limit passed by one gram") << "20" << "31" << SheetColor::ButtonFace << SheetColor::LightRed << false;
    }
    void limits()
    {
        QFETCH(QString, w0);
        QFETCH(QString, w1);
        QFETCH(SheetColor, name0);
        QFETCH(SheetColor, group);
        QFETCH(bool, violation);
        start(3);
        setFeed(0, QStringLiteral("Пшеница"), 1, 30, QStringLiteral("Зерновые"));
        setFeed(1, QStringLiteral("Ячмень"), 1, 100, QStringLiteral("Зерновые"));
        setFeed(2, QStringLiteral("Мел"), 1, 100, QStringLiteral("Минеральные"));
        setRequirement(1);
        PlainSheet sheet;
        sheet.combo1 = QStringLiteral("1000");
        sheet.limits.insert(QStringLiteral("Зерновые"), 50);
        sheet.limits.insert(QStringLiteral("Минеральные"), 1);
        sheet.weightColors[2] = SheetColor::LightRed;   // another group's colour is left alone
        sheet.type(1, w1);
        sheet.type(0, w0);
        QCOMPARE(sheet.nameColors[0], name0);
        QCOMPARE(sheet.weightColors[0], group);
        QCOMPARE(sheet.weightColors[1], group);
        QCOMPARE(sheet.weightColors[2], SheetColor::LightRed);
        QCOMPARE(ration().bNarushenie, violation);
    }

    void groupCheckIsSkippedWhileACalculationOpens()
    {
        start(1);
        setFeed(0, QStringLiteral("Пшеница"), 1);
        setRequirement(1);
        PlainSheet sheet;
        sheet.limits.insert(QStringLiteral("Зерновые"), 10);
        ration().bOpenKalk = true;
        sheet.type(0, QStringLiteral("50"));
        QCOMPARE(sheet.weightColors[0], SheetColor::Other);
        ration().bOpenKalk = false;
        sheet.type(0, QStringLiteral("51"));
        QCOMPARE(sheet.weightColors[0], SheetColor::LightRed);
    }

    void missingValuesShowNoMadeUpNumber_data()
    {
        QTest::addColumn<QVariant>("content");
        QTest::addColumn<QVariant>("requirement");
        QTest::addColumn<QString>("contribution");
        QTest::addColumn<QString>("total");
        QTest::newRow("requirement 0") << QVariant(5) << QVariant(0) << "5" << "5";
        QTest::newRow("requirement null") << QVariant(5) << QVariant() << "5" << "5";
        QTest::newRow("requirement not a number") << QVariant(5) << QVariant("нет") << "5" << "5";
        QTest::newRow("feed value null") << QVariant() << QVariant(5) << "\u2014" << "\u2014";
        QTest::newRow("feed value not a number") << QVariant("abc") << QVariant(5) << "\u2014" << "\u2014";
    }
    void missingValuesShowNoMadeUpNumber()
    {
        QFETCH(QVariant, content);
        QFETCH(QVariant, requirement);
        QFETCH(QString, contribution);
        QFETCH(QString, total);
        start(2);
        setFeed(0, QStringLiteral("Корм"), content);
        setFeed(1, QStringLiteral("Другой"), 1);
        setRequirement(requirement);
        PlainSheet sheet;
        sheet.type(1, QStringLiteral("0"));
        sheet.type(0, QStringLiteral("100"));
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(sheet.feed[0][k + 1], contribution);
            QCOMPARE(sheet.sums[k], total);
            QCOMPARE(sheet.procents[k], mdlRashet::kUndefined);
            QCOMPARE(sheet.procentColors[k], SheetColor::LightRed);
        }
        QVERIFY(ration().bNarushenie);
        // Once the value is there again, the numbers come back.
        setFeed(0, QStringLiteral("Корм"), 5);
        setRequirement(5);
        sheet.type(0, QStringLiteral("99"));
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.sums[0], QStringLiteral("5"));
        QCOMPARE(sheet.procents[0], QStringLiteral("0"));
    }

    void groupWithoutRowHasNoLimit()
    {
        start(1);
        setFeed(0, QStringLiteral("Новинка"), 1, 100, QStringLiteral("Без группы"));
        setRequirement(1);
        PlainSheet sheet;
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.weightColors[0], SheetColor::White);
    }

    void toleranceThatIsNoNumberKeepsTheLastGoodOne()
    {
        start(1);
        setFeed(0, QStringLiteral("Корм"), 12);
        setRequirement(10);
        PlainSheet sheet;
        sheet.combo1 = QStringLiteral("30");
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.procentColors[1], SheetColor::LightGreen);
        sheet.combo1 = QStringLiteral("пять");
        sheet.combo2 = QString();
        sheet.type(0, QStringLiteral("99"));
        QCOMPARE(ration().cyPogr, Fixed4::fromInt(30));
        QCOMPARE(ration().cyPogrWit, Fixed4::fromInt(100));
        QCOMPARE(sheet.procentColors[1], SheetColor::LightGreen);
    }

    void newCalculationStartsFromZeroContributions()
    {
        start(3);
        for (int i = 0; i < 3; ++i)
            setFeed(i, QStringLiteral("Корм %1").arg(i), 10);
        setRequirement(10);
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

    void rowsArePreparedForTheChosenFeedsOnly()
    {
        start(2);
        setFeed(0, QStringLiteral("Кукуруза"), 1);
        setFeed(1, QStringLiteral("Овес"), 1);
        PlainSheet sheet;
        mdlRashet::PokazatKorm(sheet);
        QVERIFY(sheet.rowShown[0] && sheet.rowShown[1] && !sheet.rowShown[2]);
        QCOMPARE(sheet.feed[1][0], QStringLiteral("Овес"));
    }

    void changeHandlingReplacesEmptyAndNegativeTexts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("result");
        QTest::newRow("empty becomes 0") << "" << "0" << int(mdlRashet::WeightChange::Replaced);
        QTest::newRow("negative becomes 0") << "-3" << "0" << int(mdlRashet::WeightChange::Replaced);
        QTest::newRow("letters stay, nothing recalculated") << "abc" << "abc" << int(mdlRashet::WeightChange::NotANumber);
        QTest::newRow("a number is recalculated") << "12,5" << "12,5" << int(mdlRashet::WeightChange::Recalculated);
    }
    void changeHandlingReplacesEmptyAndNegativeTexts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, result);
        start(1);
        setFeed(0, QStringLiteral("Корм"), 1);
        setRequirement(1);
        PlainSheet sheet;
        sheet.weights[0] = QStringLiteral("7");
        sheet.weights[0] = typed;   // as pasted, before the handling runs
        QCOMPARE(int(mdlRashet::txtWes_Change(sheet, 0)), result);
        QCOMPARE(sheet.weights[0], after);
        if (result == int(mdlRashet::WeightChange::NotANumber))
            QCOMPARE(sheet.sumWes, QString());
        else
            QVERIFY(!sheet.sumWes.isEmpty());
    }

    void boxWithoutNumberMakesTheSumUndefined()
    {
        start(2);
        setFeed(0, QStringLiteral("А"), 1);
        setFeed(1, QStringLiteral("Б"), 1);
        setRequirement(1);
        PlainSheet sheet;
        sheet.weights[1] = QStringLiteral("abc");
        sheet.type(0, QStringLiteral("100"));
        QCOMPARE(sheet.sumWes, mdlRashet::kUndefined);
    }
};

QTEST_APPLESS_MAIN(tst_rashet)
#include "tst_rashet.moc"
