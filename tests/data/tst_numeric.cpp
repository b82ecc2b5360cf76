#include "data/Fixed4.h"
#include "data/NumText.h"
#include "support/TestSupport.h"

#include <QtTest>
#include <limits>

// The numeric kernel: four-place fixed point, numbers as text in the Russian
// locale, the patterns, rounding with ties to even, the 16-bit range.
class tst_numeric : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { TestSupport::pinRussianLocale(); }

    // A number (given in C notation) shown as text by each rule, or a text
    // read by each reader ("read ...") and shown back; "" where it is
    // refused, "—" where a result is beyond the fixed point's range.
    void numbers_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fixed: tie up to even") << "fixed" << "0.00015" << "0,0002";
        QTest::newRow("fixed: noise of a sum dropped") << "fixed" << QString::number(0.1 + 0.2, 'g', 17) << "0,3";
        QTest::newRow("fixed: largest whole, no grouping") << "fixed" << "9e14" << "900000000000000";
        QTest::newRow("fixed: 1e15 refused") << "fixed" << "1e15" << "";
        QTest::newRow("fixed product 0,0015 × 0,1 ties to even") << "×0,1" << "0.0015" << "0,0002";
        // Beyond the range a result is no number; it never wraps.
        QTest::newRow("fixed product beyond the range") << "×10000" << "1e12" << "—";
        QTest::newRow("fixed product at the edge of the range") << "×10000" << "92233720368.5477" << "922337203685477";
        QTest::newRow("fixed sum beyond the range") << "+max" << "0.0001" << "—";
        QTest::newRow("plain: double to 15 digits") << "plain" << QString::number(2.0 / 3.0, 'g', 17) << "0,666666666666667";
        QTest::newRow("0.00: tie away from zero") << "0.00" << "0.125" << "0,13";
        QTest::newRow("0.00: printed tie, binary value below") << "0.00" << "2.675" << "2,68";
        QTest::newRow("0.00: a float judged on its own digits") << "0.00F" << "33.335" << "33,34";
        QTest::newRow("one decimal: 13,35 printed tie to even") << "half-even" << "13.35" << "13,4";
        QTest::newRow("one decimal: a hair below a tie") << "half-even" << "13.349999999999998" << "13,3";
        QTest::newRow("read fixed: fifth decimal tie up to even") << "read fixed" << "1,23455" << "1,2346";
        QTest::newRow("read fixed: above a tie by a far digit") << "read fixed" << "1,234450001" << "1,2345";
        QTest::newRow("read fixed: largest that fits") << "read fixed" << "922337203685477,5807" << "922337203685477,5807";
        QTest::newRow("read fixed: one unit beyond") << "read fixed" << "922337203685477,5808" << "";
        QTest::newRow("read fixed: point refused by the strict reader") << "read fixed" << "12.5" << "";
        QTest::newRow("read fixed: point taken by the lenient reader") << "read lenient" << "12.5" << "12,5";
        QTest::newRow("read number: comma, blanks around") << "read number" << " 12,5 " << "12,5";
        QTest::newRow("read number: sign and exponent") << "read number" << "+1e3" << "1000";
        QTest::newRow("read number: point refused") << "read number" << "-12.5" << "";
        QTest::newRow("read number: grouped with a no-break space") << "read lenient number" << "1\u00a0000" << "";
        QTest::newRow("read number: beyond a double") << "read lenient number" << "1e400" << "";
        QTest::newRow("read int16: tie to even down") << "read int16" << "2,5" << "2";
        QTest::newRow("read int16: rounds up past the largest") << "read int16" << "32767,5" << "";
    }
    void numbers()
    {
        QFETCH(QString, rule);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const double value = input.toDouble();
        const auto fixed = Fixed4::fromDouble(value);
        const auto shownOr = [](const std::optional<Fixed4>& f, const QString& none) { return f ? f->toText() : none; };
        const auto read = [](const std::optional<double>& v) { return v ? NumText::plain(*v) : QString(); };
        QString out;
        if (rule == "fixed")
            out = shownOr(fixed, QString());
        else if (rule == "+max")
            out = shownOr(*fixed + Fixed4::fromRaw(std::numeric_limits<std::int64_t>::max()), QStringLiteral("—"));
        else if (rule.startsWith("×"))
            out = shownOr(*fixed * (rule == "×0,1" ? Fixed4::fromRaw(1000) : Fixed4::fromInt(10000)), QStringLiteral("—"));
        else if (rule == "plain")
            out = NumText::plain(value);
        else if (rule == "0.00")
            out = NumText::fixed(value, 2);
        else if (rule == "0.00F")
            out = NumText::fixedF(float(value), 2);
        else if (rule == "half-even")
            out = NumText::plain(NumText::roundHalfEven(value, 1));
        else if (rule == "read fixed" || rule == "read lenient")
            out = shownOr(Fixed4::fromText(input, NumText::locale(), rule == "read lenient"), QString());
        else if (rule == "read number")
            out = read(NumText::toDouble(input));
        else if (rule == "read lenient number")
            out = read(NumText::toDoubleLenient(input));
        else if (const auto v = NumText::toInt16(input))
            out = QString::number(*v);
        QCOMPARE(out, expected);
        QCOMPARE(NumText::isNumber(input), NumText::toDouble(input).has_value());   // one answer everywhere
        if (rule == "fixed" && !expected.isEmpty())   // what is written reads back the same
            QCOMPARE(Fixed4::fromText(expected)->raw(), fixed->raw());
    }
};

QTEST_APPLESS_MAIN(tst_numeric)
#include "tst_numeric.moc"
