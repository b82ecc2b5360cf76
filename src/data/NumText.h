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

// Holds the locale in use for as long as it lives, on this thread: a step that
// turns hundreds of numbers into text and back (a recalculation, a click of
// "Расчитать") looks the locale up once instead of at every number. Nothing
// in such a step changes the locale. Scopes nest.
class LocaleScope {
public:
    LocaleScope();
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale m_locale;
    const QLocale* m_outer;
};

// The one "is this text a number" test of the screens: optional blanks around,
// an optional sign, digits with at most one decimal separator of the locale,
// an optional exponent ("1e3", "2,5E-2"). No grouping ("1 000" is not a
// number), no currency, nothing else. A point is not a decimal mark where the
// locale's is a comma: the weight boxes turn a typed point into a comma before
// the text gets here, and files are read with toDoubleLenient.
bool isNumber(const QString& text);
std::optional<double> toDouble(const QString& text);
// As toDouble, but a point is also taken as the decimal mark (files written
// in another locale, texts typed with either key).
std::optional<double> toDoubleLenient(const QString& text);

// Plain conversion without trailing zeros: doubles to 15 significant digits,
// 32-bit floats to 7. Below 1E-04 and from 10^15 (10^7 for floats) on, the
// exponent form ("1E-05", "1E+15").
QString plain(double value);
QString plainF(float value);

// Exactly `decimals` places (the patterns "0.00" and "0.0"). Rounding is
// judged on the digits the number prints with (its shortest decimal form), and
// a tie goes away from zero, as a format pattern does: 0.125 gives "0,13",
// 2.675 gives "2,68". A value that rounds to zero never shows a minus sign.
QString fixed(double value, int decimals);
inline QString format00(double value) { return fixed(value, 2); }
inline QString format0(double value) { return fixed(value, 1); }
// The same for a 32-bit float, judged on the float's own shortest form (the
// float nearest 33.335 prints as 33.335 and gives "33,34"; widened to a
// double it would print as 33.33499908447266 and give "33,33").
QString fixedF(float value, int decimals);
inline QString format00F(float value) { return fixedF(value, 2); }
inline QString format0F(float value) { return fixedF(value, 1); }

// Rounds to `decimals` places (0..15), ties to even. A tie is judged on the
// number's shortest decimal form, not on its binary value: 13.25 gives 13.2 and
// 13.35 gives 13.4 (the double nearest 13.35 lies a hair below it, but it
// prints as 13.35 and is taken as such), 0.05 gives 0 and 0.15 gives 0.2.
double roundHalfEven(double value, int decimals);

// value × 10^places rounded to a whole number, judged on the shortest decimal
// form of the double as above; tiesToEven chooses the even neighbour on a tie,
// else the one away from zero. nullopt for a value that is not finite or whose
// result does not fit 64 bits. Fixed4 and the patterns stand on it.
std::optional<std::int64_t> scaledRound(double value, int places, bool tiesToEven);

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
