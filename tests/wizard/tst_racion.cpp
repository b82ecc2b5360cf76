#include "data/RationState.h"
#include "engine/mdlRashet.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"
#include "wizard/frmRacion.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

// The worksheet through its real widgets, offscreen, on the default data.
class tst_racion : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempWorkDir> m_dir;
    std::unique_ptr<TestSupport::FakePlatform> m_platform;

    static QColor back(QWidget* w, QPalette::ColorRole role = QPalette::Window)
    {
        return w->palette().color(role);
    }

    // A fresh worksheet on the given feeds of the default data.
    frmRacion* open(const QStringList& feeds,
                    const QString& category = QStringLiteral("Бройлеры: старт (1-3 нед.)"))
    {
        RationState& s = ration();
        s.sKurwi = category;
        for (int i = 0; i < feeds.size(); ++i)
            s.sKorm[i] = feeds[i];
        s.iMaxKorm = std::int16_t(feeds.size() - 1);
        auto* sheet = qobject_cast<frmRacion*>(Navigation::showRacion());
        Q_ASSERT(sheet);
        return sheet;
    }
    template <class T = QWidget> T* find(QWidget* sheet, const QString& name)
    {
        T* w = sheet->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit* wes(QWidget* s, int i) { return find<QLineEdit>(s, QStringLiteral("txtWes(%1)").arg(i)); }
    QLabel* lbl(QWidget* s, const QString& name) { return find<QLabel>(s, name); }

    void type(QLineEdit* box, const QString& keys)
    {
        // The first key replaces the selection, as when the user types over.
        box->selectAll();
        QTest::keyClicks(box, keys);
    }

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
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!frmRacion::instance());
        m_platform.reset();
    }

    void activationShowsTheChosenRowsOnly()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        QVERIFY(wes(s, 1)->isVisible());
        QVERIFY(!wes(s, 2)->isVisible());
        QCOMPARE(lbl(s, "lbl_2(0)")->text(), QStringLiteral("Пшеница"));
        QCOMPARE(lbl(s, "lblKuri(0)")->text(), QStringLiteral("Бройлеры: старт (1-3 нед.)"));
        QCOMPARE(lbl(s, "lblKuri(2)")->text(), QStringLiteral("23"));
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!find<QPushButton>(s, "cmdDalee")->isEnabled());
        QCOMPARE(find<QPushButton>(s, "cmdS")->text(), QStringLiteral("Расчитать"));
    }

    void workedExampleThroughTheWidgets()
    {
        frmRacion* s = open({QStringLiteral("Пшеница"), QStringLiteral("Шрот соевый")});
        // The example's figures: protein 12,5 and 20, requirement 15, tolerance 10.
        ration().DataKorm[1][2] = 20;
        ration().NormaKur[2] = 15;
        find<QComboBox>(s, "Combo1")->setEditText(QStringLiteral("10"));
        type(wes(s, 1), QStringLiteral("60"));
        type(wes(s, 0), QStringLiteral("40"));
        QCOMPARE(lbl(s, "lbl_1(2)")->text(), QStringLiteral("5"));
        QCOMPARE(lbl(s, "lblSum(1)")->text(), QStringLiteral("17"));
        QCOMPARE(lbl(s, "lblProcent(1)")->text(), QStringLiteral("13,3"));
        QCOMPARE(back(lbl(s, "lblProcent(1)")), QColor(255, 192, 192));
        QVERIFY(ration().bNarushenie);
        QCOMPARE(lbl(s, "lblSumWes")->text(), QStringLiteral("100"));
        QCOMPARE(back(lbl(s, "lblSumWes")), QColor(192, 255, 192));
        QVERIFY(find<QPushButton>(s, "cmdDalee")->isEnabled());
        QVERIFY(menuRules().isEnabled(MenuItem::SaveR));
    }

    void typedSumsAreCut_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("150 with one feed becomes 100") << QStringList{"150"} << QStringList{"100"};
        QTest::newRow("60 and 50 make the second 40") << QStringList{"60", "50"} << QStringList{"60", "40"};
        QTest::newRow("a typed point becomes a comma") << QStringList{"12.5"} << QStringList{"12,5"};
        QTest::newRow("letters typed are dropped") << QStringList{"1x2"} << QStringList{"12"};
    }
    void typedSumsAreCut()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, shown);
        frmRacion* s = open(QStringList{QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")}.mid(0, typed.size()));
        for (int i = 0; i < typed.size(); ++i)
            type(wes(s, i), typed[i]);
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(wes(s, i)->text(), shown[i]);
        QVERIFY(m_platform->messages.isEmpty());
    }

    void emptyAndNegativeBecomeZeroLettersAreRefused()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        type(wes(s, 0), QStringLiteral("20"));
        wes(s, 0)->selectAll();
        QTest::keyClick(wes(s, 0), Qt::Key_Backspace);
        QCOMPARE(wes(s, 0)->text(), QStringLiteral("0"));
        wes(s, 0)->setText(QStringLiteral("-5"));   // pasted
        QCOMPARE(wes(s, 0)->text(), QStringLiteral("0"));
        QVERIFY(m_platform->messages.isEmpty());
        wes(s, 0)->setText(QStringLiteral("abc"));
        QCOMPARE(wes(s, 0)->text(), QStringLiteral("abc"));
        QCOMPARE(m_platform->messages, QStringList{QStringLiteral("Проверте правильность ввода числа")});
    }

    void keyFilter_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("passed");
        QTest::newRow("digit") << int('7') << int('7');
        QTest::newRow("point becomes comma") << int('.') << int(',');
        QTest::newRow("comma stays comma") << int(',') << int(',');
        QTest::newRow("backspace") << 8 << 8;
        QTest::newRow("minus dropped") << int('-') << 0;
        QTest::newRow("letter dropped") << int(QChar(u'ж').unicode()) << 0;
    }
    void keyFilter()
    {
        QFETCH(int, typed);
        QFETCH(int, passed);
        QCOMPARE(frmRacion::Only_Number(typed), passed);
    }

    void spinSteps_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("after");
        QTest::newRow("up 0 -> 0,1") << "0" << true << "0,1";
        QTest::newRow("up 0,9 -> 1") << "0,9" << true << "1";
        QTest::newRow("up 1 -> 2") << "1" << true << "2";
        QTest::newRow("up 10 -> 11") << "10" << true << "11";
        QTest::newRow("down 1 -> 0,9") << "1" << false << "0,9";
        QTest::newRow("down 1,5 -> 0,5") << "1,5" << false << "0,5";
        QTest::newRow("down 2 -> 1") << "2" << false << "1";
        QTest::newRow("down 0 stays 0") << "0" << false << "0";
        QTest::newRow("down 0,05 -> 0") << "0,05" << false << "0";
    }
    void spinSteps()
    {
        QFETCH(QString, before);
        QFETCH(bool, up);
        QFETCH(QString, after);
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        wes(s, 0)->setText(before);
        auto* spin = find<SpinButton>(s, QStringLiteral("SpinButton(0)"));
        (up ? spin->upArrow() : spin->downArrow())->click();
        QCOMPARE(wes(s, 0)->text(), after);
    }

    void upArrowRestsAtHundredDownStillWorks()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        type(wes(s, 0), QStringLiteral("100"));
        auto* spin = find<SpinButton>(s, QStringLiteral("SpinButton(0)"));
        spin->upArrow()->click();
        QCOMPARE(wes(s, 0)->text(), QStringLiteral("100"));
        spin->downArrow()->click();
        QCOMPARE(wes(s, 0)->text(), QStringLiteral("99"));
        QCOMPARE(back(lbl(s, "lblSumWes")), QColor(255, 192, 192));
        QVERIFY(!find<QPushButton>(s, "cmdDalee")->isEnabled());
    }

    void limitsColourTheRowAndTheGroup()
    {
        // Кукуруза may take 70, Пшеница 60; the grain group 75.
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"), QStringLiteral("Мел кормовой")});
        type(wes(s, 2), QStringLiteral("5"));
        type(wes(s, 0), QStringLiteral("70"));
        QCOMPARE(back(lbl(s, "lbl_1(0)")), QApplication::palette().color(QPalette::Button));
        QCOMPARE(back(wes(s, 0), QPalette::Base), QColor(Qt::white));
        type(wes(s, 0), QStringLiteral("71"));
        QCOMPARE(back(lbl(s, "lbl_1(0)")), QColor(255, 192, 192));
        type(wes(s, 0), QStringLiteral("70"));
        type(wes(s, 1), QStringLiteral("5"));
        QCOMPARE(back(wes(s, 0), QPalette::Base), QColor(Qt::white));
        type(wes(s, 1), QStringLiteral("6"));
        QCOMPARE(back(wes(s, 0), QPalette::Base), QColor(255, 192, 192));
        QCOMPARE(back(wes(s, 1), QPalette::Base), QColor(255, 192, 192));
        QCOMPARE(back(wes(s, 2), QPalette::Base), QColor(Qt::white));
    }

    void toleranceThatIsNoNumberIsRefused()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        auto* combo = find<QComboBox>(s, "Combo1");
        combo->setEditText(QStringLiteral("15"));
        Q_EMIT combo->lineEdit()->editingFinished();
        combo->setEditText(QStringLiteral("пять"));
        Q_EMIT combo->lineEdit()->editingFinished();
        QCOMPARE(m_platform->messages, QStringList{QStringLiteral("Проверте правильность ввода числа")});
        QCOMPARE(combo->currentText(), QStringLiteral("15"));
        type(wes(s, 0), QStringLiteral("100"));
        QCOMPARE(ration().cyPogr, Fixed4::fromInt(15));
    }

    void backAndForwardRestoresTheWeights()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        type(wes(s, 0), QStringLiteral("12,50"));
        type(wes(s, 1), QStringLiteral("30"));
        const QString total = lbl(s, "lblSum(0)")->text();
        QPointer<frmRacion> first(s);
        find<QPushButton>(s, "cmdNasad")->click();
        QCOMPARE(ration().SaveWes[0], Fixed4::fromRaw(125000));
        QVERIFY(ration().bNazad);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QWidget* basa = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmBasa") && w->isVisible())
                basa = w;
        QVERIFY(basa);
        basa->findChild<QPushButton*>(QStringLiteral("cmdDalee"))->click();
        frmRacion* again = frmRacion::instance();
        QVERIFY(!first);   // closed by "Назад"; this is a new worksheet
        QVERIFY(again);
        QCOMPARE(wes(again, 0)->text(), QStringLiteral("12,5"));
        QCOMPARE(wes(again, 1)->text(), QStringLiteral("30"));
        QCOMPARE(lbl(again, "lblSum(0)")->text(), total);
        QVERIFY(!ration().bNazad);
    }

    void openingACalculationSkipsTheGroupCheckWhileWeightsAreWritten()
    {
        ration().bOpenKalk = true;
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница")});
        QVERIFY(ration().bOpenKalk);
        wes(s, 0)->setText(QStringLiteral("50"));
        wes(s, 1)->setText(QStringLiteral("50"));
        QCOMPARE(back(wes(s, 0), QPalette::Base), QColor(Qt::white));
        QCOMPARE(lbl(s, "lblSumWes")->text(), QStringLiteral("100"));
        QTRY_VERIFY(!ration().bOpenKalk);
        wes(s, 1)->setText(QStringLiteral("49"));
        QCOMPARE(back(wes(s, 0), QPalette::Base), QColor(255, 192, 192));
    }

    void namesNotFoundAreReported()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза"), QStringLiteral("Нет такого корма")});
        QCOMPARE(m_platform->messages.size(), 1);
        QVERIFY(m_platform->messages.first().contains(QStringLiteral("Нет такого корма")));
        // Nothing made up for it: its contributions show the dash.
        type(wes(s, 1), QStringLiteral("10"));
        QCOMPARE(lbl(s, "lbl_2(1)")->text(), mdlRashet::kUndefined);
        QCOMPARE(lbl(s, "lblProcent(0)")->text(), mdlRashet::kUndefined);
    }

    void dalleeChecksTheDailyRequirement_data()
    {
        QTest::addColumn<QVariant>("daily");
        QTest::newRow("zero") << QVariant(0);
        QTest::newRow("empty text") << QVariant(QString());
        QTest::newRow("null") << QVariant();
    }
    void dalleeChecksTheDailyRequirement()
    {
        QFETCH(QVariant, daily);
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        type(wes(s, 0), QStringLiteral("100"));
        ration().NormaKur[9] = daily;
        find<QPushButton>(s, "cmdDalee")->click();
        QCOMPARE(m_platform->messages,
                 QStringList{QStringLiteral("Для расчета рациона введите в базу данных суточную потребность птицы в О/Э")});
        QVERIFY(s->isVisible());
        QVERIFY(!menuRules().isEnabled(MenuItem::Vargo));   // the poultry editor is open
    }

    void recipeDialogClosedByEscShowsTheWorksheetAgain()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        type(wes(s, 0), QStringLiteral("100"));
        bool sawHidden = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            sawHidden = !s->isVisible();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        find<QPushButton>(s, "cmdDalee")->click();
        QVERIFY(sawHidden);
        QVERIFY(s->isVisible());
        QVERIFY(m_platform->messages.isEmpty());
    }

    void closingSwitchesTheMenus()
    {
        frmRacion* s = open({QStringLiteral("Кукуруза")});
        type(wes(s, 0), QStringLiteral("10"));
        QVERIFY(menuRules().isEnabled(MenuItem::SaveR));
        find<QPushButton>(s, "cmdExit")->click();
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveR));
        QVERIFY(!frmRacion::instance());
    }
};

QTEST_MAIN(tst_racion)
#include "tst_racion.moc"
