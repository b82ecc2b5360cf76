#include "data/NumText.h"

#include <QRegularExpression>
#include <cmath>

namespace NumText {

QLocale locale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

namespace {

// Checks the shape of a number before the locale reads it, so that nothing
// the locale would also accept (grouping, "inf", "nan") slips through.
bool hasNumberShape(const QString& t, const QString& dec)
{
    static const QString digitRun = QStringLiteral("[0-9]");
    const QString sep = QRegularExpression::escape(dec);
    const QRegularExpression re(QStringLiteral("^[+-]?(%1+(%2%1*)?|%2%1+)([eE][+-]?%1+)?$")
                                    .arg(digitRun, sep));
    return re.match(t).hasMatch();
}

std::optional<double> readWith(const QString& text, bool lenient)
{
    QString t = text.trimmed();
    const QLocale l = locale();
    const QString dec = l.decimalPoint();
    if (t.startsWith(l.negativeSign()) && l.negativeSign() != QLatin1String("-"))
        t.replace(0, l.negativeSign().size(), QStringLiteral("-"));
    if (lenient && dec != QLatin1String("."))
        t.replace(QLatin1Char('.'), dec);
    if (!hasNumberShape(t, dec))
        return std::nullopt;
    QString c = t;
    c.replace(dec, QStringLiteral("."));
    bool ok = false;
    const double v = QLocale::c().toDouble(c, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

bool isNumber(const QString& text)
{
    return toDouble(text).has_value();
}

std::optional<double> toDouble(const QString& text)
{
    return readWith(text, false);
}

std::optional<double> toDoubleLenient(const QString& text)
{
    return readWith(text, true);
}

namespace {

QString significant(double value, int digits)
{
    // 'g' already drops trailing zeros and switches to an exponent only below
    // 1e-4 or from 10^digits on, as the plain conversion does.
    QString s = QLocale::c().toString(value, 'g', digits);
    s.replace(QLatin1Char('.'), locale().decimalPoint());
    s.replace(QLatin1Char('e'), QLatin1Char('E'));
    if (s.startsWith(QLatin1Char('-')) && s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

} // namespace

QString plain(double value)
{
    return significant(value, 15);
}

QString plainF(float value)
{
    return significant(double(value), 7);
}

QString fixed(double value, int decimals)
{
    QString s = locale().toString(value, 'f', decimals);
    // A negative value that rounds to zero shows as zero, not "-0,00".
    bool allZero = true;
    for (QChar c : s)
        if (c.isDigit() && c != QLatin1Char('0'))
            allZero = false;
    if (allZero && s.startsWith(locale().negativeSign()))
        s.remove(0, locale().negativeSign().size());
    return s;
}

double roundHalfEven(double value, int decimals)
{
    const double p = std::pow(10.0, decimals);
    return std::nearbyint(value * p) / p;
}

std::optional<std::int16_t> toInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int16_t> toInt16(const QString& text)
{
    const auto d = toDouble(text);
    if (!d)
        return std::nullopt;
    return toInt16(*d);
}

QString variantText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return plain(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

std::optional<double> variantNumber(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            return std::nullopt;
        return d;
    }
    default:
        return toDoubleLenient(value.toString());
    }
}

} // namespace NumText
