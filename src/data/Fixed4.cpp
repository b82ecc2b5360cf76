#include "data/Fixed4.h"

#include "data/NumText.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {

// Divides by a positive divisor, rounding the quotient to nearest, ties to even.
__int128 divRoundHalfEven(__int128 num, __int128 den)
{
    __int128 q = num / den;
    __int128 r = num % den;
    if (r < 0) { r = -r; }
    const __int128 twice = 2 * r;
    const bool negative = num < 0;
    if (twice > den || (twice == den && (q % 2 != 0)))
        q += negative ? -1 : 1;
    return q;
}

} // namespace

std::optional<Fixed4> Fixed4::fromDouble(double value)
{
    // Four places, ties to even, judged on the digits the double prints with:
    // 0.00015 is a tie and gives 0.0002, although the double nearest it lies a
    // hair below (multiplying by 10 000 in binary would give 0.0001).
    const auto raw = NumText::scaledRound(value, 4, true);
    if (!raw)
        return std::nullopt;
    return fromRaw(*raw);
}

std::optional<Fixed4> Fixed4::fromText(const QString& text, const QLocale& locale, bool acceptPoint)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QString dec = locale.decimalPoint();
    const QString minus = locale.negativeSign();
    const QString plus = locale.positiveSign();
    int pos = 0;
    bool negative = false;
    if (t.startsWith(minus) || t.startsWith(QLatin1Char('-'))) {
        negative = true;
        pos = t.startsWith(minus) ? int(minus.size()) : 1;
    } else if (t.startsWith(plus) || t.startsWith(QLatin1Char('+'))) {
        pos = t.startsWith(plus) ? int(plus.size()) : 1;
    }
    // Digits, at most one separator, digits: the whole part and the fraction
    // are the two runs of digits on either side of it.
    const QStringView v(t);
    const int start = pos;
    int sepAt = -1, fracFrom = -1;
    for (; pos < t.size(); ++pos) {
        const QChar c = t.at(pos);
        if (c.isDigit() && c.unicode() < 128)
            continue;
        if (sepAt < 0 && (v.mid(pos, dec.size()) == dec || (acceptPoint && c == QLatin1Char('.')))) {
            sepAt = pos;
            if (c != QLatin1Char('.') || dec == QLatin1String("."))
                pos += int(dec.size()) - 1;
            fracFrom = pos + 1;
        } else {
            break;
        }
    }
    QStringView whole = v.mid(start, (sepAt < 0 ? pos : sepAt) - start);
    const QStringView frac = sepAt < 0 ? QStringView() : v.mid(fracFrom, pos - fracFrom);
    if (pos < t.size()) {
        // An exponent or anything unusual: let the double reader decide.
        const auto d = acceptPoint ? NumText::toDoubleLenient(t) : NumText::toDouble(t);
        if (!d)
            return std::nullopt;
        return fromDouble(*d);
    }
    if (whole.isEmpty() && frac.isEmpty())
        return std::nullopt;
    // Strip leading zeros so that a long run of them does not overflow.
    int firstNonZero = 0;
    while (firstNonZero < whole.size() && whole.at(firstNonZero) == QLatin1Char('0'))
        ++firstNonZero;
    whole = whole.mid(firstNonZero);
    if (whole.size() > 15)
        return std::nullopt;
    __int128 raw = 0;
    for (QChar c : whole)
        raw = raw * 10 + (c.unicode() - '0');
    for (int i = 0; i < 4; ++i)
        raw = raw * 10 + (i < frac.size() ? frac.at(i).unicode() - '0' : 0);
    if (frac.size() > 4) {
        const int first = frac.at(4).unicode() - '0';
        bool restNonZero = false;
        for (int i = 5; i < frac.size(); ++i)
            restNonZero = restNonZero || frac.at(i) != QLatin1Char('0');
        if (first > 5 || (first == 5 && (restNonZero || raw % 2 != 0)))
            raw += 1;
    }
    // The negative side reaches one unit further than the positive one.
    const __int128 limit = static_cast<__int128>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    if (raw > limit)
        return std::nullopt;
    return fromRaw(static_cast<std::int64_t>(negative ? -raw : raw));
}

std::optional<Fixed4> Fixed4::fromText(const QString& text)
{
    return fromText(text, NumText::locale());
}

QString Fixed4::toText(const QLocale& locale) const
{
    const bool negative = m_raw < 0;
    const unsigned long long a = negative ? 0ULL - static_cast<unsigned long long>(m_raw)
                                          : static_cast<unsigned long long>(m_raw);
    const unsigned long long whole = a / Scale;
    unsigned long long frac = a % Scale;
    QString out = QString::number(whole);
    if (frac != 0) {
        QString digits = QString::number(frac).rightJustified(4, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        out += locale.decimalPoint() + digits;
    }
    if (negative)
        out.prepend(locale.negativeSign());
    return out;
}

QString Fixed4::toText() const
{
    return toText(NumText::locale());
}

std::optional<Fixed4> Fixed4::operator*(Fixed4 o) const
{
    const __int128 q = divRoundHalfEven(static_cast<__int128>(m_raw) * o.m_raw, Scale);
    if (q < std::numeric_limits<std::int64_t>::min() || q > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return fromRaw(static_cast<std::int64_t>(q));
}
