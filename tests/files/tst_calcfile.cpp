#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QStandardPaths>
#include <QtTest>
#include <limits>

using namespace Qt::StringLiterals;

// The calculation file's lines, and what opening a bad one leaves alone. The
// table of bad input (tst_bad_input) walks the refusals through the screens;
// here are the cases of the format it does not.
namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The two-feed calculation of the fixture: a null value, a huge and a tiny
// number, a negative one, weights with the comma.
CalcFile::Contents twoFeeds()
{
    CalcFile::Contents c;
    c.iMaxKorm = 1;
    c.sKurwi = u"Куры-несушки (22-45 нед.)"_s;
    c.sKorm = {u"Кукуруза"_s, u"Шрот подсолнечный"_s};
    c.DataKorm[0] = {c.sKorm[0], 335.0, 8.5, 0.02, 0.28, 0.02, 0.1, 0.0, 0.1, qlonglong(70), u"Зерновые"_s};
    c.DataKorm[1] = {c.sKorm[1], 12345678.5, QVariant(), 0.4, 1.2, 0.00005, 0.0, -0.25, 1.0, 25.0, u"Шроты и жмыхи"_s};
    c.NormaKur = {c.sKurwi, 270.0, 16.5, 3.5, 0.7, 0.15, 1.0, 0.2, 0.5, 120.0};
    c.weights = QStringList{u"59,5"_s, u"40,5"_s};
    return c;
}

