#include "data/NumText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace NumText {

namespace {

thread_local const QLocale* t_held = nullptr;

QLocale freshLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return l;
}

} // namespace

QLocale locale()
{
    return t_held ? *t_held : freshLocale();
}

LocaleScope::LocaleScope() : m_locale(locale()), m_outer(t_held)
{
    t_held = &m_locale;
}

LocaleScope::~LocaleScope()
{
    t_held = m_outer;
}

namespace {

// Checks the shape of a number before the locale reads it, so that nothing
// the locale would also accept (grouping, "inf", "nan") slips through:
// [+-] digits [sep digits] | [+-] sep digits, then an optional [eE][+-]digits.
// A plain scanner: this runs on every keystroke and every value read.
bool hasNumberShape(const QString& t, const QString& dec)
{
    qsizetype i = 0;
    const qsizetype n = t.size();
    const auto sign = [&] {
        if (i < n && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')))
            ++i;
    };
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < n && t.at(i) >= QLatin1Char('0') && t.at(i) <= QLatin1Char('9'))
            ++i;
        return i - from;
    };
    sign();
    const qsizetype intDigits = digits();
    qsizetype fracDigits = 0;
    if (!dec.isEmpty() && QStringView(t).mid(i).startsWith(dec)) {
        i += dec.size();
        fracDigits = digits();
    }
    if (intDigits == 0 && fracDigits == 0)
        return false;
    if (i < n && (t.at(i) == QLatin1Char('e') || t.at(i) == QLatin1Char('E'))) {
        ++i;
        sign();
        if (digits() == 0)
            return false;
    }
    return i == n;
}

// The common case read straight from the characters: an optional minus,
// digits, at most one decimal mark with digits on both sides, nothing else.
// nullopt: not of that plain form (which says nothing of whether it is a
// number); the long way below decides.
std::optional<double> readPlain(const QString& text, bool lenient)
{
    const qsizetype n = text.size();
    if (n == 0 || n > 30)
        return std::nullopt;
    const QString dec = locale().decimalPoint();
    if (dec.size() != 1)
        return std::nullopt;
    char buf[32];
    qsizetype k = 0, i = 0, before = 0, after = 0;
    bool mark = false;
    if (text.at(0) == QLatin1Char('-'))
        buf[k++] = '-', i = 1;
    for (; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= u'0' && c <= u'9') {
            buf[k++] = char(c);
            ++(mark ? after : before);
        } else if (!mark && (c == dec.at(0).unicode() || (lenient && c == u'.'))) {
            buf[k++] = '.';
            mark = true;
        } else {
            return std::nullopt;
        }
    }
    if (before == 0 || (mark && after == 0))
        return std::nullopt;
    double v = 0.0;
    const auto [end, error] = std::from_chars(buf, buf + k, v);
    if (error != std::errc() || end != buf + k || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> readWith(const QString& text, bool lenient)
{
    if (const auto plain = readPlain(text, lenient))
        return plain;
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

// The 'g' form of a double that has at most `digits` significant digits in
// its shortest form: those digits, since a double is closer to its shortest
// form than to any other decimal of that many digits (for 15 and fewer, and
// for normal doubles). Empty when the shortest form is longer.
QString shortG(double value, int digits)
{
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char* p = buf;
    const bool negative = *p == '-';
    p += negative ? 1 : 0;
    char mant[24];
    int count = 0;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p != '.')
            mant[count++] = *p;
    if (count > digits)
        return QString();
    int e = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, e);
    char out[48];
    int n = 0;
    if (negative && !(count == 1 && mant[0] == '0'))
        out[n++] = '-';
    if (e < -4 || e >= digits) {
        out[n++] = mant[0];
        if (count > 1) {
            out[n++] = '.';
            for (int i = 1; i < count; ++i)
                out[n++] = mant[i];
        }
        n += std::snprintf(out + n, sizeof out - std::size_t(n), "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
    } else if (e < 0) {
        out[n++] = '0';
        out[n++] = '.';
        for (int i = -1; i > e; --i)
            out[n++] = '0';
        for (int i = 0; i < count; ++i)
            out[n++] = mant[i];
    } else {
        for (int i = 0; i <= e; ++i)
            out[n++] = i < count ? mant[i] : '0';
        if (count > e + 1) {
            out[n++] = '.';
            for (int i = e + 1; i < count; ++i)
                out[n++] = mant[i];
        }
    }
    return QString::fromLatin1(out, n);
}

QString significant(double value, int digits)
{
    // Not below the smallest normal double, where the shortest form has
    // fewer digits than the double's own precision.
    if (digits <= 15 && std::isfinite(value)
        && (value == 0 || std::fabs(value) >= std::numeric_limits<double>::min())) {
        QString s = shortG(value, digits);
        if (!s.isEmpty()) {
            const QString dec = locale().decimalPoint();
            if (dec != QLatin1String("."))
                s.replace(QLatin1Char('.'), dec);
            return s;
        }
    }
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

namespace {

// The shortest decimal form of a finite double: value = ±mantissa × 10^exponent,
// with the digits that print the number back exactly (at most 17 of them).
struct ShortDecimal {
    bool negative = false;
    std::uint64_t mantissa = 0;
    int digits = 1;      // digits in mantissa
    int exponent = 0;
};

template <typename Real>
ShortDecimal shortDecimal(Real value)
{
    ShortDecimal d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char* p = buf;
    if (p < res.ptr && *p == '-') {
        d.negative = true;
        ++p;
    }
    int count = 0;
    std::uint64_t m = 0;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            m = m * 10 + std::uint64_t(*p - '0');
            ++count;
        }
    }
    int e = 0;
    if (p < res.ptr && *p == 'e')
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, e);
    d.mantissa = m;
    d.digits = count > 0 ? count : 1;
    d.exponent = e - (d.digits - 1);
    return d;
}

