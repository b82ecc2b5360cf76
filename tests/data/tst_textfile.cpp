#include "data/TextFile.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// Windows-1251 text files with CR LF: what is written reads back the same,
// what cannot be written is refused, and a failed write never harms the file
// that was there.
class tst_textfile : public QObject {
    Q_OBJECT

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cyrillic with CR LF after every line")
            << QStringList{QStringLiteral("Кукуруза"), QStringLiteral("12,5")}
            << QByteArray("\xCA\xF3\xEA\xF3\xF0\xF3\xE7\xE0\r\n" "12,5\r\n");
        QTest::newRow("yo, euro and numero sign")
            << QStringList{QStringLiteral("Ёё €№")} << QByteArray("\xA8\xB8 \x88\xB9\r\n");
        QTest::newRow("empty lines kept") << QStringList{QString(), QString()} << QByteArray("\r\n\r\n");
        QTest::newRow("no lines, empty file") << QStringList{} << QByteArray();
    }
    void roundTrip()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.txt"));
        TextFile::Error err;
        QVERIFY2(TextFile::writeLines(path, lines, &err), qPrintable(err.message));
        QCOMPARE(bytesOf(path), bytes);
        const auto back = TextFile::readLines(path, &err);
        QVERIFY(back.has_value());
        QCOMPARE(*back, lines);
    }

    void readerTakesEitherLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList two{QStringLiteral("Гусята"), QStringLiteral("3")};
        QTest::newRow("LF alone") << QByteArray("\xC3\xF3\xF1\xFF\xF2\xE0\n3\n") << two;
        QTest::newRow("mixed") << QByteArray("\xC3\xF3\xF1\xFF\xF2\xE0\r\n3\n") << two;
        QTest::newRow("last line without an ending") << QByteArray("\xC3\xF3\xF1\xFF\xF2\xE0\r\n3") << two;
    }
    void readerTakesEitherLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(TextFile::decodeLines(bytes), lines);
    }

    void everyByteSurvivesReadAndWrite()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        const auto back = TextFile::encode1251(TextFile::decode1251(all));
        QVERIFY(back.has_value());
        QCOMPARE(*back, all);
    }

    void characterOutside1251IsRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("arrow") << QStringLiteral("a→b") << QStringLiteral("→");
        QTest::newRow("omega") << QStringLiteral("Ω") << QStringLiteral("Ω");
        QTest::newRow("emoji, two UTF-16 units") << QStringLiteral("корм 🐔") << QStringLiteral("🐔");
        QTest::newRow("latin letter with accent") << QStringLiteral("é") << QStringLiteral("é");
    }
    void characterOutside1251IsRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("прежний")}));
        const QByteArray before = bytesOf(path);

        TextFile::Error err;
        QVERIFY(!TextFile::writeLines(path, {QStringLiteral("первая"), line}, &err));
        QCOMPARE(err.line, 2);
        QVERIFY2(err.message.contains(shown), qPrintable(err.message));
        QVERIFY2(err.message.contains(path), qPrintable(err.message));
        QCOMPARE(bytesOf(path), before);
    }

    void targetIsADirectory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        TextFile::Error err;
        QVERIFY(!TextFile::writeLines(path, {QStringLiteral("x")}, &err));
        QVERIFY2(err.message.contains(path), qPrintable(err.message));
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(!TextFile::readLines(path, &err).has_value());
    }

    void failedWriteLeavesOldFile()
    {
        // The disk fills up half-way: a file-size limit makes the write fail
        // even for root, who passes every permission check.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("прежний текст")}));
        const QByteArray before = bytesOf(path);

        QStringList big;
        for (int i = 0; i < 2000; ++i)
            big << QStringLiteral("строка номер %1").arg(i);
        rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        TextFile::Error err;
        const bool written = TextFile::writeLines(path, big, &err);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!written);
        QVERIFY2(err.message.contains(path), qPrintable(err.message));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.txt")});
    }

    void readOnlyDirectory()
    {
        if (geteuid() == 0)
            QSKIP("root writes into a read-only directory; the size-limit case covers the failure");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.txt"));
        QVERIFY(TextFile::writeLines(path, {QStringLiteral("прежний")}));
        const QByteArray before = bytesOf(path);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        TextFile::Error err;
        const bool written = TextFile::writeLines(path, {QStringLiteral("новый")}, &err);
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!written);
        QCOMPARE(bytesOf(path), before);
    }

    void missingFileNamedInMessage()
    {
        TextFile::Error err;
        const QString path = QStringLiteral("/nonexistent-dir/нет.txt");
        QVERIFY(!TextFile::readLines(path, &err).has_value());
        QVERIFY(err.message.contains(path));
    }
};

QTEST_GUILESS_MAIN(tst_textfile)
#include "tst_textfile.moc"
