#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/LastDirs.h"
#include "files/TextReport.h"
#include "shell/FileFilters.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QtTest>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TextReport::Captions threeFeeds()
{
    TextReport::Captions c;
    c.Label6 = QStringLiteral("300");
    c.Label1 = QStringLiteral("Рацион для кормления");
    c.Label3 = QStringLiteral("Куры-несушки (22-45 нед.)");
    c.Text1 = QStringLiteral("100");
    c.Label2 = QStringLiteral("едениц(цы)");
    c.lbl_1 = {QStringLiteral("Кукуруза"), QStringLiteral("Шрот подсолнечный высокопротеиновый 38-40 "),
               QStringLiteral("Мел")};
    c.lblWes = {QStringLiteral("6428,57"), QStringLiteral("4285,71"), QStringLiteral("123456789,12")};
    c.lblGramm = {QStringLiteral("грамм"), QStringLiteral("грамм"), QStringLiteral("грамм")};
    c.Label10 = QStringLiteral("Общий вес рациона");
    c.lblObqiWes = QStringLiteral("123467503,4");
    c.lblProcent = {QStringLiteral("-1,2"), QStringLiteral("0"), QStringLiteral("3,5"), QStringLiteral("-10,4"),
                    QStringLiteral("0,7"), QStringLiteral("25"), QStringLiteral("-3"), QStringLiteral("100,1")};
    return c;
}

} // namespace

class tst_textreport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }
    void init()
    {
        resetRation();
        menuRules().reset();
        LastDirs::reset();
    }

    // Where the amount and the unit land: columns 48 and 56 (from 1), or a
    // new line when the text before already reaches the column.
    void feedColumns_data()
    {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("amountLine");
        QTest::addColumn<int>("unitLine");
        QTest::newRow("short name") << 8 << QStringLiteral("6428,57") << 1 << 0 << 0;
        QTest::newRow("empty name") << 0 << QStringLiteral("1") << 1 << 0 << 0;
        QTest::newRow("41 characters still fit") << 41 << QStringLiteral("12,5") << 1 << 0 << 0;
        QTest::newRow("42 characters move the amount") << 42 << QStringLiteral("12,5") << 2 << 1 << 1;
        QTest::newRow("60 characters move the amount") << 60 << QStringLiteral("12,5") << 2 << 1 << 1;
        QTest::newRow("amount of 9 characters moves the unit") << 5 << QStringLiteral("123456,78") << 2 << 0 << 1;
        QTest::newRow("amount of 8 characters keeps the unit") << 5 << QStringLiteral("12345,78") << 1 << 0 << 0;
        QTest::newRow("long name and long amount") << 45 << QStringLiteral("123456789") << 3 << 1 << 2;
    }
    void feedColumns()
    {
        QFETCH(int, nameLength);
        QFETCH(QString, amount);
        QFETCH(int, lines);
        QFETCH(int, amountLine);
        QFETCH(int, unitLine);
        const QString name(nameLength, QChar(0x0416));   // "Ж"
        const QStringList out = TextReport::feedLines(name, amount, QStringLiteral("кг"));
        QCOMPARE(out.size(), lines);
        QVERIFY(out.at(0).startsWith(QString(6, QLatin1Char(' ')) + name));
        QCOMPARE(out.at(amountLine).mid(47, amount.size()), amount);
        QCOMPARE(out.at(amountLine).left(47).trimmed(), amountLine == 0 ? name.trimmed() : QString());
        QCOMPARE(out.at(unitLine).mid(55), QStringLiteral("кг"));
        QCOMPARE(out.at(unitLine).left(55).trimmed().isEmpty(), unitLine != amountLine);
    }

    void reportOfThreeFeedsHas23Lines()
    {
        TextReport::Captions c = threeFeeds();
        c.lbl_1[1] = QStringLiteral("Шрот");
        c.lblWes[2] = QStringLiteral("12,3");
        QCOMPARE(TextReport::lines(c).size(), 23);
    }

    void writtenReportMatchesFixture()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        QVERIFY(TextFile::writeLines(path, TextReport::lines(threeFeeds())));
        QCOMPARE(readBytes(path), readBytes(QFINDTESTDATA("fixtures/report_three_feeds.txt")));
    }

    // Through the menu action, with a report sheet on screen.
    void writeReportFromTheSheet_data()
    {
        QTest::addColumn<QString>("answer");      // "" cancels; "<dir>" is replaced
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("message");     // part of the message, or "" for none
        QTest::newRow("written, extension added") << QStringLiteral("<dir>/отчет") << QStringLiteral("Бройлеры") << true << QString();
        QTest::newRow("cancelled") << QString() << QStringLiteral("Бройлеры") << false << QString();
        QTest::newRow("folder missing") << QStringLiteral("<dir>/нет/отчет.txt") << QStringLiteral("Бройлеры") << false
                                        << QStringLiteral("отчет.txt");
        QTest::newRow("category not in Windows-1251") << QStringLiteral("<dir>/отчет.txt") << QStringLiteral("Куры ✓")
                                                      << false << QStringLiteral("Windows-1251");
    }
    void writeReportFromTheSheet()
    {
        QFETCH(QString, answer);
        QFETCH(QString, category);
        QFETCH(bool, written);
        QFETCH(QString, message);
        TestSupport::FakePlatform fake;
        QTemporaryDir dir;
        answer.replace(QStringLiteral("<dir>"), dir.path());
        ration().iMaxKorm = 0;
        ration().sKorm[0] = QStringLiteral("Кукуруза");
        ration().sKurwi = category;
        ration().bRacion = true;
        Navigation::showOtshet();
        QWidget* sheet = Navigation::otshet();
        QVERIFY(sheet);
        fake.saveAnswers.enqueue(answer);
        Navigation::writeReport();

        const QString path = dir.filePath(QStringLiteral("отчет.txt"));
        QCOMPARE(QFileInfo::exists(path), written);
        if (message.isEmpty()) {
            QVERIFY(fake.messages.isEmpty());
        } else {
            QCOMPARE(fake.messages.size(), 1);
            QVERIFY2(fake.messages.at(0).contains(message), qPrintable(fake.messages.at(0)));
        }
        if (written) {
            QCOMPARE(fake.saveFilters, QStringList{FileFilters::txt});
            const QStringList lines = *TextFile::readLines(path);
            QCOMPARE(lines.size(), 15 + 2 + 2);
            QCOMPARE(lines.at(11), QStringLiteral("      Рацион для кормления  Бройлеры в колличестве 1 едениц(цы)"));
            QVERIFY(lines.at(15).startsWith(QStringLiteral("      Кукуруза ")));
        }
        QVERIFY(menuRules().isEnabled(MenuItem::SaveRacion));
        sheet->close();
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveRacion));
    }

    void viewReportShowsTheChosenFile()
    {
        TestSupport::FakePlatform fake;
        const QString name = QStringLiteral("/tmp/мой отчет с пробелами.txt");
        fake.openAnswers << QString() << name;
        Navigation::viewReport();   // cancelled: nothing to show
        QVERIFY(fake.viewedFiles.isEmpty());
        Navigation::viewReport();
        QCOMPARE(fake.viewedFiles, QStringList{name});
        QCOMPARE(fake.openFilters, QStringList({FileFilters::txt, FileFilters::txt}));
        QVERIFY(fake.messages.isEmpty());
        fake.viewResult = false;   // the viewer could not show it: the user hears of it
        fake.openAnswers << name;
        Navigation::viewReport();
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(fake.messages.at(0).contains(name));
    }
};

QTEST_MAIN(tst_textreport)
#include "tst_textreport.moc"
