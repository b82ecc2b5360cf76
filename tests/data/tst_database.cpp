#include "data/Adodc.h"
#include "data/Database.h"
#include "support/TestSupport.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <unistd.h>

// Start-up of treba.mdb: an absent file is made with the default data; a file
// that cannot serve is reported by name and never touched.
class tst_database : public QObject {
    Q_OBJECT

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static QString first(const QString& sql)
    {
        Adodc a;
        a.setRecordSource(sql);
        return a.Refresh() ? a.recordset().Fields(0).toString() : a.lastError();
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void absentFileIsCreatedWithDefaultData()
    {
        TestSupport::TempWorkDir dir(false);
        const auto r = Database::ensure();
        QVERIFY2(r.ok && r.created, qPrintable(r.message));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("treba.mdb")});
        const QByteArray made = bytesOf(Database::path());
        const auto again = Database::ensure();   // a second start leaves it as it is
        QVERIFY(again.ok && !again.created);
        QCOMPARE(bytesOf(Database::path()), made);

        QCOMPARE(first("Select count(*) || ' ' || count(distinct basa_name_kormow) from basa"), QStringLiteral("39 39"));
        QCOMPARE(first("Select count(*) || ' ' || count(distinct kategoriy_ptici) from kurwi"), QStringLiteral("14 14"));
        QCOMPARE(first("Select count(*) from granica"), QStringLiteral("9"));
        // The names are indexed, and no key forbids a second row of a name.
        QCOMPARE(first("Select count(*) || ' ' || count(nullif(sql like '%UNIQUE%', 0)) from sqlite_master "
                       "where type = 'index'"), QStringLiteral("3 0"));
        for (const Database::Table& t : Database::tables()) {
            Adodc a;
            a.setRecordSource(t.name);
            QVERIFY(a.Refresh());
            QCOMPARE(a.recordset().fieldNames(), t.columns);
        }
        // The figures hold together: every feed has a group limit at least its
        // feeding limit, every requirement is entered, the columns are in place.
        QCOMPARE(first("Select count(*) from basa b left join granica g on g.gruppa = b.gruppa "
                       "where not (b.granic > 0 and b.granic <= g.procent)"), QStringLiteral("0"));
        QCOMPARE(first("Select count(*) from kurwi where not (obm_en > 0 and protein > 0 and calciy_ > 0 and "
                       "pospor > 0 and natriy > 0 and A > 0 and D > 0 and B3 > 0 and dawat_gr > 0)"), QStringLiteral("0"));
        QCOMPARE(first("Select ob_en || '|' || A || '|' || granic || '|' || gruppa from basa "
                       "where basa_name_kormow = 'Рыбий жир'"), QStringLiteral("860.0|100.0|1.0|Жиры"));
    }

    // A sound file of an earlier version, without the price table, gains it
    // empty at start-up; its three tables keep every row, value and type, and
    // their definitions and indexes. A second start changes nothing.
    void soundFileGainsTheEmptyPriceTable()
    {
        TestSupport::TempWorkDir dir;
        const auto dump = [] {
            QString out;
            Adodc a;
            a.setRecordSource("Select type || name || tbl_name || ifnull(sql, '') From sqlite_master "
                              "Where tbl_name in ('basa', 'kurwi', 'granica') Order by name");
            for (a.Refresh(); a.recordset().hasCurrent(); a.recordset().MoveNext())
                out += a.recordset().Fields(0).toString() + '\n';
            for (const Database::Table& t : Database::tables()) {
                a.setRecordSource("Select * From " + t.name + " Order by rowid");
                if (!a.Refresh())
                    return a.lastError();
                for (; a.recordset().hasCurrent(); a.recordset().MoveNext())
                    for (int c = 0; c < a.recordset().FieldCount(); ++c)
                        out += QString(a.recordset().Fields(c).typeName()) + ':' + a.recordset().Fields(c).toString() + '|';
            }
            return out;
        };
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(Database::path());
            QVERIFY(db.open() && QSqlQuery(db).exec(QStringLiteral("Drop table cena")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        const QString before = dump();
        QVERIFY(before.count('|') > 39 * 11);
        const auto r = Database::ensure();
        QVERIFY2(r.ok && !r.created, qPrintable(r.message));
        QCOMPARE(dump(), before);
        Adodc cena;
        cena.setRecordSource(QStringLiteral("cena"));
        QVERIFY2(cena.Refresh(), qPrintable(cena.lastError()));
        QCOMPARE(cena.recordset().fieldNames(), QStringList({"basa_name_kormow", "cena"}));
        QCOMPARE(cena.recordset().RecordCount(), 0);
        const QByteArray made = bytesOf(Database::path());
        QVERIFY(Database::ensure().ok);
        QCOMPARE(bytesOf(Database::path()), made);
    }

    void fileThatCannotServeIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");      // raw bytes, or empty to build with SQL
        QTest::addColumn<QStringList>("statements");  // run on a new SQLite file
        QTest::addColumn<QString>("reason");          // a word the message must hold
        QTest::newRow("plain text") << QByteArray("Это не база данных\r\n") << QStringList() << "SQLite";
        QTest::newRow("empty file") << QByteArray("") << QStringList() << "SQLite";
        QTest::newRow("a Jet database header") << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20)
                                               << QStringList() << "SQLite";
        QTest::newRow("SQLite of another program") << QByteArray()
            << QStringList{QStringLiteral("create table notes (id integer, text text)")} << "basa";
        QStringList all;
        for (const Database::Table& t : Database::tables())
            all << QStringLiteral("create table %1 (%2)").arg(t.name, t.columns.join(','));
        QTest::newRow("table granica missing") << QByteArray() << all.mid(0, 2) << "granica";
        QTest::newRow("column dawat_gr missing")
            << QByteArray() << QStringList{all[0], QString(all[1]).remove(",dawat_gr"), all[2]} << "dawat_gr";
        QTest::newRow("columns in another order")
            << QByteArray() << QStringList{QString(all[0]).replace("ob_en,protein", "protein,ob_en"), all[1], all[2]}
            << "ob_en";
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
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tst"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const QString& sql : statements)
                QVERIFY2(QSqlQuery(db).exec(sql), qPrintable(sql));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tst"));
        const QByteArray before = bytesOf(path);
        const QDateTime modified = QFileInfo(path).lastModified();
        const auto r = Database::ensure();
        QVERIFY(!r.ok && !r.created);
        QVERIFY2(r.message.contains(path) && r.message.contains(reason), qPrintable(r.message));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("treba.mdb")});
    }

    void pathThatCannotBeRead()
    {
        TestSupport::TempWorkDir dir(false);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("treba.mdb")));   // a folder in place of the file
        auto r = Database::ensure();
        QVERIFY2(!r.ok && r.message.contains(Database::path()), qPrintable(r.message));
        QVERIFY(QFileInfo(Database::path()).isDir());
        if (geteuid() == 0)
            QSKIP("root reads a file without read permission");
        TestSupport::TempWorkDir unreadable;
        QFile::setPermissions(Database::path(), QFileDevice::Permissions());
        r = Database::ensure();
        QFile::setPermissions(Database::path(), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY2(!r.ok && r.message.contains(Database::path()), qPrintable(r.message));
    }

    void lockedFileIsReportedAfterAShortWait()
    {
        TestSupport::TempWorkDir dir;
        const QByteArray before = bytesOf(Database::path());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            db.setDatabaseName(Database::path());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY2(q.exec(QStringLiteral("BEGIN EXCLUSIVE")), qPrintable(q.lastError().text()));
            QElapsedTimer t;
            t.start();
            const auto r = Database::ensure();
            QVERIFY2(!r.ok && r.message.contains(Database::path()) && r.message.contains("занята"), qPrintable(r.message));
            Adodc a;   // a data control waits as briefly and says why
            a.setRecordSource(QStringLiteral("Select * from kurwi order by 1"));
            QVERIFY(!a.Refresh() && !a.lastError().isEmpty());
            QCOMPARE(a.recordset().RecordCount(), 0);
            QVERIFY2(t.elapsed() < 3 * Database::kBusyTimeoutMs, qPrintable(QString::number(t.elapsed())));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        QCOMPARE(bytesOf(Database::path()), before);
        QVERIFY(Database::ensure().ok);
    }

    void dataControlNeverCreatesAFile()
    {
        TestSupport::TempWorkDir dir(false);
        QVERIFY(first(QStringLiteral("Select * from basa order by 1")).contains(Database::path()));
        QVERIFY(!QFileInfo::exists(Database::path()));
    }
};

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
