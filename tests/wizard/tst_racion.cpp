#include "data/NumText.h"
#include "data/RationState.h"
#include "editors/GridEditor.h"
#include "engine/Composition.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Screens.h"
#include "support/UiSupport.h"
#include "wizard/frmRacion.h"

#include <QAction>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QPointer>
#include <QMdiArea>
#include <QSqlRecord>
#include <QToolButton>

using namespace UiSupport;

// The worksheet through its real widgets, offscreen, on the default data.
class tst_racion : public QObject {
    Q_OBJECT

    static QColor back(QWidget* sheet, const char* name) { return find(sheet, name)->palette().color(QPalette::Window); }
    static QPushButton* button(QWidget* sheet, const char* name) { return find<QPushButton>(sheet, name); }

private Q_SLOTS:
    void initTestCase() { startUi(); }

    void workedExample()
    {
        Fresh fresh;
        QWidget* s = openWorksheet({"Пшеница", "Шрот соевый"});
        QVERIFY(wes(s, 1)->isVisible());
        QVERIFY(!wes(s, 2)->isVisible());
        QCOMPARE(textsOf(s, "lblKuri(%1)", 3), (QStringList{kBroilers, "310", "23"}));
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!button(s, "cmdDalee")->isEnabled());
        // The example's figures: protein 12,5 and 20, requirement 15, tolerance 10.
        ration().DataKorm[1][2] = 20;
        ration().NormaKur[2] = 15;
        find<QComboBox>(s, "Combo1")->setEditText("10");
        typeOver(wes(s, 1), "60");
        typeOver(wes(s, 0), "40");
        QCOMPARE(textOf(s, "lbl_1(2)"), "5");
        QCOMPARE(textOf(s, "lblSum(1)"), "17");
        QCOMPARE(textOf(s, "lblProcent(1)"), "13,3");
        QCOMPARE(back(s, "lblProcent(1)"), QColor(255, 192, 192));
        QVERIFY(ration().bNarushenie);
        QCOMPARE(textOf(s, "lblSumWes"), "100");
        QCOMPARE(back(s, "lblSumWes"), QColor(192, 255, 192));
        QVERIFY(button(s, "cmdDalee")->isEnabled());
        QVERIFY(menuRules().isEnabled(MenuItem::SaveR));

