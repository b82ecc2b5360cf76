// Times what a user waits for, each measurement in a process of its own so
// that its peak memory is its own, and prints one table:
//
//   floor       process start to a bare Qt main window shown: what any Qt
//               program of this kind takes here (one run per process);
//   startup     process start to the main window shown and the event loop
//               idle, creating treba.mdb with the default data in a fresh
//               directory (one run per process);
//   keystroke   one character typed into txtWes(0) of the worksheet with ten
//               feeds: the key filter, the change handling and its
//               recalculation, and the repaint that follows;
//   calculate   one click of "Расчитать" on that worksheet, Combo1 "30";
//   leastcost   the same click with "по наименьшей стоимости" ticked, every
//               feed priced, from empty boxes;
//   feedlist    the feed selection screen opened on a basa of 32 767 rows
//               (read, list filled, shown; one run per process);
//   feededitor  the feed editor opened on that table (one run per process);
//   priceeditor the price editor opened on that table with every feed priced
//               (one run per process).
//
// Every screen lives in the main window's frame, offscreen. The keystroke and
// the click are repeated inside one process after one untimed warm-up.
//
//   QT_QPA_PLATFORM=offscreen ./bench_overall [runs]
//   ./bench_overall --child <measurement> <repeats> [start time, ns]   (what the parent runs)

#include "BenchSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/RationState.h"
#include "editors/GridEditor.h"
#include "editors/frmCena.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "shell/OneCopy.h"
#include "shell/Startup.h"
#include "wizard/frmBasa.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

#ifdef Q_OS_WIN
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::int64_t monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double msSince(std::int64_t startNs)
{
    return double(monotonicNs() - startNs) / 1e6;
}

// The process's peak resident set in KiB: VmHWM, else what the system says.
long peakRssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return long(counters.PeakWorkingSetSize / 1024);
#else
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
#endif
}

struct Measurement {
    const char* name;
    const char* caption;
    bool processPerRun;    // false: repeated inside one process
};

const Measurement kMeasurements[] = {
    {"floor", "a bare Qt main window shown (this machine's floor)", true},
    {"startup", "start-up to the main window shown (new treba.mdb)", true},
    {"keystroke", "one keystroke in txtWes, 10 feeds (recalc + repaint)", false},
    {"calculate", "one click of \"Расчитать\", 10 feeds, Combo1 \"30\"", false},
    {"leastcost", "the same click, \"по наименьшей стоимости\" ticked", false},
    {"feedlist", "feed selection opened on basa of 32 767 rows", true},
    {"feededitor", "feed editor opened on basa of 32 767 rows", true},
    {"priceeditor", "price editor opened on 32 767 priced feeds", true},
};

// ---- the child: one measurement ----

int fail(const char* what)
{
    std::fprintf(stderr, "bench_overall: %s\n", what);
    return 2;
}

void report(const std::vector<double>& times)
{
    for (double t : times)
        std::printf("time %.4f\n", t);
    std::printf("rss %ld\n", peakRssKiB());
    std::fflush(stdout);
}

// The worksheet with the ten feeds, in the frame.
frmRacion* openWorksheet()
{
    Bench::chooseRation(Bench::kCategory, Bench::tenFeeds());
    auto* sheet = dynamic_cast<frmRacion*>(Navigation::showRacion());
    if (sheet && !Bench::waitPainted(sheet))
        return nullptr;
    return sheet;
}

int childStartup(int argc, char** argv, std::int64_t startNs)
{
    // As the program starts: the one copy per database made sure of, the main
    // window built while the database is made.
    QApplication app(argc, argv);
    Startup::configureApplication(app);
    OneCopy oneCopy(Database::path());
    if (oneCopy.start(QString()) == OneCopy::Outcome::HandedOver)
        return fail("another copy runs on this treba.mdb");
    Startup::DatabaseCheck check;
    MDIForm1 w;
    if (!check.finish())
        return fail("treba.mdb could not be made");
    w.show();
    oneCopy.serve([](const QString&) {});
    if (!Bench::waitPainted(&w))
        return fail("the main window was not painted");
    const double t = msSince(startNs);
    if (!QFile::exists(Database::path()))
        return fail("no treba.mdb after start-up");
    report({t});
    return 0;
}

