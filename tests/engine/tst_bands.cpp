#include "data/Adodc.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/mdlAddItem.h"
#include "engine/BandModel.h"
#include "engine/Composition.h"
#include "engine/mdlRashet.h"
#include "support/EngineSupport.h"
#include "support/PlainSheet.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <glpk.h>

#include <numeric>

// The band model on the default data: what it says of selections that
// "Расчитать" cannot balance, checked against a GLPK model of its own and
// against the worksheet's recalculation.

namespace {

const QString kBroilers = QStringLiteral("Бройлеры: старт (1-3 нед.)");
const QString kFinish = QStringLiteral("Бройлеры: финиш (6 нед. и старше)");
const QStringList kGrainAndSoy{"Кукуруза", "Пшеница", "Шрот соевый", "Масло подсолнечное"};
const QStringList kNoCalcium{"Кукуруза",          "Пшеница",           "Шрот соевый",     "Мука рыбная",
                             "Масло подсолнечное", "Монокальцийфосфат", "Соль поваренная",
                             "Премикс для бройлеров и родительского стада 1%"};
const QStringList kTenNoCalcium{"Кукуруза",           "Пшеница",           "Ячмень",          "Овес",
                                "Шрот соевый",        "Жмых соевый",       "Масло подсолнечное",
                                "Монокальцийфосфат", "Соль поваренная",    "Премикс для бройлеров и родительского стада 1%"};
const QStringList kFinishFeeds{"Кукуруза",         "Пшеница",         "Шрот соевый",     "Жмых подсолнечный", "Масло соевое",
                               "Известняк (известняковая мука)", "Дикальцийфосфат", "Соль поваренная",
                               "Премикс для бройлеров и родительского стада 1%"};

enum class Kind { OutOfReach, Balanced, Rescued, Replaced, BadData };

double number(const QVariant& v) { return NumText::variantNumber(v).value_or(0.0); }

using TestSupport::glpkOptimum;

// The worksheet's ration of these feeds, read from the default data.
QList<GroupRecord> load(Adodc& adodc, const QString& category, const QStringList& feeds)
{
    resetRation();
    mdlRashet::clearContributions();
    RationState& s = ration();
    s.sKurwi = category;
    std::copy(feeds.begin(), feeds.end(), s.sKorm.begin());
    s.iMaxKorm = std::int16_t(feeds.size() - 1);
    if (!mdlAddItem::ZagruzitKorm(adodc).notFound.isEmpty() || !mdlAddItem::ZagruzitKurwi(adodc, nullptr).notFound.isEmpty())
        qFatal("default data incomplete");
    return Composition::readGroups(adodc).records;
}

// The weights written into the plain worksheet as "Подставить" writes them.
void writeRation(TestSupport::PlainSheet& sheet, const std::vector<double>& grams)
{
    for (std::size_t i = 0; i < grams.size(); ++i)
        sheet.type(int(i), QStringLiteral("0"));
    for (std::size_t i = 0; i < grams.size(); ++i)
        sheet.type(int(i), NumText::fixed(grams[i], 2));
}

bool allMainGreen(const TestSupport::PlainSheet& sheet)
{
    return std::all_of(sheet.procentColors, sheet.procentColors + 5, [](SheetColor c) { return c == SheetColor::LightGreen; });
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_bands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void diagnosis_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("feeds");
        QTest::addColumn<QString>("tolerance");
        QTest::addColumn<QString>("broken");   // "field=value" spoilt before the reading
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("said"); // lines (or their starts) the pane shows
        QTest::newRow("grain and soy: calcium and sodium out of reach")
            << kBroilers << kGrainAndSoy << "30" << "" << Kind::OutOfReach
            << QStringList{"кальций: достижимо от 7,3 до 12,9 % нормы, нужно от 70 до 130 %",
                           "натрий: достижимо от 9,5 до 10 % нормы, нужно от 70 до 130 %",
                           "С этими кормами сбалансировать рацион нельзя.", "Ни один корм из базы не помогает"};
        QTest::newRow("finisher at 10 %: «Расчитать» fails, a balanced ration exists")
            << kFinish << kFinishFeeds << "10" << "" << Kind::Balanced
            << QStringList{"Сбалансированный рацион с этими кормами есть"};
        QTest::newRow("no calcium source at 10 %: each nutrient alone, not together; a feed rescues it")
            << kBroilers << kNoCalcium << "10" << "" << Kind::Rescued
            << QStringList{"кальций: достижимо от 7,1 до 93,9 % нормы — в норму входит",
                           "Каждое вещество входит в норму по отдельности, но не все вместе.", "Мешают:",
                           "Поможет добавить корм"};
        QTest::newRow("ten feeds without calcium: a replacement")
            << kBroilers << kTenNoCalcium << "30" << "" << Kind::Replaced << QStringList{"Поможет замена"};
        QTest::newRow("a feed's calcium as text") << kBroilers << kNoCalcium << "10" << "feed 3 3=много" << Kind::BadData
            << QStringList{"Нет данных: не число: кальций в корме «Мука рыбная» («много»).",
                           "протеин: достижимо от 61,2 до 122,5 % нормы — в норму входит",
                           "Сбалансированный рацион не искали: не хватает данных."};
        QTest::newRow("a requirement missing") << kBroilers << kNoCalcium << "10" << "norma 5=" << Kind::BadData
            << QStringList{"Нет данных: не задано: потребность (натрий) для «Бройлеры: старт (1-3 нед.)»."};
        QTest::newRow("a feeding limit missing") << kBroilers << kNoCalcium << "10" << "feed 0 9=" << Kind::BadData
            << QStringList{"Нет данных: не задано: норма дачи корма «Кукуруза».", "Без этих данных разбор невозможен."};
        QTest::newRow("a group limit as text") << kBroilers << kNoCalcium << "10" << "group Зерновые=треть" << Kind::BadData
            << QStringList{"Нет данных: не число: ограничение группы «Зерновые» («треть»)."};
        QTest::newRow("a tolerance as text") << kBroilers << kNoCalcium << "десять" << "" << Kind::BadData
            << QStringList{"Нет данных: погрешность «десять» — не число."};
    }
    void diagnosis()
    {
        QFETCH(QString, category);
        QFETCH(QStringList, feeds);
        QFETCH(QString, tolerance);
        QFETCH(QString, broken);
        QFETCH(Kind, kind);
        QFETCH(QStringList, said);
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        Adodc adodc;
        QList<GroupRecord> groups = load(adodc, category, feeds);
        RationState& s = ration();
        if (!broken.isEmpty()) {
            const QStringList where = broken.section('=', 0, 0).split(' ');
            const QString value = broken.section('=', 1);
            if (where[0] == "feed")
                s.DataKorm[where[1].toInt()][where[2].toInt()] = value;
            else if (where[0] == "norma")
                s.NormaKur[where[1].toInt()] = value;
            else
                std::find_if(groups.begin(), groups.end(), [&](const GroupRecord& g) { return g.gruppa == where[1]; })
                    ->procent = value;
        }

        const Bands::Reading reading = Bands::read(s, groups, tolerance, "100", false);
        const Bands::Model& m = reading.model;
        const Bands::Diagnosis d = Bands::diagnose(reading, Bands::readCandidates(adodc, m));
        for (const QString& line : said)
            QVERIFY2(std::any_of(d.lines.begin(), d.lines.end(), [&](const QString& l) { return l.startsWith(line); }),
                     qPrintable(line + "\n---\n" + d.lines.join('\n')));
        QCOMPARE(d.analysed, kind != Kind::BadData);
        QCOMPARE(d.balanced.has_value(), kind == Kind::Balanced);
        if (kind == Kind::BadData)
            return;

        // Every range as a GLPK model of its own finds it.
        for (int j = 1; j <= 5; ++j) {
            std::vector<double> percent;
            for (int i = 0; i < s.feedCount(); ++i)
                percent.push_back(number(s.DataKorm[i][j]) / number(s.NormaKur[j]));
            QVERIFY(d.ranges[j - 1]);
            QVERIFY(qAbs(*glpkOptimum(groups, percent) - d.ranges[j - 1]->low) < 1e-6);
            QVERIFY(qAbs(*glpkOptimum(groups, percent, -1, true) - d.ranges[j - 1]->high) < 1e-6);
        }

        if (kind == Kind::Balanced) {
            TestSupport::PlainSheet sheet;
            sheet.useDatabase();
            sheet.combo1 = tolerance;
            mdlRashet::PokazatKorm(sheet);
            QCOMPARE(Composition::compose(sheet).status, Composition::Status::NotSolved);
            // The closest balanced ration, written as the boxes take it, is
            // green on the worksheet; so is the cheapest, whose cost a GLPK
            // model of its own confirms.
            QVERIFY(d.balanced->judgedBalanced);
            writeRation(sheet, d.balanced->written);
            QVERIFY(sheet.sumWes == "100" && allMainGreen(sheet));
            const std::vector<double> prices{21, 19, 48, 30, 160, 6, 55, 9, 400};
            const auto cheapest = Bands::leastCost(m, prices);
            std::vector<double> perGram;
            for (double p : prices)
                perGram.push_back(p / 100);
            const double optimum = *glpkOptimum(groups, perGram, tolerance.toDouble());
            QVERIFY2(cheapest && qAbs(cheapest->objective - optimum) <= optimum * 0.005,
                     qPrintable(QString::number(cheapest ? cheapest->objective : -1) + " " + QString::number(optimum)));
            writeRation(sheet, cheapest->written);
            QVERIFY(sheet.sumWes == "100" && allMainGreen(sheet));
            return;
        }

        QCOMPARE(d.suggestions.empty(), kind == Kind::OutOfReach);
        if (kind == Kind::OutOfReach)
            return;
        // The first suggestion, taken as the worksheet takes it, makes a
        // balanced ration possible, with at least the weight it named.
        QVERIFY(d.suggestions.size() <= 3);
        QCOMPARE(d.suggestionTexts.size(), qsizetype(d.suggestions.size()));
        const Bands::Suggestion& first = d.suggestions.front();
        QCOMPARE(first.replaced >= 0, kind == Kind::Replaced);
        QVERIFY(d.suggestionTexts.front().startsWith(first.replaced >= 0 ? "заменить " + feeds[first.replaced] + " на " + first.name
                                                                         : first.name + " — "));
        QVERIFY(std::is_sorted(d.suggestions.begin(), d.suggestions.end(),
                               [](const auto& a, const auto& b) { return a.grams < b.grams - 1e-3; }));
        QStringList with = feeds;
        if (first.replaced >= 0)
            with[first.replaced] = first.name;
        else
            with << first.name;
        groups = load(adodc, category, with);
        const auto balanced = Bands::closest(Bands::read(s, groups, tolerance, "100", false).model);
        QVERIFY(balanced && balanced->judgedBalanced);
        const int slot = first.replaced >= 0 ? first.replaced : int(feeds.size());
        QVERIFY(balanced->grams[slot] >= first.grams - 1e-6);
    }

    // Weights that do not round to a sum of 100: the largest takes the
    // difference, and where that breaks its feeding limit the programme is
    // narrowed and solved again.
    void writtenWeightsAddUpTo100()
    {
        Bands::Model m;
        m.feeds = {{"A", {}, 100.0 / 3, "x"}, {"B", {}, 100.0 / 3, "x"}, {"C", {}, 100, "y"}};
        m.bands[0] = {true, 100, 0, 1000};
        const auto r = Bands::leastCost(m, {1, 1, 10});
        QVERIFY(r && r->judgedBalanced);
        QCOMPARE(std::accumulate(r->written.begin(), r->written.end(), 0.0), 100.0);
        for (std::size_t i = 0; i < 3; ++i)
            QVERIFY(r->written[i] <= m.feeds[i].limit && r->written[i] == std::round(r->written[i] * 100) / 100);
        QVERIFY(r->written[2] > 33.34);   // the cheap feeds gave way, by as little as it takes
        QVERIFY(qAbs(r->objective - (200.0 / 3 + 1000.0 / 3) / 100) < 0.01);
    }
};

QTEST_GUILESS_MAIN(tst_bands)
#include "tst_bands.moc"
