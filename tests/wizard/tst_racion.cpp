#include "data/RationState.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "support/UiSupport.h"
#include "wizard/frmRacion.h"

#include <QComboBox>
#include <QPointer>
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
    void dalleeChecksTheDailyRequirement()
    {
        QFETCH(QVariant, daily);
        Fresh fresh;
        QWidget* s = openWorksheet({"Кукуруза"});
        typeOver(wes(s, 0), "100");
        ration().NormaKur[9] = daily;
        button(s, "cmdDalee")->click();
        QCOMPARE(fresh.fake.messages,
                 QStringList{"Для расчета рациона введите в базу данных суточную потребность птицы в О/Э"});
        QCOMPARE(fresh.fake.kinds, QList{MessageKind::Warning});
        QVERIFY(s->isVisible());
        QVERIFY(liveScreen("frmBasaKurwi"));   // the poultry editor is open
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
