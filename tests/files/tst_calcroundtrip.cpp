#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

using namespace Qt::StringLiterals;

// Saving a calculation from the real worksheet and opening it again.
namespace {

// The weights, the totals and the deviations the worksheet shows.
QStringList shown(QWidget* sheet, int feeds)
{
    QStringList out;
    for (int i = 0; i < feeds; ++i)
        out << sheet->findChild<QLineEdit*>(u"txtWes(%1)"_s.arg(i))->text();
    for (int k = 0; k < 8; ++k)
        out << sheet->findChild<QLabel*>(u"lblSum(%1)"_s.arg(k))->text()
            << sheet->findChild<QLabel*>(u"lblProcent(%1)"_s.arg(k))->text();
    return out;
}

void closeWorksheet()   // a top-level window: the tests have no frame
{
    QPointer<QWidget> sheet = Navigation::racion();
    if (sheet)
        sheet->close();
    QTRY_VERIFY(sheet.isNull());
}

} // namespace

class tst_calcroundtrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }
    void init()
    {
        resetRation();
        menuRules().reset();
        LastDirs::reset();
    }
    void cleanup() { closeWorksheet(); }

    void saveThenOpenGivesTheSameWorksheet()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        RationState& r = ration();
        r.sKurwi = u"Бройлеры: старт (1-3 нед.)"_s;
        r.iMaxKorm = 2;
        r.sKorm = {u"Кукуруза"_s, u"Шрот соевый"_s, u"Пшеница"_s};
        QWidget* sheet = Navigation::showRacion();
        const QStringList weights{u"50,5"_s, u"30"_s, u"19,5"_s};
        for (int i = 0; i < 3; ++i)
            sheet->findChild<QLineEdit*>(u"txtWes(%1)"_s.arg(i))->setText(weights[i]);
        const QStringList before = shown(sheet, 3);
        QCOMPARE(before.mid(0, 3), weights);

        const QString path = dir.filePath(u"расчет.kalk"_s);
        fake.saveAnswers << path;
        Navigation::saveCalculation();
        QCOMPARE(TextFile::readLines(path)->size(), CalcFile::lineCount(3));
        closeWorksheet();
        r.sKurwi = u"Бройлеры: рост (4-5 нед.)"_s;
        r.iMaxKorm = 0;
        r.sKorm[0] = u"Овес"_s;

        fake.openAnswers << path;
        Navigation::openCalculation();
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
        QCOMPARE(r.iMaxKorm, std::int16_t(2));
        QCOMPARE(r.sKurwi, u"Бройлеры: старт (1-3 нед.)"_s);
        QCOMPARE(shown(Navigation::racion(), 3), before);
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QTRY_VERIFY(!r.bOpenKalk);
    }

    // Stored weights come back as they were, even where a group holds more
    // than its limit: the group step is skipped while they are restored.
    void restoredWeightsSkipTheGroupLimit()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        CalcFile::Contents c;
        c.iMaxKorm = 1;
        c.sKurwi = u"Бройлеры: старт (1-3 нед.)"_s;
        c.sKorm = {u"Кукуруза"_s, u"Пшеница"_s};
        c.weights = QStringList{u"50"_s, u"50"_s};
        const QString path = dir.filePath(u"зерно.kalk"_s);
        QVERIFY(TextFile::writeLines(path, *CalcFile::toLines(c)));
        fake.openAnswers << path;
        Navigation::openCalculation();
        QCOMPARE(shown(Navigation::racion(), 2).mid(0, 2), c.weights);
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
    }
};

QTEST_MAIN(tst_calcroundtrip)
#include "tst_calcroundtrip.moc"
