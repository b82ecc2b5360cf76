// Times the carrying over of an old Access treba.mdb of 32 767 feeds (the
// largest record count the program takes; Jet 3, 952 pages) into a new
// database, as at start-up: read, written, every value read back and
// compared, the old file renamed. Runs in a temporary directory; nothing is
// kept. Exits 1 when a carrying over fails or brings other row counts.
//
//   ./bench_jet [runs]

#include "data/Database.h"
#include "data/JetFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    if (!JetFile::supported()) {
        std::fprintf(stderr, "this build has no Jet reader\n");
        return 1;
    }
    const QString fixture = QStringLiteral(RACION_JET_FIXTURES "/feeds-32767.mdb");
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("treba.mdb"));
        if (!QFile::copy(fixture, path)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(fixture));
            return 1;
        }
        QString report;
        QElapsedTimer t;
        t.start();
        const QString error = JetFile::carryOver(path, &report);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        int basa = 0, kurwi = 0, granica = 0;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-jet"));
            db.setDatabaseName(path);
            QSqlQuery q(db);
            if (db.open() && q.exec(QStringLiteral("select (select count(*) from basa), (select count(*) from kurwi), "
                                                   "(select count(*) from granica)")) && q.next()) {
                basa = q.value(0).toInt();
                kurwi = q.value(1).toInt();
                granica = q.value(2).toInt();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-jet"));
        if (basa != Database::kMaxRecords || kurwi != 1 || granica != 2) {
            std::fprintf(stderr, "wrong row counts: basa %d, kurwi %d, granica %d\n", basa, kurwi, granica);
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("carrying over 32 767 feeds (Jet 3, 952 pages): %d runs, best %.1f ms, median %.1f ms (limit 2000 ms)\n",
                runs, ms.front(), ms[ms.size() / 2]);
    return ms[ms.size() / 2] <= 2000 ? 0 : 1;
}
