#include "files/CalcFile.h"

#include "data/Database.h"
#include "data/NumText.h"
#include "data/TextFile.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace CalcFile {

namespace {

bool isText(const QVariant& v)
{
    return v.isValid() && !v.isNull() && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float
        && v.typeId() != QMetaType::Int && v.typeId() != QMetaType::LongLong && v.typeId() != QMetaType::UInt
        && v.typeId() != QMetaType::ULongLong && v.typeId() != QMetaType::Short && v.typeId() != QMetaType::Bool;
}

// Why a text cannot go into the file, or empty when it can.
QString unstorable(const QString& what, const QString& text)
{
    const QString quoted = TextFile::excerpt(text);
    if (text.contains(QLatin1Char('"')))
        return QStringLiteral("Расчет нельзя сохранить: %1 «%2» содержит двойную кавычку (\"), "
                              "а в файл расчета ее записать нельзя.").arg(what, quoted);
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QStringLiteral("Расчет нельзя сохранить: %1 «%2» содержит перевод строки, "
                              "а в файл расчета его записать нельзя.").arg(what, quoted);
    int bad = -1;
    if (!TextFile::encode1251(text, &bad)) {
        const int len = text.at(bad).isHighSurrogate() && bad + 1 < text.size() ? 2 : 1;
        return QStringLiteral("Расчет нельзя сохранить: %1 «%2» содержит символ «%3», "
                              "которого нет в кодировке Windows-1251.").arg(what, quoted, text.mid(bad, len));
    }
    if (text.size() > kMaxText)
        return QStringLiteral("Расчет нельзя сохранить: %1 «%2» длиннее %3 знаков.").arg(what, quoted).arg(kMaxText);
    return QString();
}

struct Value {
    enum Kind { Text, Number, Null } kind = Text;
    QString text;
    double number = 0.0;
};

// One line as a value: leading blanks skipped; a quoted text runs to the next
// quote; anything else is a number (with a point), "#NULL#", or a text.
std::optional<Value> readValue(const QString& line, QString* why)
{
    int p = 0;
    while (p < line.size() && (line.at(p) == QLatin1Char(' ') || line.at(p) == QLatin1Char('\t')))
        ++p;
    if (p < line.size() && line.at(p) == QLatin1Char('"')) {
        const int close = int(line.indexOf(QLatin1Char('"'), p + 1));
        if (close < 0) {
            *why = QStringLiteral("нет закрывающей кавычки");
            return std::nullopt;
        }
        // What follows the closing quote is not part of the value.
        return Value{Value::Text, line.mid(p + 1, close - p - 1), 0.0};
    }
    const QString t = line.mid(p).trimmed();
    if (t == kNull)
        return Value{Value::Null, QString(), 0.0};
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (number.match(t).hasMatch()) {
        bool ok = false;
        const double d = QLocale::c().toDouble(t, &ok);
        if (ok && std::isfinite(d))
            return Value{Value::Number, t, d};
    }
    return Value{Value::Text, t, 0.0};
}

QVariant toVariant(const Value& v)
{
    switch (v.kind) {
    case Value::Number:
        return v.number;
    case Value::Null:
        return QVariant();
    case Value::Text:
        break;
    }
    return v.text;
}

} // namespace

Contents fromRation(const RationState& state, const QStringList& weights)
{
    Contents c;
    c.iMaxKorm = std::int16_t(state.feedCount() - 1);
    c.sKurwi = state.sKurwi;
    for (int f = 0; f < state.feedCount(); ++f) {
        c.sKorm[f] = state.sKorm[f];
        c.DataKorm[f] = state.DataKorm[f];
        c.weights << (f < weights.size() ? weights.at(f) : QStringLiteral("0"));
    }
    c.NormaKur = state.NormaKur;
    return c;
}

QString numberText(double value)
{
    // Fifteen significant digits, then written out without an exponent.
    double r = QLocale::c().toDouble(QLocale::c().toString(value, 'g', 15));
    if (!std::isfinite(r))   // rounded up beyond the largest double
        r = value;
    QString s = QLocale::c().toString(r, 'f', QLocale::FloatingPointShortest);
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QString valueLine(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return kNull;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        return std::isfinite(d) ? numberText(d) : kNull;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toULongLong());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    default:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    }
}