// Everything opening a file may change, to see that a refused file changed nothing.
QVariantList snapshot()
{
    const RationState& r = ration();
    QVariantList s{r.iMaxKorm, r.sKurwi, r.bOpenKalk, r.bNazad};
    for (int i = 0; i < RationState::kMaxFeeds; ++i)
        s << r.sKorm[i] << QVariantList(r.DataKorm[i].begin(), r.DataKorm[i].end());
    return s << QVariantList(r.NormaKur.begin(), r.NormaKur.end());
}

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
        QTest::newRow("ten feeds") << 10 << 192;
    }
    void lineCount()
    {
        QFETCH(int, feeds);
        QFETCH(int, lines);
        RationState state;
        state.iMaxKorm = std::int16_t(feeds - 1);
        state.sKurwi = u"Бройлеры"_s;
        for (int f = 0; f < feeds; ++f)
            state.sKorm[f] = u"Корм %1"_s.arg(f);
        const auto out = CalcFile::toLines(CalcFile::fromRation(state, {}));
        QCOMPARE(out->size(), lines);
        QCOMPARE(CalcFile::fromLines(*out)->feedCount(), feeds);
    }

    // Byte for byte the hand-written fixture, and read back to the same lines.
    void fixture()
    {
        QTemporaryDir dir;
        const QString fixture = QFINDTESTDATA("fixtures/calc_two_feeds.kalk");
        QVERIFY(TextFile::writeLines(dir.filePath(u"out.kalk"_s), *CalcFile::toLines(twoFeeds())));
        QCOMPARE(readBytes(dir.filePath(u"out.kalk"_s)), readBytes(fixture));
        const auto lines = TextFile::readLines(fixture);
        const auto c = CalcFile::fromLines(*lines);
        QVERIFY(c);
        QVERIFY(c->DataKorm[1][2].isNull());
        QCOMPARE(c->DataKorm[1][1].toDouble(), 12345678.5);
        QCOMPARE(c->weights, twoFeeds().weights);
        QCOMPARE(CalcFile::toLines(*c), lines);
    }

    // Each name is stored six times; the last copy is the one read.
    void lastOfTheSixNameLinesCounts()
    {
        auto lines = *CalcFile::toLines(twoFeeds());
        lines[2] = u"\"что-то другое\""_s;
        QCOMPARE(CalcFile::fromLines(lines)->sKorm[0], u"Кукуруза"_s);
    }

    // The fixture has small, negative and whole numbers; here the long ones.
    void numbersUseAPointWhateverTheLocale()
    {
        QCOMPARE(CalcFile::valueLine(1.5e17), u"150000000000000000"_s);   // no exponent
        QCOMPARE(CalcFile::valueLine(1.0 / 3.0), u"0.333333333333333"_s);   // fifteen significant digits
        const double largest = std::numeric_limits<double>::max();   // fifteen digits would round it up beyond
        QCOMPARE(CalcFile::valueLine(largest).toDouble(), largest);
    }

    // The names are refused through the screens; a feed's group and a weight here.
    void unstorableTextIsRefused()
    {
        for (const bool inGroup : {true, false}) {
            CalcFile::Contents c = twoFeeds();
            const QString text = inGroup ? u"Мин\rеральные"_s : u"12\u00BD"_s;
            if (inGroup)
                c.DataKorm[0][10] = text;
            else
                c.weights[1] = text;
            CalcFile::Error error;
            QVERIFY(!CalcFile::toLines(c, &error));
            QVERIFY2(error.message.startsWith(u"Расчет нельзя сохранить"_s) && error.message.contains(text),
                     qPrintable(error.message));
        }
    }

    // Only a decimal point is made the comma; any other text stays as stored.
    void weightWithTheOtherSeparator()
    {
        for (const auto& [stored, shown] : {std::pair{u"12.50"_s, u"12,50"_s}, {u"12,5"_s, u"12,5"_s},
                                            {u"1.2.3"_s, u"1.2.3"_s}, {u"abc"_s, u"abc"_s}}) {
            auto lines = *CalcFile::toLines(twoFeeds());
            lines.last() = '"' + stored + '"';
            QCOMPARE(CalcFile::fromLines(lines)->weights.at(1), shown);
        }
    }

    // The whole ration state untouched, and the message names the file and the line.
    void malformedFileChangesNothing_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("line");
        const QStringList good = *CalcFile::toLines(twoFeeds());
        auto with = [&](int index, const QString& text) {
            QStringList l = good;
            l[index] = text;
            return l;
        };
        QTest::newRow("empty file") << QStringList() << 1;
        QTest::newRow("first line not a number") << with(0, u"\"два\""_s) << 1;
        QTest::newRow("first line below -1") << with(0, u"-2"_s) << 1;
        QTest::newRow("first line not whole") << with(0, u"1.5"_s) << 1;
        QTest::newRow("first line promises three feeds") << with(0, u"2"_s) << 49;
        QTest::newRow("missing closing quote") << with(1, u"\"Куры"_s) << 2;
        QTest::newRow("feed name is a number") << with(5, u"12"_s) << 6;
    }
    void malformedFileChangesNothing()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, line);
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        const QString path = dir.filePath(u"bad.kalk"_s);
        QVERIFY(TextFile::writeLines(path, lines));
        RationState& r = ration();
        r.iMaxKorm = 2;
        r.sKorm = {u"А"_s, u"Б"_s, u"В"_s};
        r.DataKorm[0][1] = 300.0;
        r.NormaKur[9] = 185.0;
        r.bNazad = true;
        const QVariantList before = snapshot();
        fake.openAnswers.enqueue(path);
        Navigation::openCalculation();
        QCOMPARE(snapshot(), before);
        QCOMPARE(fake.messages.size(), 1);
        QVERIFY2(fake.messages[0].contains(path) && fake.messages[0].contains(u"Строка %1:"_s.arg(line)),
                 qPrintable(fake.messages[0]));
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!Navigation::racion());
    }

    // Each kind of file starts in the folder last used for it, at first in the
    // documents, or at home where there is no documents folder.
    void dialogsStartInTheFolderLastUsed()
    {
        TestSupport::FakePlatform fake;
        QTemporaryDir dir, home;
        TestSupport::HomeAt at(home.path());
        fake.openAnswers << dir.filePath(u"missing.kalk"_s);
        Navigation::openCalculation();   // the file is missing: a message, but the folder is kept
        Navigation::openCalculation();
        Navigation::viewReport();
        QVERIFY(QDir(home.path()).mkdir(u"Documents"_s));
        Navigation::viewReport();
        QCOMPARE(fake.initialDirs, QStringList({home.path(), dir.path(), home.path(), home.filePath(u"Documents"_s)}));
        QCOMPARE(fake.messages.size(), 1);
    }
};

QTEST_MAIN(tst_calcfile)
#include "tst_calcfile.moc"