// What any Qt program of this kind takes on this machine, in this process
// image (the same libraries loaded): a main window with a menu bar, a frame
// for windows and a status line, shown and painted. Start-up less this is
// what the program itself spends.
int childFloor(int argc, char** argv, std::int64_t startNs)
{
    QApplication app(argc, argv);
    QMainWindow w;
    QMenu* menu = w.menuBar()->addMenu(QStringLiteral("&Файл"));
    for (int i = 0; i < 10; ++i)
        menu->addAction(QStringLiteral("Пункт %1").arg(i + 1));
    w.setCentralWidget(new QMdiArea);
    w.statusBar()->showMessage(QStringLiteral("Готово"));
    w.resize(800, 600);
    w.show();
    if (!Bench::waitPainted(&w))
        return fail("the window was not painted");
    report({msSince(startNs)});
    return 0;
}

int childScreens(int argc, char** argv, const QString& which, int repeats)
{
    QApplication app(argc, argv);
    Startup::configureApplication(app);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Bench::QuietPlatform quiet;
    setPlatform(&quiet);
    // The feed screens find the large table the parent put here; the
    // worksheet gets the default data. Checked (or made) as the program does
    // at every start, before anything is timed.
    if (!Database::ensure().ok)
        return fail("treba.mdb could not be checked or made");

    auto frame = std::make_unique<MDIForm1>();
    frame->show();
    if (!Bench::waitPainted(frame.get()))
        return fail("the main window was not painted");

    std::vector<double> times;
    const bool leastCost = which == QLatin1String("leastcost");
    if (which == QLatin1String("keystroke") || which == QLatin1String("calculate") || leastCost) {
        if (leastCost) {   // example prices of the ten feeds, roubles per kg
            const QStringList feeds = Bench::tenFeeds();
            const double prices[] = {16, 14, 42, 60, 110, 95, 4.5, 85, 9, 250};
            QStringList rows;
            for (int i = 0; i < feeds.size(); ++i)
                rows << QStringLiteral("('%1', %2)").arg(feeds[i]).arg(prices[i]);
            Adodc adodc;
            if (!Bench::exec(adodc.database(), QStringLiteral("insert into cena values ") + rows.join(QLatin1Char(','))))
                return fail("the prices could not be written");
        }
        frmRacion* sheet = openWorksheet();
        if (!sheet)
            return fail("the worksheet did not open");
        if (which == QLatin1String("keystroke")) {
            // A ration in progress: nine boxes filled, the first one typed over.
            const QStringList weights = {"1", "30", "15", "5", "4", "6", "2", "1", "0,3", "1"};
            for (int i = 0; i < 10; ++i)
                sheet->setWeightText(i, weights[i]);
            auto* box = sheet->findChild<QLineEdit*>(QStringLiteral("txtWes(0)"));
            auto* contribution = sheet->findChild<QLabel*>(QStringLiteral("lbl_1(2)"));
            box->setFocus();
            QCoreApplication::processEvents();
            for (int r = 0; r <= repeats; ++r) {
                const QChar digit = QLatin1Char(r % 2 ? '3' : '4');
                const QString before = contribution->text();
                box->selectAll();   // the key types over the box, as after a double click
                const std::int64_t start = monotonicNs();
                QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + digit.digitValue(), Qt::NoModifier, digit);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_0 + digit.digitValue(), Qt::NoModifier, digit);
                QApplication::sendEvent(box, &press);
                QApplication::sendEvent(box, &release);
                QCoreApplication::processEvents();   // the repaint of what changed
                const double t = msSince(start);
                if (box->text() != QString(digit) || contribution->text() == before)
                    return fail("the keystroke did not recalculate the row");
                if (r > 0)
                    times.push_back(t);
            }
        } else {
            sheet->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("30"));
            sheet->findChild<QCheckBox*>(QStringLiteral("chkCena"))->setChecked(leastCost);
            auto* cmdS = sheet->findChild<QPushButton*>(QStringLiteral("cmdS"));
            auto* sum = sheet->findChild<QLabel*>(QStringLiteral("lblSumWes"));
            for (int r = 0; r <= repeats; ++r) {
                // The least-cost click writes only the boxes that change: it
                // starts from empty boxes (outside the clock), as the other
                // click empties them itself.
                for (int i = 0; leastCost && i < 10; ++i)
                    sheet->setWeightText(i, QStringLiteral("0"));
                // Settled before the clock starts: the pane's analysis of the
                // emptied sheet, and the layout and repaint it brings, post
                // events of their own.
                for (int pass = 0; pass < 3; ++pass) {
                    QCoreApplication::sendPostedEvents();
                    QCoreApplication::processEvents();
                }
                const std::int64_t start = monotonicNs();
                cmdS->click();
                QCoreApplication::processEvents();
                const double t = msSince(start);
                if (sum->text() != QLatin1String("100"))
                    return fail("\"Расчитать\" did not balance the ration");
                if (r > 0)
                    times.push_back(t);
            }
        }
    } else if (which == QLatin1String("feedlist") || which.endsWith(QLatin1String("editor"))) {
        const bool list = which == QLatin1String("feedlist");
        const bool prices = which == QLatin1String("priceeditor");
        for (int r = 0; r < repeats; ++r) {
            const std::int64_t start = monotonicNs();
            if (list)
                Navigation::showBasa();
            else if (prices)
                Navigation::showPriceEditor();
            else
                Navigation::showFeedEditor();
            QMdiSubWindow* sub = frame->mdiArea()->activeSubWindow();
            if (!sub || !sub->widget() || !Bench::waitPainted(sub->widget()))
                return fail("the screen was not shown");
            const double t = msSince(start);
            // Outside the clock: the feed editor reads the rest of the table
            // (as it does while the user looks at the first rows), then every
            // row must be there, from the first feed to the last.
            QWidget* screen = sub->widget();
            QStringList names;
            if (list) {
                qobject_cast<frmBasa*>(screen)->readRest();
                const QAbstractItemModel* model = screen->findChild<QListView*>(QStringLiteral("lstBasa"))->model();
                for (int i = 0; i < model->rowCount(); ++i)
                    names << model->index(i, 0).data().toString();
            } else {
                QAbstractItemModel* model = prices ? qobject_cast<frmCena*>(screen)->grid()->model()
                                                   : qobject_cast<GridEditor*>(screen)->model();
                if (!prices && !qobject_cast<GridEditor*>(screen)->model()->readRest())
                    return fail("the rest of the table could not be read");
                for (int i = 0; i < model->rowCount(); ++i)
                    names << model->index(i, 0).data().toString();
            }
            if (names.size() != Database::kMaxRecords || names.front() != QStringLiteral("Корм кормовой номер 00001")
                || names.back() != QStringLiteral("Корм кормовой номер %1").arg(Database::kMaxRecords))
                return fail("the screen does not show every row");
            times.push_back(t);
            sub->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    } else {
        return fail("unknown measurement");
    }
    if (quiet.messages > 0) {
        std::fprintf(stderr, "message shown: %s\n", qPrintable(quiet.last));
        return fail("a message was shown");
    }
    report(times);
    frame->close();
    setPlatform(nullptr);
    return 0;
}

