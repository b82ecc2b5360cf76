// Times one click of "Расчитать" on the real worksheet, offscreen, with ten
// feeds of the default data and Combo1 at "30", beside the time of the bare
// solver calls that click makes (the same tableaux solved again, copies made
// outside the clock), so the cost of the worksheet around the solver shows as
// a ratio.
// Usage: bench_composition [clicks] [vitamins: 0 or 1]

#include "BenchSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/RationState.h"
#include "engine/Composition.h"
#include "engine/CompositionModel.h"
#include "engine/mdlSimplex.h"
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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using Bench::median;

} // namespace

int main(int argc, char** argv)
{
    Bench::ScreenStart bench(argc, argv);
    if (!bench.ok)
        return 1;
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const bool vitamins = argc > 2 && std::atoi(argv[2]) != 0;

    const QStringList feeds = Bench::tenFeeds();
    Bench::chooseRation(Bench::kCategory, feeds);
    auto* sheet = dynamic_cast<frmRacion*>(Navigation::showRacion());
    if (!sheet) {
        std::fprintf(stderr, "the worksheet did not open\n");
        return 1;
    }
    auto* cmdS = sheet->findChild<QPushButton*>(QStringLiteral("cmdS"));
    sheet->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("30"));
    sheet->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(vitamins);

    // The passes one click makes (every click starts from zero weights, so
    // each makes the same ones).
    const Composition::Outcome outcome = Composition::compose(*sheet);
    if (outcome.status == Composition::Status::Refused) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(outcome.message));
        return 1;
    }

    std::vector<double> clickTimes;
    for (int c = 0; c < clicks; ++c) {
        const auto start = Clock::now();
        cmdS->click();
        clickTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    // The same tableaux, solved bare.
    Adodc adodc;
    const GroupRecords groups = Composition::readGroups(adodc);
    const int M = Composition::nutrientRows(vitamins);
    std::vector<Composition::Programme> programmes;
    for (float delta : outcome.deltas)
        programmes.push_back(Composition::buildProgramme(M, delta, 100.0f, groups.records));
    std::vector<double> solverTimes;
    for (int c = 0; c < clicks; ++c) {
        std::vector<Composition::Programme> copies = programmes;
        std::vector<std::vector<float>> rez(copies.size(), std::vector<float>(feeds.size() + 1, 0.0f));
        const auto start = Clock::now();
        for (std::size_t i = 0; i < copies.size(); ++i)
            mdlSimplex::Simplex(copies[i].tabl, copies[i].M, copies[i].N, copies[i].K, rez[i]);
        solverTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    const double click = median(clickTimes);
    const double solver = median(solverTimes);
    std::printf("One click of \"Расчитать\" on the worksheet (offscreen), 10 feeds, Combo1 \"30\", %s:\n",
                vitamins ? "with the vitamins" : "without the vitamins");
    std::printf("  passes per click        %d (%s, sum %s)\n", outcome.passes,
                outcome.status == Composition::Status::Balanced ? "balanced" : "not solved",
                qPrintable(sheet->findChild<QLabel*>(QStringLiteral("lblSumWes"))->text()));
    std::printf("  click, median of %d     %.3f ms\n", clicks, click);
    std::printf("  bare solver calls       %.3f ms\n", solver);
    std::printf("  click / solver          %.1f\n", solver > 0 ? click / solver : 0.0);
    std::printf("  messages shown          %d\n", bench.quiet.messages);
    sheet->close();
    setPlatform(nullptr);
    return 0;
}
