#pragma once
// The data folder holds what every other part stands on: the numeric kernel
// (the four-place fixed-point decimal, numbers as text in the user's locale),
// single-byte Windows-1251 text files, the reference database with its data
// controls and loaders, and the program-wide ration state.

#include <QString>
#include <cstdint>
#include <compare>
#include <optional>

class QLocale;

// A decimal with exactly four places, held as a 64-bit integer scaled by 10 000.
// Weights, sums, contributions and tolerances are kept in it. Every conversion
// into it rounds to four places with ties to even.
class Fixed4 {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Fixed4() = default;
    static constexpr Fixed4 fromRaw(std::int64_t raw) { Fixed4 f; f.m_raw = raw; return f; }
    static constexpr Fixed4 fromInt(std::int64_t whole) { return fromRaw(whole * Scale); }
    // Rounds the double to four places, ties to even, judging a tie on the
    // digits the double prints with (0.00015 gives 0.0002, 0.00005 gives 0).
    // A value beyond ±922 337 203 685 477 or not finite gives nullopt.
    static std::optional<Fixed4> fromDouble(double value);
    // Same, for callers that have already checked the range; out of range gives 0.
    static Fixed4 fromDoubleOrZero(double value) { return fromDouble(value).value_or(Fixed4()); }
    // Reads a number written with the locale's decimal separator (or, when
    // acceptPoint is set, also with a point), rounding exactly on the decimal
    // digits, ties to even. Anything that is not a number gives nullopt.
    static std::optional<Fixed4> fromText(const QString& text, const QLocale& locale, bool acceptPoint = false);
    static std::optional<Fixed4> fromText(const QString& text);   // default locale

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }

    // Plain text: the locale's decimal separator, no trailing zeros, no grouping.
    QString toText(const QLocale& locale) const;
    QString toText() const;   // default locale

    // Sums, differences and products never wrap: a result beyond the range
    // is no number (nullopt), and the caller shows it as a missing value.
    constexpr std::optional<Fixed4> operator+(Fixed4 o) const
    {
        std::int64_t r = 0;
        if (__builtin_add_overflow(m_raw, o.m_raw, &r))
            return std::nullopt;
        return fromRaw(r);
    }
    constexpr std::optional<Fixed4> operator-(Fixed4 o) const
    {
        std::int64_t r = 0;
        if (__builtin_sub_overflow(m_raw, o.m_raw, &r))
            return std::nullopt;
        return fromRaw(r);
    }
    // The product is rounded back to four places, ties to even.
    std::optional<Fixed4> operator*(Fixed4 o) const;

    constexpr auto operator<=>(const Fixed4&) const = default;

private:
    std::int64_t m_raw = 0;
};
