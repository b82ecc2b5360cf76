#include "data/RationState.h"
#include "engine/Composition.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// "Расчитать" through the real worksheet: the group limits come through its
// data control, and the boxes, the sum and "Далее" follow the composition.
class tst_composition_screen : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::TempWorkDir> m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        TestSupport::pinRussianLocale();
        m_dir = std::make_unique<TestSupport::TempWorkDir>();
    }
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void click_data()
    {
        QTest::addColumn<bool>("vitamins");
        QTest::newRow("without the vitamins") << false;
        QTest::newRow("with the vitamins") << true;
    }
    void click()
    {
        QFETCH(bool, vitamins);
        TestSupport::FakePlatform fake;
        resetRation();
        const QStringList feeds = {"Кукуруза", "Пшеница", "Шрот подсолнечный", "Шрот соевый",
                                   "Известняк (известняковая мука)", "Ракушка кормовая", "Монокальцийфосфат",
                                   "Соль поваренная", "Премикс для кур-несушек и молодняка 1%"};
        RationState& s = ration();
        s.sKurwi = QStringLiteral("Куры-несушки промышленного стада");
        for (int i = 0; i < feeds.size(); ++i)
            s.sKorm[i] = feeds[i];
        s.iMaxKorm = std::int16_t(feeds.size() - 1);
        QWidget* sheet = Navigation::showRacion();
        QVERIFY(sheet);
        sheet->findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(vitamins);
        sheet->findChild<QPushButton*>(QStringLiteral("cmdS"))->click();
        QVERIFY2(fake.messages.isEmpty(), qPrintable(fake.messages.join('\n')));
        QCOMPARE(sheet->findChild<QLabel*>(QStringLiteral("lblSumWes"))->text(), QStringLiteral("100"));
        QVERIFY(sheet->findChild<QPushButton*>(QStringLiteral("cmdDalee"))->isEnabled());
        QCOMPARE(sheet->findChild<QLineEdit*>(QStringLiteral("txtWes(0)"))->text(), QStringLiteral("70,00"));
        QVERIFY(ration().SimplexKol >= 1.0f);   // the groups were read
    }
};

QTEST_MAIN(tst_composition_screen)
#include "tst_composition_screen.moc"
