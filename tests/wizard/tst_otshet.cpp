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

namespace {

// Stands in for the hidden worksheet: the weight boxes and the energy total
// the report sheet reads.
class FakeWorksheet : public QWidget {
public:
    FakeWorksheet()
    {
        for (int i = 0; i < 10; ++i) {
            auto* box = new QLineEdit(QStringLiteral("0"), this);
            box->setObjectName(QStringLiteral("txtWes(%1)").arg(i));
        }
        auto* sum = new QLabel(QStringLiteral("0"), this);
        sum->setObjectName(QStringLiteral("lblSum(0)"));
    }
    void set(const QStringList& weights, const QString& energy)
    {
        for (int i = 0; i < weights.size(); ++i)
            findChild<QLineEdit*>(QStringLiteral("txtWes(%1)").arg(i))->setText(weights.at(i));
        findChild<QLabel*>(QStringLiteral("lblSum(0)"))->setText(energy);
    }
};

QString text(QWidget* w, const QString& name)
{
    if (auto* l = w->findChild<QLabel*>(name))
        return l->text();
    if (auto* e = w->findChild<QLineEdit*>(name))
        return e->text();
    return QStringLiteral("<missing %1>").arg(name);
}

QLineEdit* text1(QWidget* w)
{
    return w->findChild<QLineEdit*>(QStringLiteral("Text1"));
}

void setRation(const QStringList& names, double dawat, bool racion)
{
    RationState& r = ration();
    r.iMaxKorm = std::int16_t(names.size() - 1);
    for (int i = 0; i < names.size(); ++i)
        r.sKorm[i] = names.at(i);
    r.sKurwi = QStringLiteral("Куры-несушки");
    r.NormaKur[9] = dawat;
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
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QString>("bottom");
        QTest::addColumn<QString>("unit");
        const QStringList two{QStringLiteral("60"), QStringLiteral("40")};
        QTest::newRow("ration for 100 birds") << true << two << QStringLiteral("280") << QStringLiteral("100")
                                              << QStringList{QStringLiteral("6428,57"), QStringLiteral("4285,71")}
                                              << QStringLiteral("10714,3") << QStringLiteral("грамм");
        QTest::newRow("compound feed, 2 t") << false << two << QStringLiteral("280") << QStringLiteral("2")
                                            << QStringList{QStringLiteral("1200"), QStringLiteral("800")}
                                            << QStringLiteral("107,1") << QStringLiteral("кг");
        QTest::newRow("compound rounds before times ten")
            << false << QStringList{QStringLiteral("33,33")} << QStringLiteral("280") << QStringLiteral("3")
            << QStringList{QStringLiteral("999,9")} << QStringLiteral("107,1") << QStringLiteral("кг");
        // 0,016 × 300 / 300 shows 0,02 three times: the total of what is shown
        // is 0,06 -> "0,1", where the exact amounts would give 0,048 -> "0,0".
        QTest::newRow("ration total sums the rounded amounts")
            << true << QStringList{QStringLiteral("0,016"), QStringLiteral("0,016"), QStringLiteral("0,016")}
            << QStringLiteral("300") << QStringLiteral("1")
            << QStringList{QStringLiteral("0,02"), QStringLiteral("0,02"), QStringLiteral("0,02")}
            << QStringLiteral("0,1") << QStringLiteral("грамм");
        QTest::newRow("ration without energy is not computed")
            << true << two << QStringLiteral("0") << QStringLiteral("100")
            << QStringList{QStringLiteral("—"), QStringLiteral("—")} << QStringLiteral("—") << QStringLiteral("грамм");
        QTest::newRow("energy not a number") << true << two << QStringLiteral("—") << QStringLiteral("5")
            << QStringList{QStringLiteral("—"), QStringLiteral("—")} << QStringLiteral("—") << QStringLiteral("грамм");
        QTest::newRow("compound without energy keeps its amounts")
            << false << two << QStringLiteral("0") << QStringLiteral("2")
            << QStringList{QStringLiteral("1200"), QStringLiteral("800")} << QStringLiteral("—") << QStringLiteral("кг");
        QTest::newRow("largest quantity") << false << QStringList{QStringLiteral("100")} << QStringLiteral("280")
            << QStringLiteral("32767") << QStringList{QStringLiteral("32767000")} << QStringLiteral("107,1")
            << QStringLiteral("кг");
    }
    void amounts()
    {
        QFETCH(bool, racion);
        QFETCH(QStringList, weights);
        QFETCH(QString, energy);
        QFETCH(QString, quantity);
        QFETCH(QStringList, amounts);
        QFETCH(QString, bottom);
        QFETCH(QString, unit);
        QStringList names;
        for (int i = 0; i < weights.size(); ++i)
            names << QStringLiteral("Корм %1").arg(i);
        setRation(names, 300, racion);
        FakeWorksheet sheet;
        sheet.set(weights, energy);
        frmOtshet form(&sheet);
        form.Form_Activate();
        text1(&form)->setText(quantity);
        for (int i = 0; i < amounts.size(); ++i) {
            QCOMPARE(text(&form, QStringLiteral("lblWes(%1)").arg(i)), amounts.at(i));
            QCOMPARE(text(&form, QStringLiteral("lblGramm(%1)").arg(i)), unit);
            QCOMPARE(text(&form, QStringLiteral("lbl_1(%1)").arg(i)), names.at(i));
        }
        QCOMPARE(text(&form, QStringLiteral("lblObqiWes")), bottom);
        QCOMPARE(text(&form, QStringLiteral("Label1")),
                 racion ? QStringLiteral("Рацион для кормления") : QStringLiteral("Комбикорм для"));
        QCOMPARE(text(&form, QStringLiteral("Label2")), racion ? QStringLiteral("едениц(цы)") : QStringLiteral("т"));
        QCOMPARE(text(&form, QStringLiteral("Label6")), QStringLiteral("300"));
        QCOMPARE(text(&form, QStringLiteral("Label3")), QStringLiteral("Куры-несушки"));
    }

