#include "data/RationState.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Screens.h"
#include "support/UiSupport.h"
#include "wizard/frmWiborRecept.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

using namespace UiSupport;

// The category choice and the recipe-kind dialog, offscreen, on the default data.
class tst_kurwi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // "Новый расчет" in the shown main window; the list takes the focus. Only
    // the user's click or key sets the choice; neither the focus, nor a
    // refill when the screen is active again after another window, nor
    // coming back from the feed selection replaces it. Steps: "click <name>",
    // "key down", "away" (the feed editor, then this screen again), "back"
    // ("Далее", then the feed selection's "Назад"). Closed, the choice stays
    // for the next calculation.
    void choiceIsTheUsers_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("shown");   // "" = "Не выбрано"
        const QString quail = "Перепела-несушки";
        QTest::newRow("new calculation") << "" << QStringList{} << "";
        QTest::newRow("new calculation, another window, back") << "" << QStringList{"away"} << "";
        QTest::newRow("remembered category") << quail << QStringList{"away"} << quail;
        QTest::newRow("clicked, another window, back") << "" << QStringList{"click " + quail, "away"} << quail;
        QTest::newRow("clicked over a remembered one") << kBroilers << QStringList{"click " + quail, "away"} << quail;
        QTest::newRow("moved with the keys") << "" << QStringList{"key down"} << "@1";
        QTest::newRow("back from the feed selection") << "" << QStringList{"click " + quail, "back"} << quail;
    }
    void choiceIsTheUsers()
    {
        QFETCH(QString, remembered);
        QFETCH(QStringList, steps);
        QFETCH(QString, shown);
        Fresh fresh;
        ration().sKurwi = remembered;
        MDIForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        find<QAction>(&w, "mnuNRaschet")->trigger();
        QWidget* f = liveScreen("frmKurwi");
        auto* list = find<QListWidget>(f, "lstKurwi");
        QTRY_VERIFY(list->hasFocus());
        const int count = list->count();
        for (const QString& step : steps) {
            if (step.startsWith("click "))
                chooseFrom(list, step.mid(6));
            else if (step == "key down")
                QTest::keyClick(list, Qt::Key_Down);
            else if (step == "away") {
                find<QAction>(&w, "mnuKorm")->trigger();
                QVERIFY(w.mdiArea()->activeSubWindow() != Screens::subWindowOf(f));
                w.mdiArea()->setActiveSubWindow(Screens::subWindowOf(f));
                QTRY_VERIFY(list->hasFocus());
            } else if (step == "back") {
                QTest::mouseClick(find<QPushButton>(f, "cmdDalee"), Qt::LeftButton);
                settle();
                QTest::mouseClick(find<QPushButton>(liveScreen("frmBasa"), "cmdNasad"), Qt::LeftButton);
                settle();
                f = liveScreen("frmKurwi");
                list = find<QListWidget>(f, "lstKurwi");
                QTRY_VERIFY(list->hasFocus());
            }
        }
        if (shown.startsWith('@'))
            shown = list->item(shown.mid(1).toInt())->text();
        QCOMPARE(list->count(), count);   // refilled, never appended to
        QCOMPARE(textOf(f, "Label1"), shown.isEmpty() ? QString("Не выбрано") : shown);
        QCOMPARE(find<QPushButton>(f, "cmdDalee")->isEnabled(), !shown.isEmpty());
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QTest::mouseClick(find<QPushButton>(f, "cmdZakrit"), Qt::LeftButton);
        QCOMPARE(ration().sKurwi, shown);
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        w.close();
    }

    void recipeKind_data()
    {
        QTest::addColumn<bool>("kombikorm");
        QTest::newRow("untouched records the ration") << false;
        QTest::newRow("compound feed chosen") << true;
    }
    void recipeKind()
    {
        QFETCH(bool, kombikorm);
        Fresh fresh;
        ration().bRacion = kombikorm;   // the opposite of what should come out
        ration().bKombikorm = !kombikorm;
        frmWiborRecept dialog;
        QVERIFY(find<QRadioButton>(&dialog, "optRacion")->isChecked());
        if (kombikorm)
            find<QRadioButton>(&dialog, "optKombikorm")->setChecked(true);
        find<QPushButton>(&dialog, "cmdWiborRacionOk")->click();
        QCOMPARE(ration().bRacion, !kombikorm);
        QCOMPARE(ration().bKombikorm, kombikorm);
    }
};

QTEST_MAIN(tst_kurwi)
#include "tst_kurwi.moc"
