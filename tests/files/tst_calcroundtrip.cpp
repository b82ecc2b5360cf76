#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QtTest>

// Saving a calculation from the real worksheet and opening it again.
namespace {

QStringList captions(QWidget* sheet, const QString& pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString name = pattern.arg(i);
        if (auto* e = sheet->findChild<QLineEdit*>(name))
            out << e->text();
        else if (auto* l = sheet->findChild<QLabel*>(name))
            out << l->text();
        else
            out << QStringLiteral("<missing %1>").arg(name);
    }
    return out;
}

void closeWorksheet()
{
    QPointer<QWidget> sheet = Navigation::racion();
    if (!sheet)
        return;
    if (QMdiSubWindow* sub = Screens::subWindowOf(sheet))
        sub->close();
    else
        sheet->close();
    QTRY_VERIFY(sheet.isNull());
}

void setWeight(QWidget* sheet, int i, const QString& text)
{
    sheet->findChild<QLineEdit*>(QStringLiteral("txtWes(%1)").arg(i))->setText(text);
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
        r.sKurwi = QStringLiteral("Бройлеры: старт (1-3 нед.)");
        r.iMaxKorm = 2;
        r.sKorm[0] = QStringLiteral("Кукуруза");
        r.sKorm[1] = QStringLiteral("Шрот соевый");
        r.sKorm[2] = QStringLiteral("Пшеница");
        QWidget* sheet = Navigation::showRacion();
        QVERIFY(sheet);
        setWeight(sheet, 0, QStringLiteral("50,5"));
        setWeight(sheet, 1, QStringLiteral("30"));
        setWeight(sheet, 2, QStringLiteral("19,5"));
        QVERIFY(menuRules().isEnabled(MenuItem::SaveR));
        const QStringList weights = captions(sheet, QStringLiteral("txtWes(%1)"), 3);
        const QStringList sums = captions(sheet, QStringLiteral("lblSum(%1)"), 8);
        const QStringList procent = captions(sheet, QStringLiteral("lblProcent(%1)"), 8);

        const QString path = dir.filePath(QStringLiteral("расчет.kalk"));
        fake.saveAnswers << path;
        Navigation::saveCalculation();
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join(QLatin1Char('\n'))));
        const auto lines = TextFile::readLines(path);
        QVERIFY(lines);
        QCOMPARE(lines->size(), CalcFile::lineCount(3));
        QCOMPARE(lines->last(), QStringLiteral("\"19,5\""));

        closeWorksheet();
        r.sKurwi = QStringLiteral("Бройлеры: рост (4-5 нед.)");
        r.iMaxKorm = 0;
        r.sKorm[0] = QStringLiteral("Овес");

        fake.openAnswers << path;
        Navigation::openCalculation();
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join(QLatin1Char('\n'))));
        sheet = Navigation::racion();
        QVERIFY(sheet);
        QCOMPARE(r.iMaxKorm, std::int16_t(2));
        QCOMPARE(r.sKurwi, QStringLiteral("Бройлеры: старт (1-3 нед.)"));
        QCOMPARE(captions(sheet, QStringLiteral("txtWes(%1)"), 3), weights);
        QCOMPARE(captions(sheet, QStringLiteral("lblSum(%1)"), 8), sums);
        QCOMPARE(captions(sheet, QStringLiteral("lblProcent(%1)"), 8), procent);
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
        c.sKurwi = QStringLiteral("Бройлеры: старт (1-3 нед.)");
        c.sKorm[0] = QStringLiteral("Кукуруза");
        c.sKorm[1] = QStringLiteral("Пшеница");
        c.weights = {QStringLiteral("50"), QStringLiteral("50.0")};   // written where the point is the separator
        const QString path = dir.filePath(QStringLiteral("зерно.kalk"));
        QVERIFY(TextFile::writeLines(path, *CalcFile::toLines(c)));

        fake.openAnswers << path;
        Navigation::openCalculation();
        QWidget* sheet = Navigation::racion();
        QVERIFY(sheet);
        QCOMPARE(captions(sheet, QStringLiteral("txtWes(%1)"), 2),
                 QStringList({QStringLiteral("50"), QStringLiteral("50,0")}));
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join(QLatin1Char('\n'))));
    }

    // Names the database no longer holds: the file's values stay and the
    // user is told which names were not found.
    void namesMissingFromTheDatabaseAreNamed()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        CalcFile::Contents c;
        c.iMaxKorm = 0;
        c.sKurwi = QStringLiteral("Страусы");
        c.sKorm[0] = QStringLiteral("Водоросли");
        c.DataKorm[0] = {QStringLiteral("Водоросли"), 200.0, 10.0, 0.5, 0.3, 0.1, 0.0, 0.0, 0.1, 20.0,
                         QStringLiteral("Прочие")};
        c.NormaKur = {QStringLiteral("Страусы"), 280.0, 16.0, 3.0, 0.7, 0.15, 1.0, 0.2, 0.5, 300.0};
        c.weights = {QStringLiteral("20")};
        const QString path = dir.filePath(QStringLiteral("страусы.kalk"));
        QVERIFY(TextFile::writeLines(path, *CalcFile::toLines(c)));

        fake.openAnswers << path;
        Navigation::openCalculation();
        QVERIFY(Navigation::racion());
        QCOMPARE(ration().DataKorm[0][1].toDouble(), 200.0);
        QCOMPARE(ration().NormaKur[9].toDouble(), 300.0);
        const QString all = fake.messages.join(QLatin1Char('\n'));
        QVERIFY2(all.contains(QStringLiteral("Водоросли")), qPrintable(all));
        QVERIFY2(all.contains(QStringLiteral("Страусы")), qPrintable(all));
    }
};

QTEST_MAIN(tst_calcroundtrip)
#include "tst_calcroundtrip.moc"