    void onlyTheChosenRowsShow()
    {
        setRation({QStringLiteral("А"), QStringLiteral("Б"), QStringLiteral("В")}, 300, true);
        FakeWorksheet sheet;
        sheet.set({QStringLiteral("50"), QStringLiteral("30"), QStringLiteral("20")}, QStringLiteral("280"));
        frmOtshet form(&sheet);
        form.show();
        form.Form_Activate();
        for (int i = 0; i < 10; ++i) {
            for (const char* name : {"lbl_1", "lblWes", "lblGramm"})
                QCOMPARE(form.findChild<QLabel*>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i))->isVisible(),
                         i <= 2);
        }
    }

    // Only "" and "0" are corrected; the quantity is what is left.
    void quantityCorrection_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("amount");
        QTest::newRow("emptied") << QString() << QStringLiteral("1") << QStringLiteral("64,29");
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("1") << QStringLiteral("64,29");
        QTest::newRow("double zero stays") << QStringLiteral("00") << QStringLiteral("00") << QStringLiteral("0,00");
        QTest::newRow("ten") << QStringLiteral("10") << QStringLiteral("10") << QStringLiteral("642,86");
    }
    void quantityCorrection()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, amount);
        setRation({QStringLiteral("А")}, 300, true);
        FakeWorksheet sheet;
        sheet.set({QStringLiteral("60")}, QStringLiteral("280"));
        frmOtshet form(&sheet);
        QCOMPARE(text1(&form)->text(), QStringLiteral("1"));   // the first opening corrects "0"
        text1(&form)->setText(QStringLiteral("7"));
        text1(&form)->setText(typed);
        QCOMPARE(text1(&form)->text(), shown);
        QCOMPARE(text(&form, QStringLiteral("lblWes(0)")), amount);
    }

    // What the keyboard can put into the quantity box.
    void quantityKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        QTest::newRow("digits") << QStringLiteral("250") << QStringLiteral("250");
        QTest::newRow("letters dropped") << QStringLiteral("2a5b0") << QStringLiteral("250");
        QTest::newRow("minus dropped") << QStringLiteral("-12") << QStringLiteral("12");
        QTest::newRow("separators dropped") << QStringLiteral("1,5.2") << QStringLiteral("152");
        QTest::newRow("no more than 32767") << QStringLiteral("40000") << QStringLiteral("4000");
        QTest::newRow("32767 itself") << QStringLiteral("32767") << QStringLiteral("32767");
        QTest::newRow("six digits cut") << QStringLiteral("123456") << QStringLiteral("12345");
    }
    void quantityKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, result);
        setRation({QStringLiteral("А")}, 300, true);
        FakeWorksheet sheet;
        frmOtshet form(&sheet);
        QLineEdit* box = text1(&form);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);   // "1" is put back at once
        box->selectAll();
        QTest::keyClicks(box, keys);
        QCOMPARE(box->text(), result);
        QCOMPARE(int(frmOtshet::iKolGolov), result.toInt());
        QCOMPARE(frmOtshet::Only_Number('7'), int('7'));
        QCOMPARE(frmOtshet::Only_Number(8), 8);
        QCOMPARE(frmOtshet::Only_Number('.'), 0);
    }

    void pasteOfAnythingButAQuantityIsRefused()
    {
        setRation({QStringLiteral("А")}, 300, true);
        FakeWorksheet sheet;
        frmOtshet form(&sheet);
        QLineEdit* box = text1(&form);
        box->selectAll();
        box->insert(QStringLiteral("12a"));
        QCOMPARE(box->text(), QStringLiteral("1"));
        box->selectAll();
        box->insert(QStringLiteral("99999"));
        QCOMPARE(box->text(), QStringLiteral("1"));
    }

    void quantitySurvivesBack()
    {
        setRation({QStringLiteral("А")}, 300, true);
        FakeWorksheet sheet;
        QPointer<frmOtshet> form = new frmOtshet(&sheet);
        form->show();
        text1(form)->setText(QStringLiteral("250"));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveR));
        form->findChild<QPushButton*>(QStringLiteral("cmdNazad"))->click();
        QVERIFY(menuRules().isEnabled(MenuItem::SaveR));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveRacion));
        QTRY_VERIFY(form.isNull());   // closed and deleted

        frmOtshet again(&sheet);
        QCOMPARE(text1(&again)->text(), QStringLiteral("250"));
    }

    void menuSwitches()
    {
        setRation({QStringLiteral("А")}, 300, true);
        FakeWorksheet sheet;
        menuRules().report(MenuEvent::RacionWeightChanged);
        menuRules().report(MenuEvent::RacionActivated);
        QPointer<frmOtshet> form = new frmOtshet(&sheet);
        QVERIFY(menuRules().isEnabled(MenuItem::SaveRacion));
        form->show();
        form->Form_Activate();
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveR));
        QVERIFY(!menuRules().isEnabled(MenuItem::Racion));
        form->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        QVERIFY(menuRules().isEnabled(MenuItem::Racion));
        QVERIFY(!menuRules().isEnabled(MenuItem::SaveRacion));
        QTRY_VERIFY(form.isNull());
    }

    // Not a check: the sheet in both modes as pictures, when asked for.
    void render()
    {
        const QString dir = qEnvironmentVariable("RACION_SHOTS");
        if (dir.isEmpty())
            QSKIP("set RACION_SHOTS to a folder to get the pictures");
        FakeWorksheet sheet;
        sheet.set({QStringLiteral("45,5"), QStringLiteral("20"), QStringLiteral("14,5"), QStringLiteral("10"),
                   QStringLiteral("8"), QStringLiteral("2")},
                  QStringLiteral("281,34"));
        for (bool racion : {true, false}) {
            setRation({QStringLiteral("Кукуруза"), QStringLiteral("Пшеница"),
                       QStringLiteral("Шрот подсолнечный высокопротеиновый 38-40 %"),
                       QStringLiteral("Рыбная мука"), QStringLiteral("Мел кормовой"), QStringLiteral("Соль поваренная")},
                      120, racion);
            ration().sKurwi = QStringLiteral("Бройлеры: финиш (6 нед. и старше)");
            frmOtshet form(&sheet);
            form.show();
            form.Form_Activate();
            text1(&form)->setText(racion ? QStringLiteral("1250") : QStringLiteral("3"));
            QVERIFY(form.grab().save(dir + (racion ? QStringLiteral("/otshet_racion.png") : QStringLiteral("/otshet_kombikorm.png"))));
        }
    }
};

QTEST_MAIN(tst_otshet)
#include "tst_otshet.moc"
