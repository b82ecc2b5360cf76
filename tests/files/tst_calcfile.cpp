#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/FileFilters.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The two-feed calculation of the fixture, as the ration state holds it
// after the worksheet has loaded the rows.
CalcFile::Contents twoFeeds()
{
    CalcFile::Contents c;
    c.iMaxKorm = 1;
    c.sKurwi = QStringLiteral("Куры-несушки (22-45 нед.)");
    c.sKorm[0] = QStringLiteral("Кукуруза");
    c.sKorm[1] = QStringLiteral("Шрот подсолнечный");
    c.DataKorm[0] = {QStringLiteral("Кукуруза"), 335.0, 8.5, 0.02, 0.28, 0.02, 0.1, 0.0, 0.1, qlonglong(70),
                     QStringLiteral("Зерновые")};
    c.DataKorm[1] = {QStringLiteral("Шрот подсолнечный"), 12345678.5, QVariant(), 0.4, 1.2, 0.00005, 0.0, -0.25, 1.0,
                     25.0, QStringLiteral("Шроты и жмыхи")};
    c.NormaKur = {QStringLiteral("Куры-несушки (22-45 нед.)"), 270.0, 16.5, 3.5, 0.7, 0.15, 1.0, 0.2, 0.5, 120.0};
    c.weights = {QStringLiteral("59,5"), QStringLiteral("40,5")};
    return c;
}

// What opening a file may change, to see that a refused file changed nothing.
struct Snapshot {
    std::int16_t iMaxKorm;
    QString sKurwi;
    std::array<QString, 10> sKorm;
    QList<QVariant> data;
    bool bOpenKalk, bNazad;

    static Snapshot take()
    {
        const RationState& r = ration();
        Snapshot s{r.iMaxKorm, r.sKurwi, r.sKorm, {}, r.bOpenKalk, r.bNazad};
        for (const auto& row : r.DataKorm)
            for (const auto& v : row)
                s.data << v;
        for (const auto& v : r.NormaKur)
            s.data << v;
        return s;
    }
    bool operator==(const Snapshot&) const = default;
};

} // namespace

