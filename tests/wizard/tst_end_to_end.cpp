#include "data/NumText.h"
#include "data/RationState.h"
#include "data/TextFile.h"
#include "files/CalcFile.h"
#include "files/LastDirs.h"
#include "shell/MDIForm1.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"
#include "wizard/frmOtshet.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// One calculation along the whole road, through the real screens inside the
// main window: category, feeds, worksheet, recipe kind, report sheet, the
// text report, the calculation file, and the file opened again.
namespace {

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// The live screen of that name (closed ones may wait for deletion).
QWidget* screen(MDIForm1& w, const QString& name)
{
    for (QWidget* s : w.findChildren<QWidget*>(name))
        if (s->isVisible())
            return s;
    return nullptr;
}

template <typename T>
T* child(QWidget* parent, const QString& name)
{
    return parent ? parent->findChild<T*>(name) : nullptr;
}

QAction* action(MDIForm1& w, const char* name)
{
    return w.findChild<QAction*>(QLatin1String(name));
}

void chooseFrom(QListWidget* list, const QString& text)
{
    const auto items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
}

void type(QLineEdit* box, const QString& text)
{
    QVERIFY(box);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

QStringList texts(QWidget* parent, const QString& pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const QString name = pattern.arg(i);
        if (auto* e = child<QLineEdit>(parent, name))
            out << e->text();
        else if (auto* l = child<QLabel>(parent, name))
            out << l->text();
        else
            out << QString();
    }
    return out;
}

} // namespace

