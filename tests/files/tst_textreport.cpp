#include "data/TextFile.h"
#include "files/TextReport.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The text report's layout. Its refusals (cancel, unwritable folder, a
// character outside Windows-1251) are rows of the bad-input table, and the
// report written from the real sheet is checked by the end-to-end test.
namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TextReport::Captions threeFeeds()
{
    TextReport::Captions c;
    c.Label6 = u"300"_s;
    c.Label1 = u"Рацион для кормления"_s;
    c.Label3 = u"Куры-несушки (22-45 нед.)"_s;
    c.Text1 = u"100"_s;
    c.Label2 = u"едениц(цы)"_s;
    c.lbl_1 = QStringList{u"Кукуруза"_s, u"Шрот подсолнечный высокопротеиновый 38-40 "_s, u"Мел"_s};
    c.lblWes = QStringList{u"6428,57"_s, u"4285,71"_s, u"123456789,12"_s};
    c.lblGramm = QStringList(3, u"грамм"_s);
    c.Label10 = u"Общий вес рациона"_s;
    c.lblObqiWes = u"123467503,4"_s;
    c.lblProcent = {u"-1,2"_s, u"0"_s, u"3,5"_s, u"-10,4"_s, u"0,7"_s, u"25"_s, u"-3"_s, u"100,1"_s};
    return c;
}

} // namespace

class tst_textreport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    // Where the amount and the unit land: columns 48 and 56 (from 1), or a
    // new line when the text before already reaches the column.
    void feedColumns_data()
    {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("amountLine");
        QTest::addColumn<int>("unitLine");
        QTest::newRow("short name") << 8 << u"6428,57"_s << 1 << 0 << 0;
        QTest::newRow("41 characters still fit") << 41 << u"12,5"_s << 1 << 0 << 0;
        QTest::newRow("42 characters move the amount") << 42 << u"12,5"_s << 2 << 1 << 1;
        QTest::newRow("60 characters move the amount") << 60 << u"12,5"_s << 2 << 1 << 1;
        QTest::newRow("amount of 9 characters moves the unit") << 5 << u"123456,78"_s << 2 << 0 << 1;
        QTest::newRow("amount of 8 characters keeps the unit") << 5 << u"12345,78"_s << 1 << 0 << 0;
        QTest::newRow("long name and long amount") << 45 << u"123456789"_s << 3 << 1 << 2;
    }
    void feedColumns()
    {
        QFETCH(int, nameLength);
        QFETCH(QString, amount);
        QFETCH(int, lines);
        QFETCH(int, amountLine);
        QFETCH(int, unitLine);
        const QString name(nameLength, u'Ж');
        const QStringList out = TextReport::feedLines(name, amount, u"кг"_s);
        QCOMPARE(out.size(), lines);
        QVERIFY(out.at(0).startsWith(QString(6, ' ') + name));
        QCOMPARE(out.at(amountLine).mid(47, amount.size()), amount);
        QCOMPARE(out.at(amountLine).left(47).trimmed(), amountLine == 0 ? name : QString());
        QCOMPARE(out.at(unitLine).mid(55), u"кг"_s);
        QCOMPARE(out.at(unitLine).left(55).trimmed().isEmpty(), unitLine != amountLine);
    }

    // Byte for byte the hand-written fixture: a name of 42 characters, an
    // amount that pushes its unit down, deviations of every sign.
    void writtenReportMatchesFixture()
    {
        QTemporaryDir dir;
        QVERIFY(TextFile::writeLines(dir.filePath(u"out.txt"_s), TextReport::lines(threeFeeds())));
        QCOMPARE(readBytes(dir.filePath(u"out.txt"_s)), readBytes(QFINDTESTDATA("fixtures/report_three_feeds.txt")));
    }

    // On paper no unit runs into its number (the file writes "12345,67грамм")
    // or drops to a line of its own: the units stand in one column after the
    // longest amount. Every other line is the file's.
    void printedUnitsStandApart()
    {
        TextReport::Captions c = threeFeeds();
        c.lbl_1[1] = u"Шрот соевый"_s;
        c.lblWes = QStringList{u"6428,57"_s, u"12345,67"_s, u"0,5"_s};
        const QStringList file = TextReport::lines(c);
        QStringList paper = TextReport::printLines(c);
        QCOMPARE(file.at(17), u"      Шрот соевый"_s.leftJustified(47) + u"12345,67грамм"_s);
        QCOMPARE(paper.size(), file.size());
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(paper.at(15 + 2 * i),
                     (QString(6, u' ') + c.lbl_1.at(i)).leftJustified(47) + c.lblWes.at(i).leftJustified(9) + u"грамм"_s);
            paper[15 + 2 * i] = file.at(15 + 2 * i);
        }
        QCOMPARE(paper, file);
    }
};

QTEST_GUILESS_MAIN(tst_textreport)
#include "tst_textreport.moc"
