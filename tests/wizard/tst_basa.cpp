#include "data/RationState.h"
#include "shell/MDIForm1.h"
#include "shell/Navigation.h"
#include "support/UiSupport.h"

using namespace UiSupport;

// The feed selection through its real widgets, offscreen, on the default data.
class tst_basa : public QObject {
    Q_OBJECT

    static QList<int> saved(qsizetype n)
    {
        QList<int> w;
        for (int i = 0; i < n; ++i)
            w << int(ration().SaveWes[i].raw() / Fixed4::Scale);
        return w;
    }

private Q_SLOTS:
    void initTestCase() { startUi(); }

    // Back from a worksheet that had these feeds and weights, inside the main
    // window; then feeds are moved back ("-row") or added ("+name") with the
    // arrows, and the saved weights must follow their feeds. After a move
    // nothing is selected, so a second click of the arrow moves nothing.
    // "Назад" and "Далее" of the category screen show the new choice.
    void returningKeepsWeightsInStep_data()
    {
        QTest::addColumn<int>("feeds");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("first of three moved back") << 3 << QStringList{"-0"} << QList<int>{35, 25, 0};
        QTest::newRow("second of three moved back") << 3 << QStringList{"-1"} << QList<int>{40, 25, 0};
        QTest::newRow("two of ten moved back")
            << 10 << QStringList{"-9", "-0"} << QList<int>{35, 25, 10, 9, 8, 7, 6, 5, 0, 0};
        // The slot beyond the chosen feeds still holds an earlier worksheet's weight.
        QTest::newRow("feed added starts at zero") << 2 << QStringList{"+Мел кормовой"} << QList<int>{40, 35, 0};
    }
    void returningKeepsWeightsInStep()
    {
        QFETCH(int, feeds);
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, expected);
        Fresh fresh;
        QStringList names = {"Кукуруза", "Пшеница", "Ячмень", "Овес", "Просо",
                             "Сорго", "Тритикале", "Рожь", "Горох", "Мел кормовой"};
        const QList<int> weights = {40, 35, 25, 10, 9, 8, 7, 6, 5, 4};
        RationState& s = ration();
        for (int i = 0; i < 10; ++i) {
            s.sKorm[i] = names[i];
            s.SaveWes[i] = Fixed4::fromInt(i < feeds ? weights[i] : 77);
        }
        s.iMaxKorm = std::int16_t(feeds - 1);
        s.bNazad = true;
        s.sKurwi = kBroilers;
        names = names.mid(0, feeds);

        MDIForm1 w;
        w.show();
        Navigation::showBasa();
        QWidget* f = liveScreen("frmBasa");
        auto* left = find<QListWidget>(f, "lstBasa");
        auto* chosen = find<QListWidget>(f, "lstWibor");
        QCOMPARE(itemTexts(chosen), names);
        for (const QString& name : names)
            QVERIFY(left->findItems(name, Qt::MatchExactly).isEmpty());
        QVERIFY(find<QPushButton>(f, "cmdDalee")->isEnabled());
        for (const QString& step : steps) {
            const bool add = step.startsWith('+');
            const QString name = add ? step.mid(1) : names.at(step.mid(1).toInt());
            chooseFrom(add ? left : chosen, name);
            QWidget* arrow = find(f, add ? "lblWibrat" : "lblUdalit");
            QTest::mouseClick(arrow, Qt::LeftButton);
            add ? names.append(name) : void(names.removeOne(name));
            const QStringList leftBefore = itemTexts(left);
            QTest::mouseClick(arrow, Qt::LeftButton);
            QCOMPARE(itemTexts(chosen), names);
            QCOMPARE(itemTexts(left), leftBefore);
            QVERIFY(left->selectedItems().isEmpty() && chosen->selectedItems().isEmpty());
        }
        QCOMPARE(saved(expected.size()), expected);

        QTest::mouseClick(find<QPushButton>(f, "cmdNasad"), Qt::LeftButton);
        settle();
        QTest::mouseClick(find<QPushButton>(liveScreen("frmKurwi"), "cmdDalee"), Qt::LeftButton);
        settle();
        QCOMPARE(itemTexts(find<QListWidget>(liveScreen("frmBasa"), "lstWibor")), names);
        w.close();
    }

    // The keyboard on the screen inside the main window: keys pressed on the
    // focused widget, starting in one of the lists on its second entry.
    void keysMoveFeeds_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QList<Qt::Key>>("keys");
        QTest::addColumn<QString>("moved");   // "right", "left" or ""
        QTest::newRow("Enter on the left list") << "lstBasa" << QList{Qt::Key_Return} << "right";
        QTest::newRow("Right on the left list") << "lstBasa" << QList{Qt::Key_Right} << "right";
        QTest::newRow("Left on the left list") << "lstBasa" << QList{Qt::Key_Left} << "";
        QTest::newRow("Tab to the right arrow, Enter") << "lstBasa" << QList{Qt::Key_Tab, Qt::Key_Return} << "right";
        QTest::newRow("Tab to the right arrow, Space") << "lstBasa" << QList{Qt::Key_Tab, Qt::Key_Space} << "right";
        QTest::newRow("Enter on the right list") << "lstWibor" << QList{Qt::Key_Return} << "left";
        QTest::newRow("Left on the right list") << "lstWibor" << QList{Qt::Key_Left} << "left";
        QTest::newRow("Right on the right list") << "lstWibor" << QList{Qt::Key_Right} << "";
        QTest::newRow("Shift+Tab to the left arrow, Enter")
            << "lstWibor" << QList{Qt::Key_Backtab, Qt::Key_Return} << "left";
    }
    void keysMoveFeeds()
    {
        QFETCH(QString, list);
        QFETCH(QList<Qt::Key>, keys);
        QFETCH(QString, moved);
        Fresh fresh;
        MDIForm1 w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        RationState& s = ration();
        s.sKorm[0] = "Кукуруза";
        s.sKorm[1] = "Пшеница";
        s.iMaxKorm = 1;
        s.bNazad = true;
        Navigation::showBasa();
        QWidget* f = liveScreen("frmBasa");
        QVERIFY(f && w.isAncestorOf(f));
        auto* left = find<QListWidget>(f, "lstBasa");
        auto* right = find<QListWidget>(f, "lstWibor");
        const QStringList leftBefore = itemTexts(left), rightBefore = itemTexts(right);

        auto* start = find<QListWidget>(f, list);
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Down);   // the focus came on the first entry: the second is selected
        for (Qt::Key k : keys)
            QTest::keyClick(QApplication::focusWidget(), k);

        QStringList leftAfter = leftBefore, rightAfter = rightBefore;
        if (moved == "right")
            rightAfter << leftAfter.takeAt(1);
        if (moved == "left")
            leftAfter << rightAfter.takeAt(1);
        QCOMPARE(itemTexts(right), rightAfter);
        QCOMPARE(itemTexts(left).size(), leftAfter.size());
        QCOMPARE(itemTexts(left).contains("Пшеница"), moved == "left");
        QVERIFY(fresh.fake.messages.isEmpty());
    }
};

QTEST_MAIN(tst_basa)
#include "tst_basa.moc"