class tst_end_to_end : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    void wholeRoad()
    {
        TestSupport::TempWorkDir dir;
        TestSupport::FakePlatform fake;
        resetRation();
        menuRules().reset();
        LastDirs::reset();
        frmOtshet::iKolGolov = 0;
        MDIForm1 w;
        w.show();

        // "Новый расчет", a category.
        QVERIFY(action(w, "mnuNRaschet")->isEnabled());
        action(w, "mnuNRaschet")->trigger();
        settle();
        QWidget* kurwi = screen(w, QStringLiteral("frmKurwi"));
        QVERIFY(kurwi);
        const QString category = QStringLiteral("Бройлеры: старт (1-3 нед.)");
        chooseFrom(child<QListWidget>(kurwi, QStringLiteral("lstKurwi")), category);
        child<QPushButton>(kurwi, QStringLiteral("cmdDalee"))->click();
        settle();
        QCOMPARE(ration().sKurwi, category);

        // Two feeds of different groups.
        QWidget* basa = screen(w, QStringLiteral("frmBasa"));
        QVERIFY(basa);
        const QStringList feeds{QStringLiteral("Кукуруза"), QStringLiteral("Шрот соевый")};
        for (const QString& feed : feeds) {
            chooseFrom(child<QListWidget>(basa, QStringLiteral("lstBasa")), feed);
            QTest::mouseClick(child<QWidget>(basa, QStringLiteral("lblWibrat")), Qt::LeftButton);
        }
        child<QPushButton>(basa, QStringLiteral("cmdDalee"))->click();
        settle();

        // The worksheet: "Расчитать", then the weights by hand.
        QWidget* racion = screen(w, QStringLiteral("frmRacion"));
        QVERIFY(racion);
        QCOMPARE(ration().iMaxKorm, std::int16_t(1));
        child<QPushButton>(racion, QStringLiteral("cmdS"))->click();
        settle();
        const int messagesBefore = int(fake.messages.size());   // whatever "Расчитать" had to say
        type(child<QLineEdit>(racion, QStringLiteral("txtWes(0)")), QStringLiteral("0"));
        type(child<QLineEdit>(racion, QStringLiteral("txtWes(1)")), QStringLiteral("0"));
        type(child<QLineEdit>(racion, QStringLiteral("txtWes(0)")), QStringLiteral("65.5"));
        type(child<QLineEdit>(racion, QStringLiteral("txtWes(1)")), QStringLiteral("34,5"));
        QCOMPARE(texts(racion, QStringLiteral("txtWes(%1)"), 2), QStringList({QStringLiteral("65,5"), QStringLiteral("34,5")}));
        QCOMPARE(child<QLabel>(racion, QStringLiteral("lblSumWes"))->text(), QStringLiteral("100"));
        const QStringList sums = texts(racion, QStringLiteral("lblSum(%1)"), 8);
        const QStringList procent = texts(racion, QStringLiteral("lblProcent(%1)"), 8);

        // "Далее", the recipe kind "Да" (a modal dialog), the report sheet.
        QPushButton* dalee = child<QPushButton>(racion, QStringLiteral("cmdDalee"));
        QVERIFY(dalee->isEnabled());
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (auto* yes = child<QPushButton>(modal, QStringLiteral("cmdWiborRacionOk"))) {
                    poll.stop();
                    answered = true;
                    yes->click();
                }
            }
        });
        poll.start(10);
        dalee->click();
        settle();
        QVERIFY(answered);
        QWidget* otshet = screen(w, QStringLiteral("frmOtshet"));
        QVERIFY(otshet);
        QVERIFY(!racion->isVisible());
        type(child<QLineEdit>(otshet, QStringLiteral("Text1")), QStringLiteral("100"));
        const QStringList amounts = texts(otshet, QStringLiteral("lblWes(%1)"), 2);
        const double energy = *NumText::toDouble(sums.at(0));
        QCOMPARE(amounts.at(0), NumText::format00(65.5 * 100 * 185 / energy));
        QVERIFY(!action(w, "mnuSaveR")->isEnabled());
        if (const QString shots = qEnvironmentVariable("RACION_SHOTS"); !shots.isEmpty())
            w.grab().save(shots + QStringLiteral("/end_to_end_otshet.png"));

        // "Записать рацион в файл...".
        QVERIFY(action(w, "mnuSaveRacion")->isEnabled());
        const QString report = dir.filePath(QStringLiteral("рацион бройлеров.txt"));
        fake.saveAnswers << report;
        action(w, "mnuSaveRacion")->trigger();
        const auto reportLines = TextFile::readLines(report);
        QVERIFY(reportLines);
        QCOMPARE(reportLines->size(), 15 + 2 * 2 + 2);
        QCOMPARE(reportLines->at(2), QStringLiteral("      Суточная потребность птицы в O/Э: 185 ккалл."));
        QCOMPARE(reportLines->at(8), QStringLiteral("       ") + procent.at(0) + QStringLiteral("    ") + procent.at(1)
                                         + QStringLiteral("       ") + procent.at(2) + QStringLiteral("      ")
                                         + procent.at(3) + QStringLiteral("        ") + procent.at(4)
                                         + QStringLiteral("   ") + procent.at(5) + QStringLiteral("    ")
                                         + procent.at(6) + QStringLiteral("    ") + procent.at(7));
        QCOMPARE(reportLines->at(11), QStringLiteral("      Рацион для кормления  ") + category
                                          + QStringLiteral(" в колличестве 100 едениц(цы)"));
        QCOMPARE(reportLines->at(15), QStringLiteral("      Кукуруза").leftJustified(47) + amounts.at(0)
                                          + QString(55 - 47 - amounts.at(0).size(), QLatin1Char(' ')) + QStringLiteral("грамм"));

        // "Назад" to the worksheet, "Сохранить расчет...", "Закрыть".
        child<QPushButton>(otshet, QStringLiteral("cmdNazad"))->click();
        settle();
        QVERIFY(!screen(w, QStringLiteral("frmOtshet")));
        QVERIFY(racion->isVisible());
        QVERIFY(action(w, "mnuSaveR")->isEnabled());
        QVERIFY(!action(w, "mnuSaveRacion")->isEnabled());
        const QString calc = dir.filePath(QStringLiteral("бройлеры"));
        fake.saveAnswers << calc;
        action(w, "mnuSaveR")->trigger();
        const auto calcLines = TextFile::readLines(calc + QStringLiteral(".kalk"));
        QVERIFY(calcLines);
        QCOMPARE(calcLines->size(), CalcFile::lineCount(2));
        QCOMPARE(calcLines->mid(46), QStringList({QStringLiteral("\"65,5\""), QStringLiteral("\"34,5\"")}));
        child<QPushButton>(racion, QStringLiteral("cmdExit"))->click();
        settle();
        QVERIFY(!Navigation::racion());
        QVERIFY(action(w, "mnuSRachet")->isEnabled());
        QVERIFY(!action(w, "mnuSaveR")->isEnabled());

        // "Открыть старый...": the worksheet comes back as it was saved.
        fake.openAnswers << calc + QStringLiteral(".kalk");
        action(w, "mnuSRachet")->trigger();
        settle();
        racion = screen(w, QStringLiteral("frmRacion"));
        QVERIFY(racion);
        QCOMPARE(texts(racion, QStringLiteral("txtWes(%1)"), 2), QStringList({QStringLiteral("65,5"), QStringLiteral("34,5")}));
        QCOMPARE(texts(racion, QStringLiteral("lblSum(%1)"), 8), sums);
        QCOMPARE(texts(racion, QStringLiteral("lblProcent(%1)"), 8), procent);
        QCOMPARE(texts(racion, QStringLiteral("lbl_%1(0)"), 3).mid(1), feeds);
        QVERIFY(!ration().bOpenKalk);
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        QCOMPARE(fake.messages.mid(messagesBefore), QStringList());
        w.close();
        settle();
    }
};

QTEST_MAIN(tst_end_to_end)
#include "tst_end_to_end.moc"
