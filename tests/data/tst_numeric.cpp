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

    void fixedFromDouble_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("raw");   // expected value × 10 000
        QTest::newRow("tie below the last place goes to even 0") << 0.00005 << qint64(0);
        QTest::newRow("tie goes up to even 2") << 0.00015 << qint64(2);
        QTest::newRow("tie goes down to even 2") << 0.00025 << qint64(2);
        QTest::newRow("negative tie to even") << -0.00015 << qint64(-2);
        QTest::newRow("just above a tie rounds up") << 0.000051 << qint64(1);
        QTest::newRow("noise of a sum is dropped") << 0.1 + 0.2 << qint64(3000);
        QTest::newRow("whole number") << 100.0 << qint64(1000000);
        QTest::newRow("tiny value is zero") << 1e-300 << qint64(0);
        QTest::newRow("largest whole that fits") << 900000000000000.0 << qint64(9000000000000000000LL);
        QTest::newRow("float widened keeps its binary tail") << double(12.34f) << qint64(123400);
    }
    void fixedFromDouble()
    {
        QFETCH(double, value);
        QFETCH(qint64, raw);
        const auto f = Fixed4::fromDouble(value);
        QVERIFY(f.has_value());
        QCOMPARE(f->raw(), raw);
    }

    void fixedOverflowRefused_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("1e15") << 1e15;
        QTest::newRow("-1e15") << -1e15;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
    }
    void fixedOverflowRefused()
    {
        QFETCH(double, value);
        QVERIFY(!Fixed4::fromDouble(value).has_value());
        QCOMPARE(Fixed4::fromDoubleOrZero(value).raw(), qint64(0));
    }

    void fixedFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("acceptPoint");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("raw");
        QTest::newRow("tie on the fifth decimal up to even") << "1,23455" << false << true << qint64(12346);
        QTest::newRow("tie on the fifth decimal down to even") << "1,23445" << false << true << qint64(12344);
        QTest::newRow("above a tie by a far digit") << "1,234450001" << false << true << qint64(12345);
        QTest::newRow("negative tie") << "-0,00015" << false << true << qint64(-2);
        QTest::newRow("blanks around") << "  12,5 " << false << true << qint64(125000);
        QTest::newRow("no whole part") << ",5" << false << true << qint64(5000);
        QTest::newRow("exponent") << "1,5e2" << false << true << qint64(1500000);
        QTest::newRow("many leading zeros") << "0000000000000000000012" << false << true << qint64(120000);
        QTest::newRow("largest that fits") << "922337203685477,5807" << false << true
                                           << std::numeric_limits<qint64>::max();
        QTest::newRow("one unit beyond") << "922337203685477,5808" << false << false << qint64(0);
        QTest::newRow("sixteen whole digits") << "1000000000000000" << false << false << qint64(0);
        QTest::newRow("point refused in the strict reader") << "12.5" << false << false << qint64(0);
        QTest::newRow("point taken in the lenient reader") << "12.5" << true << true << qint64(125000);
        QTest::newRow("grouped digits") << "1 000" << false << false << qint64(0);
        QTest::newRow("two separators") << "1,2,3" << false << false << qint64(0);
        QTest::newRow("empty") << "" << false << false << qint64(0);
        QTest::newRow("sign alone") << "-" << false << false << qint64(0);
        QTest::newRow("letters") << "abc" << false << false << qint64(0);
    }
    void fixedFromText()
    {
        QFETCH(QString, text);
        QFETCH(bool, acceptPoint);
        QFETCH(bool, valid);
        QFETCH(qint64, raw);
        const auto f = Fixed4::fromText(text, NumText::locale(), acceptPoint);
        QCOMPARE(f.has_value(), valid);
        if (valid)
            QCOMPARE(f->raw(), raw);
    }

    void fixedToText_data()
    {
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing zeros dropped") << qint64(125000) << "12,5";
        QTest::newRow("whole number has no separator") << qint64(1000000) << "100";
        QTest::newRow("four places") << qint64(12345) << "1,2345";
        QTest::newRow("leading zeros of the fraction kept") << qint64(5) << "0,0005";
        QTest::newRow("negative") << qint64(-15000) << "-1,5";
        QTest::newRow("no grouping of a large value") << qint64(12345678900000) << "1234567890";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-922337203685477,5808";
    }
    void fixedToText()
    {
        QFETCH(qint64, raw);
        QFETCH(QString, text);
        QCOMPARE(Fixed4::fromRaw(raw).toText(), text);
        // What is written reads back the same.
        const auto back = Fixed4::fromText(text);
        QVERIFY(back.has_value());
        QCOMPARE(back->raw(), raw);
    }

    void fixedProductTiesToEven()
    {
        // 0.0015 × 0.1 = 0.00015, a tie, goes to the even 0.0002; 0.0025 × 0.1 to 0.0002.
        QCOMPARE((Fixed4::fromRaw(15) * Fixed4::fromRaw(1000)).raw(), qint64(2));
        QCOMPARE((Fixed4::fromRaw(25) * Fixed4::fromRaw(1000)).raw(), qint64(2));
        QCOMPARE((Fixed4::fromRaw(-25) * Fixed4::fromRaw(1000)).raw(), qint64(-2));
    }

    void plain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("isFloat");
        QTest::addColumn<QString>("text");
        QTest::newRow("double without trailing zeros") << 12.5 << false << "12,5";
        QTest::newRow("whole double") << 300.0 << false << "300";
        QTest::newRow("double to 15 digits") << 2.0 / 3.0 << false << "0,666666666666667";
        QTest::newRow("noise of a sum hidden") << 0.1 + 0.2 << false << "0,3";
        QTest::newRow("small double in exponent form") << 0.00001 << false << "1E-05";
        QTest::newRow("0,0001 still plain") << 0.0001 << false << "0,0001";
        QTest::newRow("large double in exponent form") << 1e15 << false << "1E+15";
        QTest::newRow("1e14 still plain, no grouping") << 1e14 << false << "100000000000000";
        QTest::newRow("negative double") << -0.25 << false << "-0,25";
        QTest::newRow("negative zero") << -0.0 << false << "0";
        QTest::newRow("float to 7 digits") << double(2.0f / 3.0f) << true << "0,6666667";
        QTest::newRow("float binary tail hidden") << double(0.1f) << true << "0,1";
        QTest::newRow("float sum of weights") << double(33.33f + 66.67f) << true << "100";
        QTest::newRow("large float in exponent form") << double(12345678.0f) << true << "1,234568E+07";
    }
    void plain()
    {
        QFETCH(double, value);
        QFETCH(bool, isFloat);
        QFETCH(QString, text);
        QCOMPARE(isFloat ? NumText::plainF(float(value)) : NumText::plain(value), text);
    }

    void patterns_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.00 pads with zeros") << 12.5 << 2 << "12,50";
        QTest::newRow("0.00 whole number") << 7.0 << 2 << "7,00";
        QTest::newRow("0.00 tie away from zero") << 0.125 << 2 << "0,13";
        QTest::newRow("0.00 printed tie with binary value below") << 2.675 << 2 << "2,68";
        QTest::newRow("0.00 negative tie") << -0.125 << 2 << "-0,13";
        QTest::newRow("0.00 negative that rounds to zero") << -0.001 << 2 << "0,00";
        QTest::newRow("0.00 small value") << 0.004 << 2 << "0,00";
        QTest::newRow("0.00 no grouping") << 1234567.891 << 2 << "1234567,89";
        QTest::newRow("0.00 float widened to double shows its binary value") << double(33.335f) << 2 << "33,33";
        QTest::newRow("0.0 one decimal") << 99.96 << 1 << "100,0";
        QTest::newRow("0.0 tie") << 0.05 << 1 << "0,1";
    }
    void patterns()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(decimals == 2 ? NumText::format00(value) : NumText::format0(value), text);
    }

    void floatPatterns()
    {
        // A float is judged on its own printed digits.
        QCOMPARE(NumText::format00F(33.335f), QStringLiteral("33,34"));
        QCOMPARE(NumText::format00F(12.5f), QStringLiteral("12,50"));
        QCOMPARE(NumText::format0F(0.05f), QStringLiteral("0,1"));
        QCOMPARE(NumText::format00F(-0.001f), QStringLiteral("0,00"));
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("13.25 exact tie to even 13.2") << 13.25 << 13.2;
        QTest::newRow("13.35 printed tie to even 13.4") << 13.35 << 13.4;
        QTest::newRow("13.45 printed tie to even 13.4") << 13.45 << 13.4;
        QTest::newRow("0.05 to 0") << 0.05 << 0.0;
        QTest::newRow("0.15 to 0.2") << 0.15 << 0.2;
        QTest::newRow("negative tie -2.25 to -2.2") << -2.25 << -2.2;
        QTest::newRow("not a tie") << 13.26 << 13.3;
        QTest::newRow("one hair below a tie stays below") << 13.349999999999998 << 13.3;
        QTest::newRow("percentage of a computed ratio") << (110.5 - 100.0) / (100.0 / 100.0) << 10.5;
        QTest::newRow("already one decimal") << 7.1 << 7.1;
        QTest::newRow("large value unchanged") << 1e20 << 1e20;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        const double r = NumText::roundHalfEven(value, 1);
        QCOMPARE(r, expected);
        QCOMPARE(NumText::plain(r), NumText::plain(expected));
    }

    void isNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("lenient");
        QTest::newRow("decimal comma") << "12,5" << true << true;
        QTest::newRow("blanks around") << " 3 " << true << true;
        QTest::newRow("negative") << "-1" << true << true;
        QTest::newRow("plus sign") << "+2" << true << true;
        QTest::newRow("exponent") << "1e3" << true << true;
        QTest::newRow("comma without fraction") << "5," << true << true;
        QTest::newRow("point: only the lenient reader") << "12.5" << false << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("blanks only") << "   " << false << false;
        QTest::newRow("letters") << "abc" << false << false;
        QTest::newRow("grouped with a blank") << "1 000" << false << false;
        QTest::newRow("grouped with a no-break space") << QString::fromUtf8("1\u00a0000") << false << false;
        QTest::newRow("comma and point") << "1.000,5" << false << false;
        QTest::newRow("trailing letter") << "12a" << false << false;
        QTest::newRow("infinity spelled") << "inf" << false << false;
        QTest::newRow("beyond a double") << "1e400" << false << false;
        QTest::newRow("separator alone") << "," << false << false;
    }
    void isNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, strict);
        QFETCH(bool, lenient);
        QCOMPARE(NumText::isNumber(text), strict);
        QCOMPARE(NumText::toDouble(text).has_value(), strict);
        QCOMPARE(NumText::toDoubleLenient(text).has_value(), lenient);
    }

    void toInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("largest") << "32767" << true << 32767;
        QTest::newRow("one beyond the largest") << "32768" << false << 0;
        QTest::newRow("smallest") << "-32768" << true << -32768;
        QTest::newRow("one below the smallest") << "-32769" << false << 0;
        QTest::newRow("fraction tie to even down") << "2,5" << true << 2;
        QTest::newRow("fraction tie to even up") << "3,5" << true << 4;
        QTest::newRow("rounds up past the largest") << "32767,5" << false << 0;
        QTest::newRow("not a number") << "сорок" << false << 0;
    }
    void toInt16()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto v = NumText::toInt16(text);
        QCOMPARE(v.has_value(), valid);
        if (valid)
            QCOMPARE(int(*v), value);
    }

    void variantField_data()
    {
        QTest::addColumn<QVariant>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("number");
        QTest::newRow("null") << QVariant() << "" << false << 0.0;
        QTest::newRow("typed null") << QVariant(QMetaType(QMetaType::Double)) << "" << false << 0.0;
        QTest::newRow("real") << QVariant(0.7) << "0,7" << true << 0.7;
        QTest::newRow("whole real") << QVariant(335.0) << "335" << true << 335.0;
        QTest::newRow("integer") << QVariant(qlonglong(12)) << "12" << true << 12.0;
        QTest::newRow("text name") << QVariant(QStringLiteral("Кукуруза")) << "Кукуруза" << false << 0.0;
        QTest::newRow("numeric text with a comma") << QVariant(QStringLiteral("12,5")) << "12,5" << true << 12.5;
        QTest::newRow("numeric text with a point") << QVariant(QStringLiteral("12.5")) << "12.5" << true << 12.5;
    }
    void variantField()
    {
        QFETCH(QVariant, field);
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(double, number);
        QCOMPARE(NumText::variantText(field), text);
        const auto n = NumText::variantNumber(field);
        QCOMPARE(n.has_value(), isNumber);
        if (isNumber)
            QCOMPARE(*n, number);
    }
};

QTEST_APPLESS_MAIN(tst_numeric)
#include "tst_numeric.moc"
