#include "data/TextFile.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Windows-1251 text files with CR LF: what is written reads back the same,
// what cannot be written is refused, and a failed write never harms the file
// that was there (a full disk: tst_bad_input).
class tst_textfile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    // Writes `lines` over a file holding one old line; the old bytes must
    // survive a failed write. Returns the error, empty when written.
    QString writeOver(const QStringList& lines)
    {
        const QString path = m_dir.filePath(QStringLiteral("old.txt"));
        TextFile::writeLines(path, {QStringLiteral("прежний")});
        const QByteArray before = bytesOf(path);
        const QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
        TextFile::Error err;
        if (TextFile::writeLines(path, lines, &err))
            return QString();
        if (bytesOf(path) != before || QDir(m_dir.path()).entryList(QDir::Files) != files)
            return QStringLiteral("the old file was harmed");
        return err.message.contains(path) ? err.message : QStringLiteral("no file name in: ") + err.message;
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void bytesAndLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("written");   // the writer gives these bytes; else the reader only
        QTest::newRow("cyrillic with CR LF after every line") << QStringList{"Кукуруза", "12,5"}
            << QByteArray("\xCA\xF3\xEA\xF3\xF0\xF3\xE7\xE0\r\n" "12,5\r\n") << true;
        QTest::newRow("yo, euro and numero sign") << QStringList{"Ёё €№"} << QByteArray("\xA8\xB8 \x88\xB9\r\n") << true;
        QTest::newRow("empty lines kept") << QStringList{"", ""} << QByteArray("\r\n\r\n") << true;
        QTest::newRow("no lines, empty file") << QStringList{} << QByteArray() << true;
        QTest::newRow("LF alone read") << QStringList{"Гусята", "3"} << QByteArray("\xC3\xF3\xF1\xFF\xF2\xE0\n3\n") << false;
        QTest::newRow("last line without an ending") << QStringList{"3", "4"} << QByteArray("3\r\n4") << false;
    }
    void bytesAndLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, written);
        const QString path = m_dir.filePath(QStringLiteral("r.txt"));
        QFile f(path);
        if (written)
            QVERIFY(TextFile::writeLines(path, lines));
        else
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush());
        QCOMPARE(bytesOf(path), bytes);
        QCOMPARE(TextFile::readLines(path).value_or(QStringList{"<refused>"}), lines);
    }

    void everyByteSurvivesReadAndWrite()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        QCOMPARE(TextFile::encode1251(TextFile::decode1251(all)).value_or(QByteArray()), all);
    }

    void characterOutside1251IsRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("arrow") << QStringLiteral("a→b") << QStringLiteral("→");
        QTest::newRow("emoji, two UTF-16 units") << QStringLiteral("корм 🐔") << QStringLiteral("🐔");
        QTest::newRow("latin letter with accent") << QStringLiteral("é") << QStringLiteral("é");
    }
    void characterOutside1251IsRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        const QString error = writeOver({QStringLiteral("первая"), line});
        QVERIFY2(error.contains(shown) && error.contains(QStringLiteral("(строка 2)")), qPrintable(error));
    }

    // A long text is quoted in a message by its first 80 characters or
    // fewer, never cut inside a character the user sees as one.
    void excerptCutsBetweenCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        const QString a79 = QString(79, u'a');
        QTest::newRow("80 characters stay whole") << a79 + u'b' << a79 + u'b';
        QTest::newRow("cut after 80") << QString(300, u'ж') << QString(80, u'ж') + u'…';
        QTest::newRow("pair of UTF-16 units across the cut") << a79 + u"🐔🐔"_s << a79 + u'…';
        QTest::newRow("combining mark after the cut") << a79 + u"е\u0301е"_s << a79 + u'…';
    }
    void excerptCutsBetweenCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(TextFile::excerpt(text), quoted);
    }

    void pathThatCannotServe()
    {
        const QString folder = m_dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
        TextFile::Error err;
        QVERIFY(!TextFile::writeLines(folder, {QStringLiteral("x")}, &err) && err.message.contains(folder));
        QVERIFY(QFileInfo(folder).isDir());
        const QString missing = QStringLiteral("/nonexistent-dir/нет.txt");
        QVERIFY(!TextFile::readLines(missing, &err).has_value() && err.message.contains(missing));
    }
};

QTEST_GUILESS_MAIN(tst_textfile)
#include "tst_textfile.moc"
