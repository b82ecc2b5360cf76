#include "data/RationState.h"
#include "shell/MenuRules.h"
#include "support/TestSupport.h"
#include "wizard/frmKurwi.h"
#include "wizard/frmWiborRecept.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

// The category choice and the recipe-kind dialog, offscreen, on the default data.
class tst_kurwi : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempWorkDir> m_dir;
    std::unique_ptr<TestSupport::FakePlatform> m_platform;

    static QLabel* label1(QWidget* f) { return f->findChild<QLabel*>(QStringLiteral("Label1")); }
    static QPushButton* dalee(QWidget* f) { return f->findChild<QPushButton*>(QStringLiteral("cmdDalee")); }
    static QListWidget* lst(QWidget* f) { return f->findChild<QListWidget*>(QStringLiteral("lstKurwi")); }

private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        m_dir = std::make_unique<TestSupport::TempWorkDir>();
    }
    void init()
    {
        resetRation();
        menuRules().reset();
        m_platform = std::make_unique<TestSupport::FakePlatform>();
    }

    void firstTimeNothingIsChosen()
    {
        frmKurwi f;
        f.Form_Activate();
        QCOMPARE(label1(&f)->text(), QStringLiteral("Не выбрано"));
        QVERIFY(!dalee(&f)->isEnabled());
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QCOMPARE(lst(&f)->item(0)->text(), QStringLiteral("Бройлеры: рост (4-5 нед.)"));
    }

    void choiceIsKeptAfterClosing_data()
    {
        QTest::addColumn<bool>("click");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("chosen, closed, shown again") << true << "Перепела-несушки" << true;
        QTest::newRow("closed without a choice") << false << "Не выбрано" << false;
    }
    void choiceIsKeptAfterClosing()
    {
        QFETCH(bool, click);
        QFETCH(QString, shown);
        QFETCH(bool, enabled);
        {
            auto* f = new frmKurwi;
            f->show();
            f->Form_Activate();
            if (click) {
                lst(f)->setCurrentItem(lst(f)->findItems(shown, Qt::MatchExactly).value(0));
                QCOMPARE(label1(f)->text(), shown);
                QVERIFY(dalee(f)->isEnabled());
            }
            f->findChild<QPushButton*>(QStringLiteral("cmdZakrit"))->click();
            QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmKurwi again;
        again.Form_Activate();
        QCOMPARE(label1(&again)->text(), shown);
        QCOMPARE(dalee(&again)->isEnabled(), enabled);
        QVERIFY(lst(&again)->selectedItems().isEmpty());
    }

    void secondActivationRefillsTheList()
    {
        frmKurwi f;
        f.Form_Activate();
        const int n = lst(&f)->count();
        QVERIFY(n > 0);
        f.Form_Activate();
        QCOMPARE(lst(&f)->count(), n);
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
        ration().bRacion = kombikorm;   // the opposite of what should come out
        ration().bKombikorm = !kombikorm;
        frmWiborRecept dialog;
        QVERIFY(dialog.findChild<QRadioButton*>(QStringLiteral("optRacion"))->isChecked());
        if (kombikorm)
            dialog.findChild<QRadioButton*>(QStringLiteral("optKombikorm"))->setChecked(true);
        dialog.findChild<QPushButton*>(QStringLiteral("cmdWiborRacionOk"))->click();
        QCOMPARE(ration().bRacion, !kombikorm);
        QCOMPARE(ration().bKombikorm, kombikorm);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != &dialog)
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(tst_kurwi)
#include "tst_kurwi.moc"
