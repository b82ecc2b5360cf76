#include "data/RationState.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"
#include "wizard/frmBasa.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

// The feed selection through its real widgets, offscreen, on the default data.
class tst_basa : public QObject {
    Q_OBJECT

    std::unique_ptr<TestSupport::TempWorkDir> m_dir;
    std::unique_ptr<TestSupport::FakePlatform> m_platform;

    static QListWidget* list(frmBasa& f, const char* name) { return f.findChild<QListWidget*>(QLatin1String(name)); }
    static QStringList texts(QListWidget* l)
    {
        QStringList t;
        for (int i = 0; i < l->count(); ++i)
            t << l->item(i)->text();
        return t;
    }
    static void choose(frmBasa& f, const QString& name)
    {
        QListWidget* basa = list(f, "lstBasa");
        basa->setCurrentItem(basa->findItems(name, Qt::MatchExactly).value(0));
        f.lblWibrat_Click();
    }
    static void removeChosen(frmBasa& f, int row)
    {
        list(f, "lstWibor")->setCurrentRow(row);
        f.lblUdalit_Click();
    }
    // Comes back from a worksheet that had these feeds and weights.
    static void returnFrom(const QStringList& feeds, const QList<int>& weights)
    {
        RationState& s = ration();
        for (int i = 0; i < feeds.size(); ++i) {
            s.sKorm[i] = feeds[i];
            s.SaveWes[i] = Fixed4::fromInt(weights[i]);
        }
        s.iMaxKorm = std::int16_t(feeds.size() - 1);
        s.bNazad = true;
    }
    static QList<int> saved(int n)
    {
        QList<int> w;
        for (int i = 0; i < n; ++i)
            w << int(ration().SaveWes[i].raw() / Fixed4::Scale);
        return w;
    }

    // Screens delete themselves when closed, so they live on the heap; the
    // cleanup closes whatever is still open.
    static frmBasa& make()
    {
        auto* f = new frmBasa;
        f->show();
        return *f;
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
        m_platform.reset();
    }

    void eleventhFeedIsRefused()
    {
        frmBasa& f = make();
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        for (int i = 0; i < 10; ++i) {
            list(f, "lstBasa")->setCurrentRow(0);
            f.lblWibrat_Click();
        }
        const QStringList left = texts(list(f, "lstBasa"));
        const QStringList chosen = texts(list(f, "lstWibor"));
        QCOMPARE(chosen.size(), 10);
        list(f, "lstBasa")->setCurrentRow(0);
        f.lblWibrat_Click();
        QCOMPARE(m_platform->messages, QStringList{QStringLiteral("Извените, не больше 10 видов кормов")});
        QCOMPARE(texts(list(f, "lstBasa")), left);
        QCOMPARE(texts(list(f, "lstWibor")), chosen);
    }

    void doubleClicksMoveLikeTheArrows()
    {
        frmBasa& f = make();
        f.show();
        QListWidget* basa = list(f, "lstBasa");
        QListWidgetItem* corn = basa->findItems(QStringLiteral("Кукуруза"), Qt::MatchExactly).value(0);
        basa->setCurrentItem(corn);
        Q_EMIT basa->itemDoubleClicked(corn);
        QCOMPARE(texts(list(f, "lstWibor")), QStringList{QStringLiteral("Кукуруза")});
        QVERIFY(f.findChild<QPushButton*>(QStringLiteral("cmdDalee"))->isEnabled());
        QListWidget* chosen = list(f, "lstWibor");
        chosen->setCurrentRow(0);
        Q_EMIT chosen->itemDoubleClicked(chosen->item(0));
        QCOMPARE(chosen->count(), 0);
        QVERIFY(!f.findChild<QPushButton*>(QStringLiteral("cmdDalee"))->isEnabled());
        // Back at its place in the alphabetical list.
        const QStringList left = texts(basa);
        QStringList sorted = left;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(left, sorted);
    }

    void returningShowsTheChoiceAndKeepsWeightsInStep_data()
    {
        QTest::addColumn<int>("feeds");
        QTest::addColumn<QList<int>>("removeRows");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("first of three moved back") << 3 << QList<int>{0} << QList<int>{35, 25, 0};
        QTest::newRow("second of three moved back") << 3 << QList<int>{1} << QList<int>{40, 25, 0};
        QTest::newRow("two of ten moved back")
            << 10 << QList<int>{9, 0} << QList<int>{35, 25, 10, 9, 8, 7, 6, 5, 0, 0};
    }
    void returningShowsTheChoiceAndKeepsWeightsInStep()
    {
        QFETCH(int, feeds);
        QFETCH(QList<int>, removeRows);
        QFETCH(QList<int>, expected);
        const QStringList all = {"Кукуруза", "Пшеница", "Ячмень", "Овес", "Просо",
                                 "Сорго", "Тритикале", "Рожь", "Горох", "Мел кормовой"};
        const QList<int> weights = {40, 35, 25, 10, 9, 8, 7, 6, 5, 4};
        returnFrom(all.mid(0, feeds), weights.mid(0, feeds));
        frmBasa& f = make();
        QCOMPARE(texts(list(f, "lstWibor")), all.mid(0, feeds));
        for (const QString& name : all.mid(0, feeds))
            QVERIFY(list(f, "lstBasa")->findItems(name, Qt::MatchExactly).isEmpty());
        QVERIFY(f.findChild<QPushButton*>(QStringLiteral("cmdDalee"))->isEnabled());
        for (int row : removeRows)
            removeChosen(f, row);
        QCOMPARE(saved(feeds), expected);
    }

    void feedAddedAfterAReturnStartsAtZero()
    {
        // A slot beyond the chosen feeds still holds a weight of an earlier worksheet.
        returnFrom({"Кукуруза", "Пшеница"}, {60, 40});
        ration().SaveWes[2] = Fixed4::fromInt(77);
        frmBasa& f = make();
        choose(f, QStringLiteral("Ячмень"));
        QCOMPARE(saved(3), (QList<int>{60, 40, 0}));
    }

    void backCopiesTheNamesWithTheirCount()
    {
        returnFrom({"Кукуруза", "Пшеница", "Ячмень"}, {40, 35, 25});
        frmBasa& f = make();
        removeChosen(f, 0);
        f.findChild<QPushButton*>(QStringLiteral("cmdNasad"))->click();
        // The category screen came up; close it without choosing again.
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmBasa& again = make();
        QCOMPARE(texts(list(again, "lstWibor")), (QStringList{"Пшеница", "Ячмень"}));
    }

    void forwardStoresTheChoice()
    {
        frmBasa& f = make();
        choose(f, QStringLiteral("Овес"));
        choose(f, QStringLiteral("Кукуруза"));
        f.findChild<QPushButton*>(QStringLiteral("cmdDalee"))->click();
        QCOMPARE(ration().iMaxKorm, std::int16_t(1));
        QCOMPARE(ration().sKorm[0], QStringLiteral("Овес"));
        QCOMPARE(ration().sKorm[1], QStringLiteral("Кукуруза"));
        QVERIFY(Navigation::racion());
    }
};

QTEST_MAIN(tst_basa)
#include "tst_basa.moc"