        button(s, "cmdExit")->click();
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveR));
        QVERIFY(!frmRacion::instance());
    }

    // What the user does to the boxes ("type i text", "set i text" as pasted,
    // "up i", "down i" on the spin arrows) and what they show then, on as many
    // feeds as there are boxes shown. The excess above 100 is cut from the box
    // typed last; the arrows step by one, or by a tenth below one.
    void weightBoxes_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("150 with one feed becomes 100") << QStringList{"type 0 150"} << QStringList{"100"};
        QTest::newRow("60 and 50 make the second 40") << QStringList{"type 0 60", "type 1 50"} << QStringList{"60", "40"};
        QTest::newRow("up 0 -> 0,1") << QStringList{"up 0"} << QStringList{"0,1"};
        QTest::newRow("up 0,9 -> 1") << QStringList{"set 0 0,9", "up 0"} << QStringList{"1"};
        QTest::newRow("up 100 stays 100") << QStringList{"set 0 100", "up 0"} << QStringList{"100"};
        QTest::newRow("down 1 -> 0,9") << QStringList{"set 0 1", "down 0"} << QStringList{"0,9"};
        QTest::newRow("down 1,5 -> 0,5") << QStringList{"set 0 1,5", "down 0"} << QStringList{"0,5"};
        QTest::newRow("down 0 stays 0") << QStringList{"down 0"} << QStringList{"0"};
        QTest::newRow("down 0,05 -> 0") << QStringList{"set 0 0,05", "down 0"} << QStringList{"0"};
        QTest::newRow("down 100 -> 99") << QStringList{"set 0 100", "down 0"} << QStringList{"99"};
    }
    void weightBoxes()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        Fresh fresh;
        QWidget* s = openWorksheet(QStringList{"Кукуруза", "Пшеница"}.mid(0, shown.size()));
        for (const QString& step : steps) {
            const QStringList p = step.split(' ');
            QLineEdit* box = wes(s, p[1].toInt());
            auto* spin = find<SpinButton>(s, "SpinButton(" + p[1] + ")");
            if (p[0] == "type")
                typeOver(box, p[2]);
            else if (p[0] == "set")
                box->setText(p[2]);
            else
                (p[0] == "up" ? spin->upArrow() : spin->downArrow())->click();
        }
        QCOMPARE(textsOf(s, "txtWes(%1)", int(shown.size())), shown);
        QVERIFY(fresh.fake.messages.isEmpty());
    }

    void backAndForwardRestoresTheWeights()
    {
        Fresh fresh;
        QPointer<QWidget> first = openWorksheet({"Кукуруза", "Пшеница"});
        typeOver(wes(first, 0), "12,50");
        typeOver(wes(first, 1), "30");
        const QString total = textOf(first, "lblSum(0)");
        button(first, "cmdNasad")->click();
        QVERIFY(ration().bNazad);
        settle();
        QVERIFY(!first);   // closed by "Назад"
        button(liveScreen("frmBasa"), "cmdDalee")->click();
        QWidget* again = frmRacion::instance();
        QVERIFY(again);
        QCOMPARE(textsOf(again, "txtWes(%1)", 2), (QStringList{"12,5", "30"}));
        QCOMPARE(textOf(again, "lblSum(0)"), total);
        QVERIFY(!ration().bNazad);
    }

    void dalleeChecksTheDailyRequirement_data()
    {
        QTest::addColumn<QVariant>("daily");
        QTest::newRow("zero") << QVariant(0);
        QTest::newRow("empty text") << QVariant(QString());
    }

    // The poultry editor opens where the value is missing: the category's
    // "В сутки O/Э" cell, ready for the keyboard; what is typed there is
    // what "Далее" uses once the worksheet is active again.
    void dalleeChecksTheDailyRequirement()
    {
        QFETCH(QVariant, daily);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* s = openWorksheet({"Кукуруза"}, "Индюшата 1-4 нед.");
        typeOver(wes(s, 0), "100");
        ration().NormaKur[9] = daily;
        QTest::mouseClick(button(s, "cmdDalee"), Qt::LeftButton);
        QCOMPARE(fresh.fake.messages,
                 QStringList{"Для расчета рациона введите в базу данных суточную потребность птицы в О/Э"});
        QCOMPARE(fresh.fake.kinds, QList{MessageKind::Warning});
        QVERIFY(s->isVisible());
        QVERIFY(liveScreen("frmBasaKurwi"));   // the poultry editor is open
        QVERIFY(menuRules().isEnabled(MenuItem::Vargo));   // not opened from its menu item
        auto* editor = qobject_cast<GridEditor*>(liveScreen("frmBasaKurwi"));
        QVERIFY(editor);
        const QModelIndex cell = editor->grid()->currentIndex();
        QCOMPARE(cell.siblingAtColumn(0).data().toString(), "Индюшата 1-4 нед.");
        QCOMPARE(editor->model()->record().fieldName(cell.column()), "dawat_gr");
        QCOMPARE(QApplication::focusWidget(), editor->grid());

        for (const char key : {'2', '4', '0', '\r'})   // to wherever the focus is, as the keyboard does
            QTest::keyClick(QApplication::focusWidget(), key);
        QTest::mouseClick(find<QPushButton>(editor, "Command1"), Qt::LeftButton);
        settle();
        bool recipeAsked = false;
        onNextModal(this, [&](QWidget* dialog) {
            recipeAsked = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QTest::mouseClick(button(s, "cmdDalee"), Qt::LeftButton);
        QVERIFY(recipeAsked);
        QCOMPARE(ration().NormaKur[9].toDouble(), 240.0);
        QCOMPARE(fresh.fake.messages.size(), 1);
    }

    void recipeDialogClosedByEscShowsTheWorksheetAgain()
    {
        Fresh fresh;
        QWidget* s = openWorksheet({"Кукуруза"});
        typeOver(wes(s, 0), "100");
        bool sawHidden = false;
        onNextModal(this, [&](QWidget* dialog) {
            sawHidden = !s->isVisible();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        button(s, "cmdDalee")->click();
        QVERIFY(sawHidden);
        QVERIFY(s->isVisible());
        QVERIFY(fresh.fake.messages.isEmpty());
    }

    // Broiler chicks on feeds without a calcium source, at 10 %: "Расчитать"
    // gives its message once and the diagnosis opens beside it, inside the
    // shown worksheet; a suggested feed double-clicked joins the sheet with
    // the other weights kept, and "Подставить" then balances the ration.
    void diagnosisPane()
    {
        Fresh fresh;
        MDIForm1 w;
        w.show();
        find<QAction>(&w, "mnuNRaschet")->trigger();
        settle();
        QWidget* kurwi = liveScreen("frmKurwi");
        chooseFrom(find<QListWidget>(kurwi, "lstKurwi"), kBroilers);
        QTest::mouseClick(button(kurwi, "cmdDalee"), Qt::LeftButton);
        settle();
        QWidget* basa = liveScreen("frmBasa");
        const QStringList feeds{"Кукуруза",          "Пшеница",         "Шрот соевый", "Мука рыбная", "Масло подсолнечное",
                                "Монокальцийфосфат", "Соль поваренная", "Премикс для бройлеров и родительского стада 1%"};
        for (const QString& feed : feeds) {
            chooseFrom(find<QListWidget>(basa, "lstBasa"), feed);
            QTest::mouseClick(find(basa, "lblWibrat"), Qt::LeftButton);
        }
        QTest::mouseClick(button(basa, "cmdDalee"), Qt::LeftButton);
        settle();
        QWidget* s = liveScreen("frmRacion");
        auto* pane = find(s, "pnlDiagnosis");
        QVERIFY(!pane->isVisible());
        const int closedHeight = s->height();

        typeOver(find<QComboBox>(s, "Combo1")->lineEdit(), "10");
        QTest::mouseClick(button(s, "cmdS"), Qt::LeftButton);
        QCOMPARE(fresh.fake.messages, QStringList{Composition::kNotSolved});
        QVERIFY(pane->isVisible());
        // Below everything else, and the worksheet's window shows it whole.
        QCOMPARE(pane->y(), closedHeight);
        QVERIFY(s->height() >= pane->geometry().bottom() && Screens::subWindowOf(s)->height() > s->height());
        QVERIFY(textOf(s, "lblDiagnosis").contains("кальций: достижимо от 7,1 до 93,9 % нормы — в норму входит"));
        QVERIFY(!button(s, "cmdPodstavit")->isEnabled());
        auto* sovet = find<QListWidget>(s, "lstSovet");
        QVERIFY(sovet->count() > 0);
        const QString added = sovet->item(0)->text().section(" — ", 0, 0);

        // The weights as numbers: they come back as a return from the feed
        // selection writes them, without trailing zeros.
        const auto weights = [s](int n) {
            QList<double> out;
            for (const QString& t : textsOf(s, "txtWes(%1)", n))
                out << NumText::toDouble(t).value_or(-1);
            return out;
        };
        const QList<double> before = weights(8);
        const QPoint at = sovet->visualItemRect(sovet->item(0)).center();
        QTest::mouseClick(sovet->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(sovet->viewport(), Qt::LeftButton, {}, at);
        settle();
        QCOMPARE(textOf(s, "lbl_9(0)"), added);
        QVERIFY(wes(s, 8)->isVisible());
        QCOMPARE(weights(9), before + QList<double>{0});
        QVERIFY(textOf(s, "lblDiagnosis").contains("Сбалансированный рацион с этими кормами есть"));

        QTest::mouseClick(button(s, "cmdPodstavit"), Qt::LeftButton);
        QCOMPARE(textOf(s, "lblSumWes"), "100");
        for (int k = 0; k < 5; ++k)
            QCOMPARE(back(s, qPrintable(QString("lblProcent(%1)").arg(k))), QColor(192, 255, 192));
        settle();
        QVERIFY(textOf(s, "lblDiagnosis").startsWith("На листе сейчас: все вещества в норме."));
        QCOMPARE(fresh.fake.messages.size(), 1);

        QTest::mouseClick(find(s, "cmdDiagnosisClose"), Qt::LeftButton);
        QVERIFY(!pane->isVisible());
        QCOMPARE(s->height(), closedHeight);
        QTest::mouseClick(button(s, "cmdPochemu"), Qt::LeftButton);
        QVERIFY(pane->isVisible());
        w.close();
    }

    // Up and Down in a weight box step it as its spin arrows do (the arrows of
    // the next row, from the same weight, give the same text).
    void arrowKeysStepTheWeight_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("stepped");
        QTest::newRow("5 up") << "5" << Qt::Key_Up << "6";
        QTest::newRow("5 down") << "5" << Qt::Key_Down << "4";
        QTest::newRow("0 up by a tenth") << "0" << Qt::Key_Up << "0,1";
        QTest::newRow("0 down stays") << "0" << Qt::Key_Down << "0";
        QTest::newRow("0,5 down by a tenth") << "0,5" << Qt::Key_Down << "0,4";
        QTest::newRow("not a number stays") << "1-" << Qt::Key_Up << "1-";
    }
    void arrowKeysStepTheWeight()
    {
        QFETCH(QString, weight);
        QFETCH(Qt::Key, key);
        QFETCH(QString, stepped);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* s = openWorksheet({"Кукуруза", "Пшеница"});
        QVERIFY(w.isAncestorOf(s));
        for (int i : {0, 1})
            wes(s, i)->setText(weight);
        wes(s, 0)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key);
        auto* arrow = find<QToolButton>(find(s, "SpinButton(1)"), key == Qt::Key_Up ? "up" : "down");
        QTest::mouseClick(arrow, Qt::LeftButton);
        QCOMPARE(wes(s, 0)->text(), stepped);
        QCOMPARE(wes(s, 1)->text(), stepped);
    }
};

QTEST_MAIN(tst_racion)
#include "tst_racion.moc"