// ---- the parent: runs the children, prints the table ----

// The text left-aligned in `width` characters (not bytes: the captions are
// partly Cyrillic).
QByteArray padded(const QString& text, int width)
{
    return text.leftJustified(width).toUtf8();
}

struct Row {
    std::vector<double> times;
    long rssKiB = 0;
    bool ok = true;
};

bool runChild(const QString& which, int repeats, const QString& workDir, Row& row)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.setProgram(QCoreApplication::applicationFilePath());
    const std::int64_t start = monotonicNs();
    p.setArguments({QStringLiteral("--child"), which, QString::number(repeats), QString::number(start)});
    p.start();
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed (exit %d):\n%s\n", qPrintable(which), p.exitCode(),
                     p.readAllStandardError().constData());
        return false;
    }
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (line.startsWith("time "))
            row.times.push_back(line.mid(5).toDouble());
        else if (line.startsWith("rss "))
            row.rssKiB = std::max(row.rssKiB, line.mid(4).toLong());
    }
    return true;
}

// treba.mdb with basa at its largest size (the other tables empty, or every
// feed priced).
bool makeLargeDatabase(const QString& path, bool priced = false)
{
    const QString err = Database::create(path, false);
    if (!err.isEmpty()) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(err));
        return false;
    }
    Adodc adodc(path);
    return Bench::exec(adodc.database(), Bench::fillBasaStatement())
           && (!priced || Bench::exec(adodc.database(), QStringLiteral("insert into cena select basa_name_kormow, "
                                                                      "10 + rowid % 50 from basa")));
}

