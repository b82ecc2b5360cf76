#include "data/RationState.h"
#include "shell/MenuRules.h"
#include "support/UiSupport.h"
#include "wizard/frmKurwi.h"
#include "wizard/frmWiborRecept.h"

#include <QRadioButton>

using namespace UiSupport;

// The category choice and the recipe-kind dialog, offscreen, on the default data.
class tst_kurwi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { startUi(); }

    // Opened, perhaps a category clicked, closed, opened again. The list is
    // refilled on every activation, never appended to.
    void choiceIsKeptAfterClosing_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::newRow("chosen, closed, shown again") << "Перепела-несушки";
        QTest::newRow("closed without a choice") << "";
    }
    void choiceIsKeptAfterClosing()
    {
        QFETCH(QString, chosen);
        Fresh fresh;
        auto* f = new frmKurwi;
        f->show();
        f->Form_Activate();
        QCOMPARE(textOf(f, "Label1"), "Не выбрано");
        QVERIFY(!find<QPushButton>(f, "cmdDalee")->isEnabled());
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        const int count = find<QListWidget>(f, "lstKurwi")->count();
        if (!chosen.isEmpty())
            chooseFrom(find<QListWidget>(f, "lstKurwi"), chosen);
        find<QPushButton>(f, "cmdZakrit")->click();
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        settle();

        frmKurwi again;
        again.Form_Activate();
        again.Form_Activate();
        QCOMPARE(find<QListWidget>(&again, "lstKurwi")->count(), count);
        QCOMPARE(textOf(&again, "Label1"), chosen.isEmpty() ? QString("Не выбрано") : chosen);
        QCOMPARE(find<QPushButton>(&again, "cmdDalee")->isEnabled(), !chosen.isEmpty());
        QVERIFY(find<QListWidget>(&again, "lstKurwi")->selectedItems().isEmpty());
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
