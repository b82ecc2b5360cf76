#include "data/NumText.h"
#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "support/UiSupport.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace UiSupport;

// One calculation along the whole road, through the real screens inside the
// main window: category, feeds, worksheet, recipe kind, report sheet, the
// text report, the calculation file, and the file opened again.
class tst_end_to_end : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    void wholeRoad()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        const auto action = [&w](const char* name) { return find<QAction>(&w, name); };
        const auto click = [](QWidget* screen, const char* name) { find<QPushButton>(screen, name)->click(); settle(); };

        // "Новый расчет", a category, two feeds of different groups.
        action("mnuNRaschet")->trigger();
        settle();
        QWidget* kurwi = liveScreen("frmKurwi");
        chooseFrom(find<QListWidget>(kurwi, "lstKurwi"), kBroilers);
        click(kurwi, "cmdDalee");
        QWidget* basa = liveScreen("frmBasa");
        const QStringList feeds{"Кукуруза", "Шрот соевый"};
        for (const QString& feed : feeds) {
            chooseFrom(find<QListWidget>(basa, "lstBasa"), feed);
            QTest::mouseClick(find(basa, "lblWibrat"), Qt::LeftButton);
        }
        click(basa, "cmdDalee");

        // The worksheet: "Расчитать", then the weights by hand.
        QWidget* racion = liveScreen("frmRacion");
        QCOMPARE((QStringList{textOf(racion, "lbl_1(0)"), textOf(racion, "lbl_2(0)")}), feeds);
        click(racion, "cmdS");
        const qsizetype messagesBefore = fresh.fake.messages.size();   // whatever "Расчитать" had to say
        typeOver(wes(racion, 1), "0");
        typeOver(wes(racion, 0), "65.5");
        typeOver(wes(racion, 1), "34,5");
        const QStringList weights{"65,5", "34,5"};
        QCOMPARE(textsOf(racion, "txtWes(%1)", 2), weights);
        QCOMPARE(textOf(racion, "lblSumWes"), "100");
        const QStringList sums = textsOf(racion, "lblSum(%1)", 8);
        const QStringList procent = textsOf(racion, "lblProcent(%1)", 8);

        // "Далее", the recipe kind's "Да" in its modal dialog, the report sheet.
        onNextModal(this, [](QWidget* dialog) { find<QPushButton>(dialog, "cmdWiborRacionOk")->click(); });
        click(racion, "cmdDalee");
        QWidget* otshet = liveScreen("frmOtshet");
        QVERIFY(otshet && !racion->isVisible());
        typeOver(find<QLineEdit>(otshet, "Text1"), "100");
        const QString cornAmount = textOf(otshet, "lblWes(0)");
        QCOMPARE(cornAmount, NumText::format00(65.5 * 100 * 185 / *NumText::toDouble(sums.at(0))));
        QVERIFY(!action("mnuSaveR")->isEnabled());

        // "Записать рацион в файл...", a name with blanks.
        const QString report = fresh.dir.filePath("рацион бройлеров.txt");
        fresh.fake.saveAnswers << report;
        action("mnuSaveRacion")->trigger();
        const auto reportLines = TextFile::readLines(report);
        QVERIFY(reportLines);
        QCOMPARE(reportLines->size(), 15 + 2 * 2 + 2);
        QCOMPARE(reportLines->at(8).simplified(), procent.join(' '));
        QCOMPARE(reportLines->at(11), "      Рацион для кормления  " + kBroilers + " в колличестве 100 едениц(цы)");
        QCOMPARE(reportLines->at(15), QString("      Кукуруза").leftJustified(47) + cornAmount.leftJustified(8) + "грамм");

        // "Назад" to the worksheet, "Сохранить расчет...", "Закрыть".
        click(otshet, "cmdNazad");
        QVERIFY(!liveScreen("frmOtshet"));
        QVERIFY(racion->isVisible());
        QVERIFY(!action("mnuSaveRacion")->isEnabled());
        const QString calc = fresh.dir.filePath("бройлеры");
        fresh.fake.saveAnswers << calc;
        action("mnuSaveR")->trigger();
        const auto calcLines = TextFile::readLines(calc + ".kalk");
        QVERIFY(calcLines);
        QCOMPARE(calcLines->size(), CalcFile::lineCount(2));
        QCOMPARE(calcLines->mid(46), (QStringList{"\"65,5\"", "\"34,5\""}));
        click(racion, "cmdExit");
        QVERIFY(!Navigation::racion() && !action("mnuSaveR")->isEnabled());

        // "Открыть старый...": the worksheet comes back as it was saved.
        fresh.fake.openAnswers << calc + ".kalk";
        action("mnuSRachet")->trigger();
        settle();
        racion = liveScreen("frmRacion");
        QCOMPARE(textsOf(racion, "txtWes(%1)", 2), weights);
        QCOMPARE(textsOf(racion, "lblSum(%1)", 8), sums);
        QCOMPARE(textsOf(racion, "lblProcent(%1)", 8), procent);
        QCOMPARE((QStringList{textOf(racion, "lbl_1(0)"), textOf(racion, "lbl_2(0)")}), feeds);
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QCOMPARE(fresh.fake.messages.mid(messagesBefore), QStringList());
        w.close();
    }

    // The report sheet closed by its window's close box: the worksheet comes
    // back as "Назад" brings it, with its weights, ready to be saved.
    void reportClosedByItsCloseBox()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QWidget* racion = openWorksheet({"Кукуруза", "Шрот соевый"});
        typeOver(wes(racion, 0), "60");
        typeOver(wes(racion, 1), "40");
        onNextModal(this, [](QWidget* dialog) { find<QPushButton>(dialog, "cmdWiborRacionOk")->click(); });
        QTest::mouseClick(find<QPushButton>(racion, "cmdDalee"), Qt::LeftButton);
        QWidget* otshet = liveScreen("frmOtshet");
        QVERIFY(otshet && !racion->isVisible());
        Screens::subWindowOf(otshet)->close();
        settle();
        QVERIFY(!liveScreen("frmOtshet") && racion->isVisible());
        QCOMPARE(w.mdiArea()->activeSubWindow(), Screens::subWindowOf(racion));
        QCOMPARE(textsOf(racion, "txtWes(%1)", 2), (QStringList{"60", "40"}));
        QVERIFY(find<QAction>(&w, "mnuSaveR")->isEnabled() && !find<QAction>(&w, "mnuSaveRacion")->isEnabled());
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));   // no second calculation beside this one
        w.close();
    }
};

QTEST_MAIN(tst_end_to_end)
#include "tst_end_to_end.moc"
