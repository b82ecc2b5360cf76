// Times the whole diagnosis of a worksheet that cannot be balanced: ten feeds
// of the default data without a calcium source for broiler chicks, Combo1
// "30". One run reads the group limits and the 39 reference feeds through
// the data controls, reads the model, finds every nutrient's range, the least
// violation and the suggestions (with ten feeds: each of the 29 other feeds
// in place of each chosen one). Also times the first opening of the pane on
// the real worksheet ("Почему?"), drawing included, and then, with basa
// filled up to 32 767 feeds, a digit typed into a weight box while the pane
// is open: the recalculation, the pane's analysis that follows and the
// repaint.
// Usage: bench_diagnosis [runs]

#include "BenchSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/ReferenceData.h"
#include "engine/BandAnalyses.h"
#include "engine/Composition.h"
#include "engine/DiagnosisText.h"
#include "shell/Navigation.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

int main(int argc, char** argv)
{
    using Clock = std::chrono::steady_clock;
    Bench::ScreenStart bench(argc, argv);
    if (!bench.ok)
        return 1;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;

    const QStringList feeds{QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"), QStringLiteral("Ячмень"),
                            QStringLiteral("Овес"), QStringLiteral("Шрот соевый"), QStringLiteral("Жмых соевый"),
                            QStringLiteral("Масло подсолнечное"), QStringLiteral("Монокальцийфосфат"),
                            QStringLiteral("Соль поваренная"),
                            QStringLiteral("Премикс для бройлеров и родительского стада 1%")};
    Bench::chooseRation(Bench::kCategory, feeds);
    auto* sheet = dynamic_cast<frmRacion*>(Navigation::showRacion());
    if (!sheet) {
        std::fprintf(stderr, "the worksheet did not open\n");
        return 1;
    }

    // Wall time, and the processor time of this thread: on a machine shared
    // with other work the second shows what the diagnosis itself costs.
    const auto cpuNow = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    Adodc groups, reference;
    ReferenceData groupData(groups), referenceData(reference);
    std::vector<double> times, cpu;
    Bands::Diagnosis d;
    QStringList lines;
    for (int run = 0; run <= runs; ++run) {
        const auto start = Clock::now();
        const double cpuStart = cpuNow();
        const GroupRecords g = groupData.groupLimits();
        const Bands::Reading r = Bands::read(ration(), g.records, QStringLiteral("30"), QStringLiteral("100"), false);
        const Bands::Candidates candidates = Bands::readCandidates(referenceData, r.model);
        d = Bands::diagnose(r, candidates);
        lines = DiagnosisText::lines(r, candidates, d);
        if (run > 0) {   // the first run warms up
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            cpu.push_back(cpuNow() - cpuStart);
        }
    }
    if (d.suggestions.empty() || d.suggestions.front().replaced < 0 || d.balanced) {
        std::fprintf(stderr, "unexpected diagnosis:\n%s\n", qPrintable(lines.join('\n')));
        return 1;
    }

    // The same with the extra nutrients ticked: every norm's range, and the
    // candidates with their own contents and the chicks' feed limits.
    std::vector<double> dopTimes;
    ration().bDop = true;
    ration().Dop = referenceData.rationExtras(ration().sKurwi, std::vector<QString>(feeds.begin(), feeds.end()));
    Bands::Diagnosis dopDiagnosis;
    for (int run = 0; run <= runs; ++run) {
        const auto start = Clock::now();
        const GroupRecords g = groupData.groupLimits();
        const Bands::Reading r = Bands::read(ration(), g.records, QStringLiteral("30"), QStringLiteral("100"), false);
        const Bands::Candidates candidates = Bands::readCandidates(referenceData, r.model, ration().sKurwi);
        dopDiagnosis = Bands::diagnose(r, candidates);
        DiagnosisText::lines(r, candidates, dopDiagnosis);
        if (run > 0)
            dopTimes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (r.model.norms.empty()) {
            std::fprintf(stderr, "no extra norms read\n");
            return 1;
        }
    }
    ration().bDop = false;
    std::printf("diagnosis with the extra nutrients, %zu suggested: median %.2f ms (min %.2f, max %.2f), %d runs\n",
                dopDiagnosis.suggestions.size(), Bench::median(dopTimes), *std::min_element(dopTimes.begin(), dopTimes.end()),
                *std::max_element(dopTimes.begin(), dopTimes.end()), runs);

    const auto start = Clock::now();
    sheet->findChild<QPushButton*>(QStringLiteral("cmdPochemu"))->click();
    if (!Bench::waitPainted(sheet))
        return 1;
    const double pane = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    std::printf("diagnosis with ten feeds, %zu replacements suggested: median %.2f ms (min %.2f, max %.2f), "
                "processor time median %.2f ms, %d runs\n",
                d.suggestions.size(), Bench::median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), Bench::median(cpu), runs);
    std::printf("\"Почему?\" on the worksheet, pane painted: %.2f ms\n", pane);

    // The largest table the program takes; the pane reads it at the first
    // keystroke after the change (untimed), and each keystroke after that
    // is timed.
    if (!Bench::exec(groups.database(), Bench::fillBasaStatement(Database::kMaxRecords - 39)))
        return 1;
    auto* box = sheet->findChild<QLineEdit*>(QStringLiteral("txtWes(0)"));
    auto* sum = sheet->findChild<QLabel*>(QStringLiteral("lblSumWes"));
    box->setFocus();
    std::vector<double> keys;
    for (int run = 0; run <= runs; ++run) {
        const QChar digit = QLatin1Char(run % 2 ? '3' : '4');
        box->selectAll();
        const auto keyStart = Clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + digit.digitValue(), Qt::NoModifier, digit);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + digit.digitValue(), Qt::NoModifier, digit);
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
        QCoreApplication::processEvents();   // the pane's analysis, then the repaint
        if (run > 0)
            keys.push_back(std::chrono::duration<double, std::milli>(Clock::now() - keyStart).count());
        if (sum->text() != QString(digit) || !sheet->findChild<QWidget*>(QStringLiteral("pnlDiagnosis"))->isVisible()) {
            std::fprintf(stderr, "the keystroke was not taken with the pane open\n");
            return 1;
        }
    }
    std::printf("keystroke in txtWes(0) with the pane open, basa of 32 767 feeds: median %.2f ms (min %.2f, "
                "max %.2f), %d keystrokes\n",
                Bench::median(keys), *std::min_element(keys.begin(), keys.end()),
                *std::max_element(keys.begin(), keys.end()), runs);
    return 0;
}
