// Times the reading the wizard does against a full-size feed table: filling
// the feed list from a basa of 32 767 rows (the largest record count the
// program takes) and loading ten chosen feeds by name. Runs offscreen in a
// temporary directory and prints a small table; nothing is kept.
//
//   ./bench_database [runs]

#include "BenchSupport.h"

#include "data/Adodc.h"
#include "data/Database.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "data/Statements.h"
#include "data/mdlAddItem.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRows = Database::kMaxRecords;

struct Timing {
    double best = 0;
    double median = 0;
};

Timing measure(int runs, const std::function<void()>& step)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

bool exec(Adodc& a, const QString& sql)
{
    return Bench::exec(a.database(), sql);
}

void row(const char* what, int runs, Timing t)
{
    std::printf("| %-54s | %4d | %9.2f | %9.2f |\n", what, runs, t.best, t.median);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString err = Database::create(Database::path(), false);
    if (!err.isEmpty()) {
        std::fprintf(stderr, "cannot create the database: %s\n", qPrintable(err));
        return 1;
    }

    Adodc adodc;
    ReferenceData data(adodc);
    const QString fill = Bench::fillBasaStatement(kRows);
    if (!exec(adodc, fill))
        return 1;

    // Ten feeds spread over the table, as the feed selection would hand them on.
    RationState& s = ration();
    s.iMaxKorm = 9;
    for (int i = 0; i < 10; ++i)
        s.sKorm[i] = QStringLiteral("Корм кормовой номер %1").arg(1 + i * 3276, 5, 10, QLatin1Char('0'));

    QListWidget list;
    bool ok = true;

    std::printf("basa: %d rows; times in milliseconds\n\n", kRows);
    std::printf("| %-54s | %4s | %9s | %9s |\n", "step", "runs", "best", "median");
    std::printf("|%s|%s|%s|%s|\n", QByteArray(56, '-').constData(), QByteArray(6, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(11, '-').constData());

    row("Refresh \"Select * from basa order by 1\"", runs, measure(runs, [&] {
            adodc.setRecordSource(Statements::basaList);
            ok = adodc.Refresh() && ok;
        }));
    row("ZapolnitSpisok into a QListWidget (recordset ready)", runs, measure(runs, [&] {
            ok = mdlAddItem::ZapolnitSpisok(adodc, list).ok && ok;
        }));
    row("both: what the feed screen does on load", runs, measure(runs, [&] {
            adodc.setRecordSource(Statements::basaList);
            ok = adodc.Refresh() && ok;
            ok = mdlAddItem::ZapolnitSpisok(adodc, list).ok && ok;
        }));
    ok = ok && list.count() == kRows;

    row("ZagruzitKorm: ten feeds by name (name index)", runs, measure(runs, [&] {
            const auto r = mdlAddItem::ZagruzitKorm(data);
            ok = r.ok && r.notFound.isEmpty() && ok;
        }));
    if (!exec(adodc, QStringLiteral("drop index basa_name")))
        return 1;
    row("ZagruzitKorm: ten feeds by name (no index, for scale)", runs, measure(runs, [&] {
            const auto r = mdlAddItem::ZagruzitKorm(data);
            ok = r.ok && r.notFound.isEmpty() && ok;
        }));
    ok = ok && s.DataKorm[9][0].toString() == s.sKorm[9];

    if (!ok) {
        std::fprintf(stderr, "a step failed: %s\n", qPrintable(adodc.lastError()));
        return 1;
    }
    return 0;
}
