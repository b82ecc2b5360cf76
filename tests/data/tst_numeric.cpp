#include "data/Fixed4.h"
#include "data/NumText.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <cmath>
#include <limits>

// The numeric kernel: four-place fixed point, numbers as text in the Russian
// locale, the patterns, rounding with ties to even, the 16-bit range.
class tst_numeric : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    // A number shown as text by each rule; "" where the fixed point refuses it.
    void toText_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fixed: tie up to even") << "fixed" << 0.00015 << "0,0002";
        QTest::newRow("fixed: noise of a sum dropped") << "fixed" << 0.1 + 0.2 << "0,3";
        QTest::newRow("fixed: largest whole, no grouping") << "fixed" << 9e14 << "900000000000000";
        QTest::newRow("fixed: 1e15 refused") << "fixed" << 1e15 << "";
        QTest::newRow("fixed product 0,0015 × 0,1 ties to even") << "×0,1" << 0.0015 << "0,0002";
        // Beyond the range a result is no number; it never wraps.
        QTest::newRow("fixed product beyond the range") << "×10000" << 1e12 << "—";
        QTest::newRow("fixed product at the edge of the range") << "×10000" << 92233720368.5477 << "922337203685477";
        QTest::newRow("fixed sum beyond the range") << "+max" << 0.0001 << "—";
        QTest::newRow("plain: double to 15 digits") << "plain" << 2.0 / 3.0 << "0,666666666666667";
        QTest::newRow("plain: smaller in exponent form") << "plain" << 0.00001 << "1E-05";
        QTest::newRow("0.00 tie away from zero") << "0.00" << 0.125 << "0,13";
        QTest::newRow("0.00 printed tie, binary value below") << "0.00" << 2.675 << "2,68";
        QTest::newRow("0.00 float judged on its own digits") << "0.00F" << double(33.335f) << "33,34";
        QTest::newRow("one decimal: 13,35 printed tie to even") << "half-even" << 13.35 << "13,4";
        QTest::newRow("one decimal: a hair below a tie") << "half-even" << 13.349999999999998 << "13,3";
    }
    void toText()
    {
        QFETCH(QString, rule);
        QFETCH(double, value);
        QFETCH(QString, text);
        const auto fixed = Fixed4::fromDouble(value);
        const auto shownOr = [](const std::optional<Fixed4>& f, const QString& none) { return f ? f->toText() : none; };
        QString shown;
        if (rule == "fixed")
            shown = shownOr(fixed, QString());
        else if (rule == "+max")
            shown = shownOr(*fixed + Fixed4::fromRaw(std::numeric_limits<std::int64_t>::max()), QStringLiteral("—"));
        else if (rule.startsWith("×"))
            shown = shownOr(*fixed * (rule == "×0,1" ? Fixed4::fromRaw(1000) : Fixed4::fromInt(10000)), QStringLiteral("—"));
        else if (rule == "plain")
            shown = NumText::plain(value);
        else if (rule == "0.00")
            shown = NumText::fixed(value, 2);
        else if (rule == "0.00F")
            shown = NumText::fixedF(float(value), 2);
        else
            shown = NumText::plain(NumText::roundHalfEven(value, 1));
        QCOMPARE(shown, text);
        if (rule == "fixed" && !text.isEmpty())   // what is written reads back the same
            QCOMPARE(Fixed4::fromText(text)->raw(), Fixed4::fromDouble(value)->raw());
    }

    // Text read by each reader (the screens' "is this a number" test too),
    // shown back as text; "" where it is refused.
    void fromText_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::newRow("fixed: fifth decimal tie up to even") << "fixed" << "1,23455" << "1,2346";
        QTest::newRow("fixed: above a tie by a far digit") << "fixed" << "1,234450001" << "1,2345";
        QTest::newRow("fixed: largest that fits") << "fixed" << "922337203685477,5807" << "922337203685477,5807";
        QTest::newRow("fixed: one unit beyond") << "fixed" << "922337203685477,5808" << "";
        QTest::newRow("fixed: point refused by the strict reader") << "fixed" << "12.5" << "";
        QTest::newRow("fixed: point taken by the lenient reader") << "lenient" << "12.5" << "12,5";
        QTest::newRow("number: comma, blanks around") << "number" << " 12,5 " << "12,5";
        QTest::newRow("number: sign and exponent") << "number" << "+1e3" << "1000";
        QTest::newRow("number: point refused") << "number" << "-12.5" << "";
        QTest::newRow("number: grouped with a no-break space") << "lenient number" << QString::fromUtf8("1\u00a0000") << "";
        QTest::newRow("number: beyond a double") << "lenient number" << "1e400" << "";
        QTest::newRow("field: numeric text with a point") << "field" << "12.5" << "12,5";
        QTest::newRow("int16: one beyond the largest") << "int16" << "32768" << "";
        QTest::newRow("int16: tie to even down") << "int16" << "2,5" << "2";
        QTest::newRow("int16: rounds up past the largest") << "int16" << "32767,5" << "";
    }
    void fromText()
    {
        QFETCH(QString, reader);
        QFETCH(QString, text);
        QFETCH(QString, value);
        QCOMPARE(NumText::isNumber(text), NumText::toDouble(text).has_value());   // one answer everywhere
        QString read;
        if (reader.endsWith("number")) {
            const auto v = reader == "number" ? NumText::toDouble(text) : NumText::toDoubleLenient(text);
            read = v ? NumText::plain(*v) : QString();
        } else if (reader == "field") {
            read = NumText::plain(NumText::variantNumber(QVariant(text)).value_or(-1));
        } else if (reader == "int16") {
            if (const auto v = NumText::toInt16(text))
                read = QString::number(*v);
        } else if (const auto f = Fixed4::fromText(text, NumText::locale(), reader == "lenient")) {
            read = f->toText();
        }
        QCOMPARE(read, value);
    }
};

QTEST_APPLESS_MAIN(tst_numeric)
#include "tst_numeric.moc"