std::optional<QStringList> toLines(const Contents& c, Error* error)
{
    auto fail = [&](const QString& message) -> std::optional<QStringList> {
        if (error)
            *error = {message, 0};
        return std::nullopt;
    };
    const int n = c.feedCount();
    if (n < 1 || n > RationState::kMaxFeeds)
        return fail(QStringLiteral("Расчет нельзя сохранить: не выбран ни один корм."));

    QString why = unstorable(QStringLiteral("название категории"), c.sKurwi);
    for (int f = 0; f < n && why.isEmpty(); ++f) {
        why = unstorable(QStringLiteral("название корма"), c.sKorm[f]);
        for (int j = 0; j < RationState::kFeedFields && why.isEmpty(); ++j)
            if (isText(c.DataKorm[f][j]))
                why = unstorable(QStringLiteral("поле %1 корма «%2»")
                                     .arg(Database::tables().at(0).columns.at(j), TextFile::excerpt(c.sKorm[f])),
                                 c.DataKorm[f][j].toString());
        if (why.isEmpty())
            why = unstorable(QStringLiteral("вес корма «%1»").arg(TextFile::excerpt(c.sKorm[f])), c.weights.value(f));
    }
    for (int j = 0; j < RationState::kKurwiFields && why.isEmpty(); ++j)
        if (isText(c.NormaKur[j]))
            why = unstorable(QStringLiteral("поле %1 категории").arg(Database::tables().at(1).columns.at(j)),
                             c.NormaKur[j].toString());
    if (!why.isEmpty())
        return fail(why);

    auto quoted = [](const QString& t) { return QLatin1Char('"') + t + QLatin1Char('"'); };
    QStringList lines;
    lines.reserve(lineCount(n));
    lines << QString::number(c.iMaxKorm) << quoted(c.sKurwi);
    for (int f = 0; f < n; ++f)
        for (int k = 0; k < 6; ++k)
            lines << quoted(c.sKorm[f]);
    for (int f = 0; f < n; ++f)
        for (int j = 0; j < RationState::kFeedFields; ++j)
            lines << valueLine(c.DataKorm[f][j]);
    for (int j = 0; j < RationState::kKurwiFields; ++j)
        lines << valueLine(c.NormaKur[j]);
    for (int f = 0; f < n; ++f)
        lines << quoted(c.weights.value(f));
    return lines;
}

std::optional<Contents> fromLines(const QStringList& lines, Error* error)
{
    auto fail = [&](int line, const QString& message) -> std::optional<Contents> {
        if (error)
            *error = {message, line};
        return std::nullopt;
    };
    if (lines.isEmpty())
        return fail(1, QStringLiteral("файл пуст"));

    Contents c;
    QString why;
    // -1, no feeds, is a calculation too.
    const auto first = readValue(lines.at(0), &why);
    if (!first || first->kind != Value::Number || first->number != std::floor(first->number)
        || first->number < -1 || first->number > RationState::kMaxFeeds - 1)
        return fail(1, QStringLiteral("ожидается номер последнего корма — целое число от 0 до 9, а стоит «%1»")
                           .arg(TextFile::excerpt(lines.at(0))));
    c.iMaxKorm = std::int16_t(first->number);
    const int n = c.feedCount();
    const int expected = lineCount(n);
    if (lines.size() < expected)
        return fail(int(lines.size()) + 1,
                    QStringLiteral("файл кончается раньше времени: для %1 корм(ов) нужно %2 строк, а в нем %3")
                        .arg(n).arg(expected).arg(lines.size()));
    // Lines after the last weight are not read.

    int ln = 1;   // index of the next line
    auto next = [&](Value* out) -> bool {
        const auto v = readValue(lines.at(ln), &why);
        ++ln;
        if (!v)
            return false;
        *out = *v;
        return true;
    };
    // The next value, or the reason at its line; `before` is where it starts.
    auto take = [&](Value* v, int* before) -> bool {
        *before = ln;
        if (next(v))
            return true;
        fail(*before + 1, why);
        return false;
    };
    auto runName = [&](QString* out) -> bool {
        int before = 0;
        Value v;
        if (!take(&v, &before))
            return false;
        // A blank name is saved as any other (a database may hold one), so it is read too.
        if (v.kind == Value::Text)
            *out = v.text;
        else
            fail(before + 1, QStringLiteral("ожидается название в кавычках, а стоит «%1»")
                                 .arg(TextFile::excerpt(lines.at(before))));
        return v.kind == Value::Text;
    };
    auto runAny = [&](QVariant* out) -> bool {
        int before = 0;
        Value v;
        if (!take(&v, &before))
            return false;
        *out = toVariant(v);
        return true;
    };
    if (!runName(&c.sKurwi))
        return std::nullopt;
    for (int f = 0; f < n; ++f)
        for (int k = 0; k < 6; ++k)   // six copies; the last one read stays
            if (!runName(&c.sKorm[f]))
                return std::nullopt;
    for (int f = 0; f < n; ++f)
        for (int j = 0; j < RationState::kFeedFields; ++j)
            if (!runAny(&c.DataKorm[f][j]))
                return std::nullopt;
    for (int j = 0; j < RationState::kKurwiFields; ++j)
        if (!runAny(&c.NormaKur[j]))
            return std::nullopt;
    for (int f = 0; f < n; ++f) {
        const int before = ln;
        Value v;
        if (!next(&v))
            return fail(before + 1, why);
        if (v.kind == Value::Null)
            return fail(before + 1, QStringLiteral("ожидается вес корма в кавычках, а стоит «%1»")
                                        .arg(TextFile::excerpt(lines.at(before))));
        c.weights << (v.kind == Value::Number ? NumText::plain(v.number) : weightForLocale(v.text));
    }
    return c;
}

void applyTo(const Contents& c, RationState& state)
{
    state.iMaxKorm = c.iMaxKorm;
    state.sKurwi = c.sKurwi;
    for (int f = 0; f < c.feedCount(); ++f) {
        state.sKorm[f] = c.sKorm[f];
        state.DataKorm[f] = c.DataKorm[f];
    }
    state.NormaKur = c.NormaKur;
}

QString weightForLocale(const QString& text)
{
    if (NumText::isNumber(text))
        return text;
    const QString dec = NumText::locale().decimalPoint();
    const QString other = dec == QLatin1String(",") ? QStringLiteral(".") : QStringLiteral(",");
    if (text.count(other) != 1)
        return text;
    QString t = text;
    t.replace(other, dec);
    return NumText::isNumber(t) ? t : text;
}

} // namespace CalcFile
