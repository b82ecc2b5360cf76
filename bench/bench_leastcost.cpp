// Times one least-cost click of "Расчитать" ("по наименьшей стоимости"
// ticked) on the real worksheet, offscreen, with ten priced feeds of the
// default data and Combo1 at "30", beside the time of the bare band-model
// call the click makes (reading the model and solving it with GLPK), so the
// cost of writing the weights into the worksheet shows apart. Each click
// starts from empty boxes, so it writes all ten weights.
// With "dop" as the third argument it times instead the plain click with
// "учитывать аминокислоты и клетчатку" ticked: ten feeds for broiler chicks
// with synthetic lysine and methionine, every extra norm and the chicks' own
// feed limits, the ration closest to the requirement.
// Usage: bench_leastcost [clicks] [vitamins: 0 or 1] [dop]

#include "BenchSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/BandAnalyses.h"
#include "engine/Composition.h"
#include "shell/Navigation.h"
#include "shell/Platform.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    using Clock = std::chrono::steady_clock;
    Bench::ScreenStart bench(argc, argv);
    if (!bench.ok)
        return 1;
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const bool vitamins = argc > 2 && std::atoi(argv[2]) != 0;
    const bool dop = argc > 3 && QLatin1String(argv[3]) == QLatin1String("dop");

    // Example prices of the ten feeds, roubles per kg.
    const QStringList feeds = dop ? QStringList{QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"),
                                                QStringLiteral("Шрот соевый"), QStringLiteral("Мука рыбная"),
                                                QStringLiteral("Мел кормовой"), QStringLiteral("Монокальцийфосфат"),
                                                QStringLiteral("Соль поваренная"),
                                                QStringLiteral("Премикс для бройлеров и родительского стада 1%"),
                                                QStringLiteral("L-лизин монохлоргидрат"), QStringLiteral("DL-метионин")}
                                  : Bench::tenFeeds();
    const std::vector<double> prices{16, 14, 42, 60, 110, 95, 4.5, 85, 9, 250};
    QStringList rows;
    for (int i = 0; i < feeds.size(); ++i)
        rows << QStringLiteral("('%1', %2)").arg(feeds[i]).arg(prices[std::size_t(i)]);
    {
        Adodc adodc;
        if (!Bench::exec(adodc.database(), QStringLiteral("insert into cena values ") + rows.join(QLatin1Char(','))))
            return 1;
    }

    Bench::chooseRation(Bench::kCategory, feeds);
    auto* sheet = dynamic_cast<frmRacion*>(Navigation::showRacion());
    if (!sheet) {
        std::fprintf(stderr, "the worksheet did not open\n");
        return 1;
    }
    auto* cmdS = sheet->findChild<QPushButton*>(QStringLiteral("cmdS"));
    sheet->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("30"));
    sheet->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(vitamins);
    sheet->findChild<QCheckBox*>(QStringLiteral("chkCena"))->setChecked(!dop);
    sheet->findChild<QCheckBox*>(QStringLiteral("chkDop"))->setChecked(dop);
    auto* sum = sheet->findChild<QLabel*>(QStringLiteral("lblSumWes"));

    std::vector<double> clickTimes;
    for (int c = 0; c <= clicks; ++c) {
        // Every click starts from empty boxes, outside the clock, so that it
        // writes all ten weights.
        for (int i = 0; i < feeds.size(); ++i)
            sheet->setWeightText(i, QStringLiteral("0"));
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        cmdS->click();
        QCoreApplication::processEvents();
        const double t = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (sum->text() != QLatin1String("100") || bench.quiet.messages > 0) {
            std::fprintf(stderr, "the least-cost click did not balance the ration: %s\n", qPrintable(bench.quiet.last));
            return 1;
        }
        if (c > 0)
            clickTimes.push_back(t);
    }

    // The same model, read and solved bare.
    ReferenceData data;
    const GroupRecords groups = data.groupLimits();
    std::vector<double> modelTimes;
    for (int c = 0; c < clicks; ++c) {
        const auto start = Clock::now();
        const Bands::Reading r = Bands::read(ration(), groups.records, QStringLiteral("30"), QStringLiteral("100"),
                                             vitamins);
        const auto cheapest = dop ? Bands::closest(r.model) : Bands::leastCost(r.model, prices);
        modelTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!cheapest)
            return 1;
    }

    const double click = Bench::median(clickTimes);
    const double model = Bench::median(modelTimes);
    std::printf("One %s click of \"Расчитать\" on the worksheet (offscreen), 10 feeds, Combo1 \"30\", %s:\n",
                dop ? "amino acids and fibre" : "least-cost", vitamins ? "with the vitamins" : "without the vitamins");
    std::printf("  click, median of %d     %.3f ms\n", clicks, click);
    std::printf("  band model read + GLPK  %.3f ms\n", model);
    std::printf("  weights written         %.3f ms (the rest of the click)\n", click - model);
    sheet->close();
    setPlatform(nullptr);
    return 0;
}
