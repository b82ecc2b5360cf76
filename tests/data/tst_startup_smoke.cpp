#include "data/Database.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QtTest>

// A first look: a fresh working directory gets a default treba.mdb that passes
// the start-up check.
class tst_startup_smoke : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freshDirectoryGetsDefaultDatabase()
    {
        TestSupport::TempWorkDir dir(false);
        const auto r = Database::ensure();
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(r.created);
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("treba.mdb"))));
        QCOMPARE(Database::check(Database::path()), QString());
    }
};

QTEST_GUILESS_MAIN(tst_startup_smoke)
#include "tst_startup_smoke.moc"
