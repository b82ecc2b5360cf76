#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

// Numbers to text and back in the user's locale (its decimal separator, never a
// thousands separator), the format patterns "0.00" and "0.0", and the rounding
// rules the calculation relies on. The locale is QLocale() (the system's, or
// what QLocale::setDefault made it); tests pin Russian.
namespace NumText {

// The locale in use, with digit grouping switched off both ways.
QLocale locale();

// The one "is this text a number" test of the screens: optional blanks around,
// an optional sign, digits with at most one decimal separator of the locale,
// an optional exponent. No grouping, no currency, nothing else.
bool isNumber(const QString& text);
std::optional<double> toDouble(const QString& text);
// As toDouble, but a point is also taken as the decimal mark (files written
// in another locale, texts typed with either key).
std::optional<double> toDoubleLenient(const QString& text);

// Plain conversion without trailing zeros: doubles to 15 significant digits,
// 32-bit floats to 7.
QString plain(double value);
QString plainF(float value);

// Exactly `decimals` places, rounded on the exact binary value (ties to even).
QString fixed(double value, int decimals);
inline QString format00(double value) { return fixed(value, 2); }
inline QString format0(double value) { return fixed(value, 1); }

// Rounds to `decimals` places, ties to even.
double roundHalfEven(double value, int decimals);

// The 16-bit integer kind: a double rounded to the nearest whole number (ties
// to even); a value outside -32768..32767 is invalid, never wrapped.
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int16_t> toInt16(const QString& text);

// A database field (text, number or null) as text: numbers in plain form, null empty.
QString variantText(const QVariant& value);
// A database field as a number: a number as it is, a numeric text read in the
// locale (or with a point); null and anything else give nullopt.
std::optional<double> variantNumber(const QVariant& value);

} // namespace NumText
