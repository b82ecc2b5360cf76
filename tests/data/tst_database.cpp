#include "data/Adodc.h"
#include "data/Database.h"
#include "data/NumText.h"
#include "data/Statements.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <unistd.h>

// Start-up of treba.mdb: an absent file is made with the default data; a file
// that cannot serve is reported by name and never touched.
class tst_database : public QObject {
    Q_OBJECT

    // Runs statements on a file through a connection of its own.
    static void exec(const QString& path, const QStringList& statements)
    {
        const QString name = QStringLiteral("tst-exec");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            for (const QString& s : statements) {
                QSqlQuery q(db);
                QVERIFY2(q.exec(s), qPrintable(s + QLatin1String(": ") + q.lastError().text()));
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static int count(Adodc& a, const QString& sql)
    {
        a.setRecordSource(sql);
        if (!a.Refresh())
            return -1;
        return a.recordset().Fields(0).toInt();
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void absentFileIsCreatedWithDefaultData()
    {
        TestSupport::TempWorkDir dir(false);
        const auto r = Database::ensure();
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(r.created);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("treba.mdb")});
        // A second start finds it and leaves it as it is.
        const QByteArray made = bytesOf(Database::path());
        const auto again = Database::ensure();
        QVERIFY(again.ok && !again.created);
        QCOMPARE(bytesOf(Database::path()), made);

        Adodc a;
        QCOMPARE(count(a, QStringLiteral("Select count(*) from basa")), 39);
        QCOMPARE(count(a, QStringLiteral("Select count(*) from kurwi")), 14);
        QCOMPARE(count(a, QStringLiteral("Select count(*) from granica")), 9);
        // Lookups by name are indexed, and no key forbids a second row of a name.
        QCOMPARE(count(a, QStringLiteral("Select count(*) from sqlite_master where type = 'index' "
                                         "and sql not like '%UNIQUE%'")), 3);
        QCOMPARE(count(a, QStringLiteral("Select count(*) from sqlite_master where type = 'index' "
                                         "and sql like '%UNIQUE%'")), 0);
        for (const Database::Table& t : Database::tables()) {
            a.setRecordSource(t.name);
            QVERIFY(a.Refresh());
            QCOMPARE(a.recordset().fieldNames(), t.columns);
        }
    }

    void defaultFiguresHoldTogether()
    {
        TestSupport::TempWorkDir dir;
        Adodc a;
        // Every feed's group has a limit, and no feed may take more than its group.
        a.setRecordSource(QStringLiteral("Select b.basa_name_kormow, b.granic, g.procent from basa b "
                                         "left join granica g on g.gruppa = b.gruppa"));
        QVERIFY(a.Refresh());
        Recordset& rs = a.recordset();
        QCOMPARE(rs.RecordCount(), 39);
        for (rs.MoveFirst(); rs.hasCurrent(); rs.MoveNext()) {
            const QString feed = rs.Fields(0).toString();
            QVERIFY2(!rs.Fields(2).isNull(), qPrintable(feed + QLatin1String(": no group limit")));
            QVERIFY2(rs.Fields(1).toDouble() > 0 && rs.Fields(1).toDouble() <= rs.Fields(2).toDouble(),
                     qPrintable(feed));
        }
        // Every requirement of every category is entered, the daily energy too.
        a.setRecordSource(Statements::kurwiList);
        QVERIFY(a.Refresh());
        for (a.recordset().MoveFirst(); a.recordset().hasCurrent(); a.recordset().MoveNext())
            for (int k = 1; k <= 9; ++k)
                QVERIFY2(a.recordset().Fields(k).toDouble() > 0,
                         qPrintable(a.recordset().Fields(0).toString() + QLatin1String(" column ") + QString::number(k)));
        // Names are unique within each table.
        QCOMPARE(count(a, QStringLiteral("Select count(distinct basa_name_kormow) from basa")), 39);
        QCOMPARE(count(a, QStringLiteral("Select count(distinct kategoriy_ptici) from kurwi")), 14);
        // One row read in full: the columns land in their places as numbers.
        a.setRecordSource(QStringLiteral("Select * from basa where basa_name_kormow = 'Рыбий жир'"));
        QVERIFY(a.Refresh());
        QStringList row;
        for (int j = 0; j < 11; ++j)
            row << NumText::variantText(a.recordset().Fields(j));
        QCOMPARE(row.join(QLatin1Char('|')), QStringLiteral("Рыбий жир|860|0|0|0|0|100|10|0|1|Жиры"));
    }

    void fileThatCannotServeIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");      // raw bytes, or empty to build with SQL
        QTest::addColumn<QStringList>("statements");  // run on a new SQLite file
        QTest::addColumn<QString>("reason");          // a word the message must hold
        QTest::newRow("plain text") << QByteArray("Это не база данных\r\n") << QStringList() << "SQLite";
        QTest::newRow("empty file") << QByteArray("") << QStringList() << "SQLite";
        QTest::newRow("a Jet database header")
            << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) << QStringList() << "SQLite";
        QTest::newRow("SQLite of another program") << QByteArray()
            << QStringList{QStringLiteral("create table notes (id integer, text text)"),
                           QStringLiteral("insert into notes values (1, 'x')")} << "basa";
        const QString basa = QStringLiteral("create table basa (basa_name_kormow TEXT, ob_en REAL, protein REAL, "
                                            "calciy_ REAL, pospor REAL, natriy REAL, A REAL, D REAL, B3 REAL, "
                                            "granic REAL, gruppa TEXT)");
        const QString kurwi = QStringLiteral("create table kurwi (kategoriy_ptici TEXT, obm_en REAL, protein REAL, "
                                             "calciy_ REAL, pospor REAL, natriy REAL, A REAL, D REAL, B3 REAL, "
                                             "dawat_gr REAL)");
        QTest::newRow("table granica missing") << QByteArray() << QStringList{basa, kurwi} << "granica";
        QTest::newRow("column dawat_gr missing") << QByteArray()
            << QStringList{basa, QString(kurwi).replace(QStringLiteral(", dawat_gr REAL"), QString()),
                           QStringLiteral("create table granica (gruppa TEXT, procent REAL)")} << "dawat_gr";
        QTest::newRow("columns in another order") << QByteArray()
            << QStringList{QString(basa).replace(QStringLiteral("ob_en REAL, protein REAL"),
                                                 QStringLiteral("protein REAL, ob_en REAL")),
                           kurwi, QStringLiteral("create table granica (gruppa TEXT, procent REAL)")} << "ob_en";
    }
    void fileThatCannotServeIsLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, statements);
        QFETCH(QString, reason);
        TestSupport::TempWorkDir dir(false);
        const QString path = Database::path();
        if (statements.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        } else {
            exec(path, statements);
        }
        const QByteArray before = bytesOf(path);
        const QDateTime modified = QFileInfo(path).lastModified();

        const auto r = Database::ensure();
        QVERIFY(!r.ok);
        QVERIFY(!r.created);
        QVERIFY2(r.message.contains(path), qPrintable(r.message));
        QVERIFY2(r.message.contains(reason), qPrintable(r.message));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("treba.mdb")});
    }

    void directoryInPlaceOfTheFile()
    {
        TestSupport::TempWorkDir dir(false);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("treba.mdb")));
        const auto r = Database::ensure();
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(Database::path()), qPrintable(r.message));
        QVERIFY(QFileInfo(Database::path()).isDir());
    }

    void unreadableFile()
    {
        if (geteuid() == 0)
            QSKIP("root reads a file without read permission; the directory case covers an unreadable path");
        TestSupport::TempWorkDir dir;
        QFile::setPermissions(Database::path(), QFileDevice::Permissions());
        const auto r = Database::ensure();
        QFile::setPermissions(Database::path(), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!r.ok);
        QVERIFY2(r.message.contains(Database::path()), qPrintable(r.message));
    }

    void lockedFileIsReportedAfterAShortWait()
    {
        TestSupport::TempWorkDir dir;
        const QByteArray before = bytesOf(Database::path());
        const QString holder = QStringLiteral("tst-holder");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), holder);
            db.setDatabaseName(Database::path());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(QStringLiteral("BEGIN EXCLUSIVE")), qPrintable(q.lastError().text()));

            QElapsedTimer t;
            t.start();
            const auto r = Database::ensure();
            QVERIFY(!r.ok);
            QVERIFY2(r.message.contains(Database::path()), qPrintable(r.message));
            QVERIFY2(r.message.contains(QStringLiteral("занята")), qPrintable(r.message));
            // A data control waits as briefly and says why.
            Adodc a;
            a.setRecordSource(QStringLiteral("Select * from kurwi order by 1"));
            QVERIFY(!a.Refresh());
            QVERIFY(!a.lastError().isEmpty());
            QCOMPARE(a.recordset().RecordCount(), 0);
            QVERIFY2(t.elapsed() < 3 * Database::kBusyTimeoutMs, qPrintable(QString::number(t.elapsed())));

            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            db.close();
        }
        QSqlDatabase::removeDatabase(holder);
        QCOMPARE(bytesOf(Database::path()), before);
        QVERIFY(Database::ensure().ok);
    }

    void dataControlNeverCreatesAFile()
    {
        TestSupport::TempWorkDir dir(false);
        Adodc a;
        a.setRecordSource(QStringLiteral("Select * from basa order by 1"));
        QVERIFY(!a.Refresh());
        QVERIFY(a.lastError().contains(Database::path()));
        QVERIFY(!QFileInfo::exists(Database::path()));
    }
};

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