// 10^n for 0 <= n <= 38.
unsigned __int128 pow10u(int n)
{
    unsigned __int128 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// Magnitude of value × 10^places, rounded; nullopt when beyond 10^38.
std::optional<unsigned __int128> scaledMagnitude(const ShortDecimal& d, int places, bool tiesToEven)
{
    const int k = d.exponent + places;
    if (d.mantissa == 0)
        return 0;
    if (k >= 0) {
        if (d.digits + k > 38)
            return std::nullopt;
        return static_cast<unsigned __int128>(d.mantissa) * pow10u(k);
    }
    const int m = -k;
    if (m > d.digits)   // below a twentieth of the last place: never a tie, always 0
        return 0;
    const unsigned __int128 div = pow10u(m);
    unsigned __int128 q = d.mantissa / div;
    const unsigned __int128 r = d.mantissa % div;
    if (2 * r > div || (2 * r == div && (!tiesToEven || q % 2 != 0)))
        ++q;
    return q;
}

QString digitsOf(unsigned __int128 v)
{
    if (v == 0)
        return QStringLiteral("0");
    QString s;
    while (v > 0) {
        s.prepend(QChar(char16_t(u'0' + int(v % 10))));
        v /= 10;
    }
    return s;
}

} // namespace

std::optional<std::int64_t> scaledRound(double value, int places, bool tiesToEven)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const ShortDecimal d = shortDecimal(value);
    const auto mag = scaledMagnitude(d, places, tiesToEven);
    if (!mag || *mag > static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max()))
        return std::nullopt;
    const auto v = static_cast<std::int64_t>(*mag);
    return d.negative ? -v : v;
}

namespace {

template <typename Real>
QString fixedImpl(Real value, int decimals)
{
    decimals = std::clamp(decimals, 0, 15);
    const QLocale l = locale();
    if (!std::isfinite(value))
        return l.toString(double(value), 'f', decimals);
    const ShortDecimal d = shortDecimal(value);
    const auto mag = scaledMagnitude(d, decimals, false);
    if (!mag) {
        // Far beyond anything a ration holds; the locale's own rounding serves.
        return l.toString(double(value), 'f', decimals);
    }
    QString s = digitsOf(*mag);
    if (decimals > 0) {
        if (s.size() <= decimals)
            s = s.rightJustified(decimals + 1, QLatin1Char('0'));
        s.insert(s.size() - decimals, l.decimalPoint());
    }
    if (d.negative && *mag != 0)
        s.prepend(l.negativeSign());
    return s;
}

} // namespace

QString fixed(double value, int decimals)
{
    return fixedImpl(value, decimals);
}

QString fixedF(float value, int decimals)
{
    return fixedImpl(value, decimals);
}

double roundHalfEven(double value, int decimals)
{
    decimals = std::clamp(decimals, 0, 15);
    if (!std::isfinite(value))
        return value;
    const ShortDecimal d = shortDecimal(value);
    if (d.exponent + decimals >= 0)
        return value;   // no more places than asked for
    const auto mag = scaledMagnitude(d, decimals, true);
    if (!mag || *mag == 0)
        return 0.0;
    // Back to the double nearest the rounded decimal.
    const std::string text = (d.negative ? std::string("-") : std::string())
        + digitsOf(*mag).toStdString() + "e-" + std::to_string(decimals);
    double out = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return out;
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
