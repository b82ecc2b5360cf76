#include "data/Adodc.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/Statements.h"
#include "engine/Composition.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "shell/Screens.h"
#include "support/EngineSupport.h"
#include "support/UiSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>

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
        QVERIFY(QTest::qWaitForWindowActive(&w));
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

        // "Печать..." (Ctrl+P): the report's lines in the print preview, in a fixed-width font.
        w.activateWindow();   // the window system gives it back after the modal dialog; offscreen does not
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(fresh.fake.previewed, QStringList{reportLines->join('\n')});
        QVERIFY(!fresh.fake.previewFonts.first().isEmpty());

        // "Назад" to the worksheet, "Сохранить расчет...", "Закрыть".
        click(otshet, "cmdNazad");
        QVERIFY(!liveScreen("frmOtshet"));
        QVERIFY(racion->isVisible());
        QVERIFY(!action("mnuSaveRacion")->isEnabled() && !action("mnuPrint")->isEnabled());
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

    // Prices typed into "База данных" → "цены кормов" beside the worksheet
    // reach its cost line when it is active again, and the report sheet's
    // costs. The figures are worked by hand from the default data: corn
    // 335 kcal at 12,5 руб./кг, soybean meal 240 kcal at 30 руб./кг.
    void pricesAndCosts()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QWidget* sheet = openWorksheet({"Кукуруза", "Шрот соевый"});
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость: нет цены для «Кукуруза»");

        find<QAction>(&w, "mnuCena")->trigger();
        QWidget* editor = liveScreen("frmCena");
        auto* grid = find<QTableView>(editor, "DataGrid1");
        // Written when its row is left or the editor stops being active.
        const auto typePrice = [grid](const char* feed, const char* price) {
            typeIntoCell(grid, cellOf(grid, feed, 1), price);
        };
        const auto clickSheet = [sheet] {
            QTest::mouseClick(wes(sheet, 0), Qt::LeftButton);
            settle();
        };
        typePrice("Кукуруза", "12,5");
        clickSheet();   // written as the editor stops being active, read as the sheet becomes active
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость: нет цены для «Шрот соевый»");
        typePrice("Шрот соевый", "30");
        QTest::keyClick(grid, Qt::Key_Down);   // written as its row is left
        Adodc check;
        check.setRecordSource(Statements::cena("Шрот соевый"));
        QVERIFY(check.Refresh() && check.recordset().Fields(0).toDouble() == 30.0);
        clickSheet();
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость 1 кг корма: 0,00 руб.");
        typeOver(wes(sheet, 0), "65.5");   // 0,655 × 12,5 = 8,1875
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость 1 кг корма: 8,19 руб.");
        typeOver(wes(sheet, 1), "34,5");   // + 0,345 × 30 = 18,5375
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость 1 кг корма: 18,54 руб.");

        // Energy 0,655 × 335 + 0,345 × 240 = 302,225 kcal; 100 birds at 185 kcal a day eat
        // 4009,43 g of corn (50,12 руб.) and 2111,84 g of meal (63,36 руб.) a day; 2 t of
        // compound feed take 1310 kg (16375 руб.) and 690 kg (20700 руб.).
        const QString report = fresh.dir.filePath("рацион.txt");
        for (const char* option : {"optRacion", "optKombikorm"}) {
            onNextModal(this, [option](QWidget* dialog) {
                QTest::mouseClick(find<QRadioButton>(dialog, option), Qt::LeftButton);
                QTest::mouseClick(find<QPushButton>(dialog, "cmdWiborRacionOk"), Qt::LeftButton);
            });
            find<QPushButton>(sheet, "cmdDalee")->click();
            settle();
            QWidget* otshet = liveScreen("frmOtshet");
            const bool racion = option == QLatin1String("optRacion");
            typeOver(find<QLineEdit>(otshet, "Text1"), racion ? "100" : "2");
            QCOMPARE(textsOf(otshet, "lblWes(%1)", 2),
                     racion ? QStringList({"4009,43", "2111,84"}) : QStringList({"1310", "690"}));
            QCOMPARE(textsOf(otshet, "lblCena(%1)", 2),
                     racion ? QStringList({"50,12", "63,36"}) : QStringList({"16375,00", "20700,00"}));
            QCOMPARE(textOf(otshet, "lblCenaItog"), racion ? "113,48" : "37075,00");
            QCOMPARE(textOf(otshet, "Label12"),
                     racion ? "Стоимость рациона в сутки, руб.:" : "Стоимость комбикорма, руб.:");
            if (racion) {   // the text report keeps its lines: no costs in it
                fresh.fake.saveAnswers << report;
                find<QAction>(&w, "mnuSaveRacion")->trigger();
                const auto lines = TextFile::readLines(report);
                QVERIFY(lines && lines->size() == 15 + 2 * 2 + 2);
                QVERIFY(!lines->join('\n').contains("руб"));
                // The printed recipe shows the costs as the sheet does, lined up after the units.
                w.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&w));
                QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
                QCOMPARE(fresh.fake.previewed.size(), 1);
                const QStringList paper = fresh.fake.previewed.first().split('\n');
                QCOMPARE(paper.at(15), lines->at(15) + "  50,12 руб.");
                QCOMPARE(paper.at(17), lines->at(17) + "  63,36 руб.");
                QCOMPARE(paper.mid(0, 15), lines->mid(0, 15));
                QCOMPARE(paper.last(), "      Стоимость рациона в сутки, руб.: 113,48");
            }
            find<QPushButton>(otshet, "cmdNazad")->click();
            settle();
        }
        QCOMPARE(fresh.fake.messages, QStringList());
        w.close();
    }

    // "Расчитать" with "по наименьшей стоимости" ticked: the cheapest balanced
    // ration, whose cost a GLPK model of the test's own confirms within 0,5 %,
    // every main deviation green, the sum 100 and the weights with two
    // decimals; where none exists, the fixed message and the weights kept.
    void leastCostClick_data()
    {
        QTest::addColumn<QStringList>("feeds");
        QTest::addColumn<QString>("tolerance");
        QTest::addColumn<bool>("balanced");
        const QStringList ten{"Кукуруза", "Пшеница", "Шрот соевый", "Глютен кукурузный", "Мука рыбная",
                              "Масло подсолнечное", "Известняк (известняковая мука)", "Монокальцийфосфат",
                              "Соль поваренная", "Премикс для бройлеров и родительского стада 1%"};
        QTest::newRow("ten feeds at 30 %") << ten << "30" << true;
        QTest::newRow("ten feeds at 5 %") << ten << "5" << true;
        QTest::newRow("grain and soy: calcium out of reach")
            << QStringList{"Кукуруза", "Пшеница", "Шрот соевый", "Масло подсолнечное"} << "30" << false;
    }
    void leastCostClick()
    {
        QFETCH(QStringList, feeds);
        QFETCH(QString, tolerance);
        QFETCH(bool, balanced);
        Fresh fresh;
        const std::vector<double> prices{16, 14, 42, 60, 110, 95, 4.5, 85, 9, 250};
        Adodc db;
        for (int i = 0; i < feeds.size(); ++i) {
            QSqlQuery q(db.database());
            QVERIFY(q.prepare("insert into cena values (?, ?)"));
            q.addBindValue(feeds[i]);
            q.addBindValue(prices[std::size_t(i)]);
            QVERIFY(q.exec());
        }
        MDIForm1 w;
        w.show();
        QWidget* sheet = openWorksheet(feeds);
        typeOver(find<QComboBox>(sheet, "Combo1")->lineEdit(), tolerance);
        typeOver(wes(sheet, 0), "50");
        QTest::mouseClick(find<QCheckBox>(sheet, "chkCena"), Qt::LeftButton);
        QTest::mouseClick(find<QPushButton>(sheet, "cmdS"), Qt::LeftButton);
        if (!balanced) {
            QCOMPARE(fresh.fake.messages, QStringList{Composition::kNotSolved});
            QCOMPARE(textsOf(sheet, "txtWes(%1)", 2), QStringList({"50", "0"}));
            QVERIFY(!textOf(sheet, "lblDiagnosis").contains("Самый дешевый"));
            return;
        }
        QCOMPARE(fresh.fake.messages, QStringList());
        QCOMPARE(textOf(sheet, "lblSumWes"), "100");
        double cost = 0;
        for (int i = 0; i < feeds.size(); ++i) {
            QVERIFY2(QRegularExpression("^\\d+,\\d\\d$").match(wes(sheet, i)->text()).hasMatch(),
                     qPrintable(wes(sheet, i)->text()));
            cost += *NumText::toDouble(wes(sheet, i)->text()) * prices[std::size_t(i)] / 100;
        }
        for (int k = 0; k < 5; ++k)
            QCOMPARE(find(sheet, QString("lblProcent(%1)").arg(k))->palette().color(QPalette::Window),
                     QColor(192, 255, 192));
        std::vector<double> perGram;
        for (int i = 0; i < feeds.size(); ++i)
            perGram.push_back(prices[std::size_t(i)] / 100);
        const auto optimum = TestSupport::glpkOptimum(Composition::readGroups(db).records, perGram, tolerance.toDouble());
        QVERIFY(optimum);
        QVERIFY2(qAbs(cost - *optimum) <= *optimum * 0.005, qPrintable(QString("%1 %2").arg(cost).arg(*optimum)));
        QCOMPARE(textOf(sheet, "lblCena"), "Стоимость 1 кг корма: " + NumText::format00(cost) + " руб.");
        // The diagnosis names the same optimum beside the cost of the mix on
        // the sheet, which follows the weights.
        typeOver(wes(sheet, 0), "0");
        double onSheet = 0;
        for (int i = 0; i < feeds.size(); ++i)
            onSheet += *NumText::toDouble(wes(sheet, i)->text()) * prices[std::size_t(i)] / 100;
        QTest::mouseClick(find<QPushButton>(sheet, "cmdPochemu"), Qt::LeftButton);
        QVERIFY2(textOf(sheet, "lblDiagnosis")
                     .contains(QString("Самый дешевый сбалансированный рацион: %1 руб./кг, на листе: %2 руб./кг")
                                   .arg(NumText::format00(cost), NumText::format00(onSheet))),
                 qPrintable(textOf(sheet, "lblDiagnosis")));
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