int parent(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir scratch;
    const QString large = scratch.filePath(QStringLiteral("large.mdb"));
    const QString priced = scratch.filePath(QStringLiteral("priced.mdb"));
    if (!makeLargeDatabase(large) || !makeLargeDatabase(priced, true))
        return 1;

    std::printf("%d runs each; times in milliseconds (median, fastest, slowest); peak RSS of the process\n\n",
                runs);
    std::printf("| %-55s | %4s | %9s | %9s | %9s | %8s |\n", "measurement", "runs", "median", "best",
                "worst", "peak MiB");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", QByteArray(57, '-').constData(), QByteArray(6, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(11, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(10, '-').constData());
    std::fflush(stdout);

    bool allOk = true;
    for (const Measurement& m : kMeasurements) {
        const QString which = QString::fromLatin1(m.name);
        const QString database = which.startsWith(QLatin1String("feed")) ? large
                                 : which == QLatin1String("priceeditor") ? priced : QString();
        Row row;
        const int processes = m.processPerRun ? runs : 1;
        for (int n = 0; n < processes && row.ok; ++n) {
            QTemporaryDir work;   // a fresh directory for each process
            if (!database.isEmpty() && !QFile::copy(database, QDir(work.path()).filePath(Database::kFileName)))
                row.ok = false;
            else
                row.ok = runChild(which, m.processPerRun ? 1 : runs, work.path(), row);
        }
        const QByteArray caption = padded(QString::fromUtf8(m.caption), 55);
        if (!row.ok || row.times.empty()) {
            std::printf("| %s | %4s | %9s | %9s | %9s | %8s |\n", caption.constData(), "-", "failed", "", "", "");
            allOk = false;
            continue;
        }
        const auto [lo, hi] = std::minmax_element(row.times.begin(), row.times.end());
        std::printf("| %s | %4zu | %9.2f | %9.2f | %9.2f | %8.1f |\n", caption.constData(), row.times.size(),
                    Bench::median(row.times), *lo, *hi, double(row.rssKiB) / 1024.0);
        std::fflush(stdout);
    }
    return allOk ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) {
        const QString which = QString::fromLatin1(argv[2]);
        const int repeats = std::max(1, std::atoi(argv[3]));
        const std::int64_t start = argc >= 5 ? std::strtoll(argv[4], nullptr, 10) : monotonicNs();
        if (which == QLatin1String("startup"))
            return childStartup(argc, argv, start);
        if (which == QLatin1String("floor"))
            return childFloor(argc, argv, start);
        return childScreens(argc, argv, which, repeats);
    }
    return parent(argc, argv);
}
