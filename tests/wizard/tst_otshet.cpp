#include "data/RationState.h"
#include "shell/MenuRules.h"
#include "shell/Navigation.h"
#include "support/TestSupport.h"
#include "wizard/frmOtshet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

// The report sheet over a stand-in worksheet. The quantity box's refusals
// and corrections are rows of the bad-input table (tst_bad_input).
namespace {

// Stands in for the hidden worksheet: the weight boxes and the energy total the report sheet reads.
class FakeWorksheet : public QWidget {
public:
    explicit FakeWorksheet(const QStringList& weights = {}, const QString& energy = u"280"_s)
    {
        for (int i = 0; i < 10; ++i)
            (new QLineEdit(weights.value(i, u"0"_s), this))->setObjectName(u"txtWes(%1)"_s.arg(i));
        (new QLabel(energy, this))->setObjectName(u"lblSum(0)"_s);
    }
};

QStringList texts(QWidget* w, const QStringList& names)
{
    QStringList out;
    for (const QString& name : names) {
        auto* box = w->findChild<QLineEdit*>(name);
        out << (box ? box->text() : w->findChild<QLabel*>(name)->text());
    }
    return out;
}

QLineEdit* text1(QWidget* w) { return w->findChild<QLineEdit*>(u"Text1"_s); }

// The ration state for feeds "Корм 0".."Корм n-1" of a category needing 300 a day.
void setRation(int feeds, bool racion)
{
    RationState& r = ration();
    r.iMaxKorm = std::int16_t(feeds - 1);
    for (int i = 0; i < feeds; ++i)
        r.sKorm[i] = u"Корм %1"_s.arg(i);
    r.sKurwi = u"Куры-несушки"_s;
    r.NormaKur[9] = 300;
    r.bRacion = racion;
    r.bKombikorm = !racion;
}

} // namespace

class tst_otshet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }
    void init()
    {
        resetRation();
        menuRules().reset();
        frmOtshet::iKolGolov = 0;
    }

    void amounts_data()
    {
        QTest::addColumn<bool>("racion");
        QTest::addColumn<QStringList>("weights");
        QTest::addColumn<QString>("energy");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QStringList>("amounts");   // the feeds' amounts, then the total
        const QStringList two{u"60"_s, u"40"_s};
        QTest::newRow("ration for 100 birds")
            << true << two << u"280"_s << u"100"_s << QStringList{u"6428,57"_s, u"4285,71"_s, u"10714,3"_s};
        QTest::newRow("compound feed, 2 t")
            << false << two << u"280"_s << u"2"_s << QStringList{u"1200"_s, u"800"_s, u"107,1"_s};
        QTest::newRow("compound rounds before times ten")
            << false << QStringList{u"33,33"_s} << u"280"_s << u"3"_s << QStringList{u"999,9"_s, u"107,1"_s};
        // 0,016 × 300 / 300 shows 0,02 three times: the total of what is shown
        // is 0,06 -> "0,1", where the exact amounts would give 0,048 -> "0,0".
        QTest::newRow("ration total sums the rounded amounts")
            << true << QStringList(3, u"0,016"_s) << u"300"_s << u"1"_s
            << QStringList{u"0,02"_s, u"0,02"_s, u"0,02"_s, u"0,1"_s};
        QTest::newRow("energy not a number") << true << two << u"—"_s << u"5"_s << QStringList(3, u"—"_s);
        QTest::newRow("compound without energy keeps its amounts")
            << false << two << u"0"_s << u"2"_s << QStringList{u"1200"_s, u"800"_s, u"—"_s};
        QTest::newRow("largest quantity")
            << false << QStringList{u"100"_s} << u"280"_s << u"32767"_s << QStringList{u"32767000"_s, u"107,1"_s};
    }
    void amounts()
    {
        QFETCH(bool, racion);
        QFETCH(QStringList, weights);
        QFETCH(QString, energy);
        QFETCH(QString, quantity);
        QFETCH(QStringList, amounts);
        setRation(int(weights.size()), racion);
        FakeWorksheet sheet(weights, energy);
        frmOtshet form(&sheet);
        form.Form_Activate();
        text1(&form)->setText(quantity);
        QStringList names{u"lblObqiWes"_s}, expected = amounts.mid(amounts.size() - 1);
        for (int i = 0; i < weights.size(); ++i) {
            names << u"lblWes(%1)"_s.arg(i) << u"lblGramm(%1)"_s.arg(i) << u"lbl_1(%1)"_s.arg(i);
            expected << amounts[i] << (racion ? u"грамм"_s : u"кг"_s) << ration().sKorm[i];
        }
        names << u"Label1"_s << u"Label2"_s << u"Label6"_s << u"Label3"_s;
        expected << (racion ? u"Рацион для кормления"_s : u"Комбикорм для"_s) << (racion ? u"едениц(цы)"_s : u"т"_s)
                 << u"300"_s << u"Куры-несушки"_s;
        QCOMPARE(texts(&form, names), expected);
    }

    void onlyTheChosenRowsShow()
    {
        setRation(3, true);
        FakeWorksheet sheet({u"50"_s, u"30"_s, u"20"_s});
        frmOtshet form(&sheet);
        form.show();
        form.Form_Activate();
        for (int i = 0; i < 10; ++i)
            for (const char* name : {"lbl_1", "lblWes", "lblGramm"})
                QCOMPARE(form.findChild<QLabel*>(u"%1(%2)"_s.arg(QLatin1String(name)).arg(i))->isVisible(), i <= 2);
    }

    // What the keyboard can put into the quantity box, up to 32767.
    void quantityKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        QTest::newRow("minus dropped") << u"-12"_s << u"12"_s;
        QTest::newRow("separators dropped") << u"1,5.2"_s << u"152"_s;
        QTest::newRow("32767 itself") << u"32767"_s << u"32767"_s;
        QTest::newRow("six digits cut") << u"123456"_s << u"12345"_s;
    }
    void quantityKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, result);
        setRation(1, true);
        FakeWorksheet sheet;
        frmOtshet form(&sheet);
        text1(&form)->selectAll();
        QTest::keyClicks(text1(&form), keys);
        QCOMPARE(text1(&form)->text(), result);
        QCOMPARE(int(frmOtshet::iKolGolov), result.toInt());
    }

    // "Назад" keeps the quantity for the next sheet and gives the worksheet its
    // menu back; "Закрыть" closes both and lets a new calculation begin.
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Назад") << u"cmdNazad"_s;
        QTest::newRow("Закрыть") << u"Command1"_s;
    }
    void buttons()
    {
        QFETCH(QString, button);
        setRation(1, true);
        FakeWorksheet sheet;
        menuRules().report(MenuEvent::RacionWeightChanged);
        menuRules().report(MenuEvent::RacionActivated);
        QPointer<frmOtshet> form = new frmOtshet(&sheet);
        form->show();
        form->Form_Activate();
        text1(form)->setText(u"250"_s);
        QVERIFY(menuRules().isEnabled(MenuItem::SaveRacion));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveR) && !menuRules().isEnabled(MenuItem::Racion));
        form->findChild<QPushButton*>(button)->click();
        QTRY_VERIFY(form.isNull());   // closed and deleted
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveRacion));
        QVERIFY(menuRules().isEnabled(button == "cmdNazad"_L1 ? MenuItem::SaveR : MenuItem::Racion));
        if (button == "cmdNazad"_L1)
            QCOMPARE(text1(std::make_unique<frmOtshet>(&sheet).get())->text(), u"250"_s);
    }
};

QTEST_MAIN(tst_otshet)
#include "tst_otshet.moc"