class tst_calcfile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }
    void init()
    {
        resetRation();
        menuRules().reset();
        LastDirs::reset();
    }

    void lineCount_data()
    {
        QTest::addColumn<int>("feeds");
        QTest::addColumn<int>("lines");
        QTest::newRow("one feed") << 1 << 30;
        QTest::newRow("three feeds") << 3 << 66;
        QTest::newRow("ten feeds") << 10 << 192;
    }
    void lineCount()
    {
        QFETCH(int, feeds);
        QFETCH(int, lines);
        RationState state;
        state.iMaxKorm = std::int16_t(feeds - 1);
        state.sKurwi = QStringLiteral("Бройлеры");
        for (int f = 0; f < feeds; ++f)
            state.sKorm[f] = QStringLiteral("Корм %1").arg(f);
        const auto out = CalcFile::toLines(CalcFile::fromRation(state, {}));
        QVERIFY(out);
        QCOMPARE(out->size(), lines);
        const auto back = CalcFile::fromLines(*out);
        QVERIFY(back);
        QCOMPARE(back->feedCount(), feeds);
    }

    void savedFileMatchesFixture()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.kalk"));
        CalcFile::Error error;
        const auto lines = CalcFile::toLines(twoFeeds(), &error);
        QVERIFY2(lines, qPrintable(error.message));
        QVERIFY(TextFile::writeLines(path, *lines));
        QCOMPARE(readBytes(path), readBytes(QFINDTESTDATA("fixtures/calc_two_feeds.kalk")));
    }

    void fixtureReadsBackAsWritten()
    {
        const auto lines = TextFile::readLines(QFINDTESTDATA("fixtures/calc_two_feeds.kalk"));
        QVERIFY(lines);
        CalcFile::Error error;
        const auto c = CalcFile::fromLines(*lines, &error);
        QVERIFY2(c, qPrintable(error.message));
        QCOMPARE(c->iMaxKorm, std::int16_t(1));
        QCOMPARE(c->sKorm[1], QStringLiteral("Шрот подсолнечный"));
        QVERIFY(c->DataKorm[1][2].isNull());
        QCOMPARE(c->DataKorm[1][1].toDouble(), 12345678.5);
        QCOMPARE(c->DataKorm[1][10].toString(), QStringLiteral("Шроты и жмыхи"));
        QCOMPARE(c->NormaKur[9].toDouble(), 120.0);
        QCOMPARE(c->weights, QStringList({QStringLiteral("59,5"), QStringLiteral("40,5")}));
        QCOMPARE(CalcFile::toLines(*c), lines);
    }

    void sixNameLinesLastOneCounts()
    {
        auto lines = *CalcFile::toLines(twoFeeds());
        lines[2] = QStringLiteral("\"что-то другое\"");
        const auto c = CalcFile::fromLines(lines);
        QVERIFY(c);
        QCOMPARE(c->sKorm[0], QStringLiteral("Кукуруза"));
    }

    void numbersUseAPointWhateverTheLocale_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("fraction below one") << 0.15 << QStringLiteral("0.15");
        QTest::newRow("whole") << 70.0 << QStringLiteral("70");
        QTest::newRow("tiny, no exponent") << 0.00005 << QStringLiteral("0.00005");
        QTest::newRow("large, no exponent") << 1.5e17 << QStringLiteral("150000000000000000");
        QTest::newRow("negative") << -0.25 << QStringLiteral("-0.25");
        QTest::newRow("fifteen significant digits") << 1.0 / 3.0 << QStringLiteral("0.333333333333333");
    }
    void numbersUseAPointWhateverTheLocale()
    {
        QFETCH(double, value);
        QFETCH(QString, line);
        QCOMPARE(CalcFile::valueLine(value), line);
    }

    void unstorableTextIsRefused_data()
    {
        QTest::addColumn<int>("where");   // 0 category, 1 feed name, 2 feed's group, 3 weight
        QTest::addColumn<QString>("text");
        QTest::newRow("double quote in the category") << 0 << QStringLiteral("Куры \"Леггорн\"");
        QTest::newRow("line break in a feed name") << 1 << QStringLiteral("Мел\nкормовой");
        QTest::newRow("carriage return in a group") << 2 << QStringLiteral("Мин\rеральные");
        QTest::newRow("character outside Windows-1251 in a weight") << 3 << QStringLiteral("12\u00BD");
        QTest::newRow("Chinese in a feed name") << 1 << QStringLiteral("玉米");
    }
    void unstorableTextIsRefused()
    {
        QFETCH(int, where);
        QFETCH(QString, text);
        CalcFile::Contents c = twoFeeds();
        switch (where) {
        case 0: c.sKurwi = text; break;
        case 1: c.sKorm[1] = text; break;
        case 2: c.DataKorm[0][10] = text; break;
        default: c.weights[1] = text; break;
        }
        CalcFile::Error error;
        QVERIFY(!CalcFile::toLines(c, &error));
        QVERIFY2(error.message.contains(text), qPrintable(error.message));
        QVERIFY(error.message.startsWith(QStringLiteral("Расчет нельзя сохранить")));
    }

    void weightWithTheOtherSeparator_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("point becomes the comma") << QStringLiteral("12.5") << QStringLiteral("12,5");
        QTest::newRow("comma stays") << QStringLiteral("12,5") << QStringLiteral("12,5");
        QTest::newRow("trailing zero kept") << QStringLiteral("12.50") << QStringLiteral("12,50");
        QTest::newRow("whole number") << QStringLiteral("40") << QStringLiteral("40");
        QTest::newRow("two points stay as typed") << QStringLiteral("1.2.3") << QStringLiteral("1.2.3");
        QTest::newRow("letters stay as typed") << QStringLiteral("abc") << QStringLiteral("abc");
    }
    void weightWithTheOtherSeparator()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        auto lines = *CalcFile::toLines(twoFeeds());
        lines.last() = QLatin1Char('"') + stored + QLatin1Char('"');
        const auto c = CalcFile::fromLines(lines);
        QVERIFY(c);
        QCOMPARE(c->weights.at(1), shown);
    }

    void malformedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        const QStringList good = *CalcFile::toLines(twoFeeds());
        auto file = [](QStringList lines) { return *TextFile::encodeLines(lines); };
        auto with = [&](int index, const QString& text) {
            QStringList l = good;
            l[index] = text;
            return file(l);
        };
        QTest::newRow("empty file") << QByteArray() << 1;
        QTest::newRow("first line not a number") << with(0, QStringLiteral("\"два\"")) << 1;
        QTest::newRow("first line 10") << with(0, QStringLiteral("10")) << 1;
        QTest::newRow("first line negative") << with(0, QStringLiteral("-1")) << 1;
        QTest::newRow("first line not whole") << with(0, QStringLiteral("1.5")) << 1;
        QTest::newRow("first line promises three feeds") << with(0, QStringLiteral("2")) << 49;
        QTest::newRow("ends before the weights") << file(good.mid(0, 46)) << 47;
        QTest::newRow("missing closing quote") << with(1, QStringLiteral("\"Куры")) << 2;
        QTest::newRow("feed name is a number") << with(5, QStringLiteral("12")) << 6;
        QTest::newRow("empty feed name") << with(7, QStringLiteral("\"\"")) << 8;
        QTest::newRow("text after the closing quote") << with(30, QStringLiteral("\"Зерновые\" x")) << 31;
        QTest::newRow("weight missing") << with(47, QStringLiteral("#NULL#")) << 48;
        QTest::newRow("a line too many") << file(good + QStringList{QStringLiteral("\"30\"")}) << 49;
    }
    void malformedFileChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        const QString path = dir.filePath(QStringLiteral("bad.kalk"));
        writeBytes(path, bytes);

        RationState& r = ration();
        r.iMaxKorm = 2;
        r.sKurwi = QStringLiteral("Бройлеры");
        r.sKorm = {QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В")};
        r.DataKorm[0][1] = 300.0;
        r.NormaKur[9] = 185.0;
        r.bNazad = true;
        const Snapshot before = Snapshot::take();

        fake.openAnswers.enqueue(path);
        Navigation::openCalculation();

        QVERIFY(Snapshot::take() == before);
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages.at(0).contains(QStringLiteral("Строка %1:").arg(line)), qPrintable(fake.messages.at(0)));
        QVERIFY(fake.messages.at(0).contains(QStringLiteral("bad.kalk")));
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!Navigation::racion());
    }

    void cancelledOpenDoesNothing()
    {
        TestSupport::FakePlatform fake;
        const Snapshot before = Snapshot::take();
        Navigation::openCalculation();
        QVERIFY(Snapshot::take() == before);
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(fake.openFilters, QStringList{FileFilters::kalk});
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
    }

    void dialogsStartInTheFolderLastUsed()
    {
        TestSupport::FakePlatform fake;
        QTemporaryDir dir;
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        fake.openAnswers << dir.filePath(QStringLiteral("missing.kalk")) << QString();
        Navigation::openCalculation();   // the file is missing: a message, but the folder is kept
        Navigation::openCalculation();
        Navigation::viewReport();         // reports have a folder of their own
        QCOMPARE(fake.initialDirs.size(), 3);
        if (!docs.isEmpty())
            QCOMPARE(fake.initialDirs.at(0), docs);
        QCOMPARE(fake.initialDirs.at(1), dir.path());
        QCOMPARE(fake.initialDirs.at(2), fake.initialDirs.at(0));
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY(fake.messages.at(0).contains(QStringLiteral("missing.kalk")));
    }
};

QTEST_MAIN(tst_calcfile)
#include "tst_calcfile.moc"
