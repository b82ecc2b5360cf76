#include "editors/EditorRules.h"

#include "data/NumText.h"
#include "data/Prices.h"

#include <QLocale>
#include <cmath>
#include <optional>

namespace EditorRules {

namespace {

QString quoted(const QString& caption)
{
    return QStringLiteral("«") + caption + QStringLiteral("»");
}

bool isNumberKind(Kind kind)
{
    return kind == Kind::Number || kind == Kind::OptionalNumber || kind == Kind::Share;
}

// The text of a name or group must survive a calculation file (one value per
// line, names between double quotes) and the lookups by name.
QString textProblem(const QString& caption, const QString& text)
{
    if (text.contains(QLatin1Char('"')))
        return QStringLiteral("В графе %1 не может быть двойной кавычки (\"): такое название "
                              "нельзя записать в файл расчета. Уберите кавычку.")
            .arg(quoted(caption));
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c.category() == QChar::Other_Control
            || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return QStringLiteral("В графе %1 не может быть перевода строки или других "
                                  "управляющих символов. Введите название в одну строку.")
                .arg(quoted(caption));
    }
    return QString();
}

std::optional<double> parseNumber(QString text)
{
    text = text.trimmed();
    text.replace(NumText::locale().decimalPoint(), QStringLiteral("."));
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString notANumber(const QString& caption, const QString& text)
{
    return QStringLiteral("В графе %1 должно быть число, например 12.5 (дробная часть "
                          "через точку). Введено: «%2». Прежнее значение оставлено.")
        .arg(quoted(caption), text);
}

QString negative(const QString& caption)
{
    return QStringLiteral("В графе %1 не может быть отрицательного числа. "
                          "Прежнее значение оставлено.")
        .arg(quoted(caption));
}

QString priceRefused(const QString& feed, const QString& why)
{
    return QStringLiteral("Цена корма «%1» не записана: %2 Исправьте цену или нажмите Esc, "
                          "чтобы вернуть прежнюю.")
        .arg(feed, why);
}

} // namespace

QString numberText(double value)
{
    QString text = QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
    return text.replace(QLatin1Char('.'), NumText::locale().decimalPoint());
}

Check cell(Kind kind, const QString& caption, const QVariant& input)
{
    Check r;
    if (isNumberKind(kind)) {
        const bool isText = input.typeId() == QMetaType::QString;
        const QString text = isText ? input.toString() : QString();
        if (input.isNull() || (isText && text.trimmed().isEmpty())) {
            if (kind != Kind::Number) {
                r.ok = true;
                r.value = QVariant(QMetaType::fromType<double>());
                return r;
            }
            r.message = QStringLiteral("Графа %1 не может быть пустой: введите число "
                                       "(0, если данных нет). Прежнее значение оставлено.")
                            .arg(quoted(caption));
            return r;
        }
        std::optional<double> v;
        if (isText) {
            v = parseNumber(text);
        } else {
            bool ok = false;
            const double d = input.toDouble(&ok);
            if (ok && std::isfinite(d))
                v = d;
        }
        if (!v) {
            r.message = notANumber(caption, isText ? text : input.toString());
            return r;
        }
        if (*v < 0) {
            r.message = negative(caption);
            return r;
        }
        if (kind == Kind::Share && *v > 100) {
            r.message = QStringLiteral("В графе %1 не может быть больше 100: это доля корма в рационе, в %. "
                                       "Прежнее значение оставлено.")
                            .arg(quoted(caption));
            return r;
        }
        r.ok = true;
        r.value = *v == 0 ? 0.0 : *v;   // never a negative zero
        return r;
    }

    const QString text = input.isNull() ? QString() : input.toString();
    if ((kind == Kind::Name || kind == Kind::Choice) && text.trimmed().isEmpty()) {
        r.message = QStringLiteral("Графа %1 не может быть пустой. Прежнее значение оставлено.")
                        .arg(quoted(caption));
        return r;
    }
    r.message = textProblem(caption, text);
    if (!r.message.isEmpty())
        return r;
    r.ok = true;
    r.value = text;
    return r;
}

QString rowValue(Kind kind, const QString& caption, const QVariant& value)
{
    const bool empty = value.isNull()
        || (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
    if (empty) {
        if (kind == Kind::Name || kind == Kind::Choice)
            return QStringLiteral("Не заполнена графа %1.").arg(quoted(caption));
        if (kind == Kind::Number)
            return QStringLiteral("Не заполнена графа %1: введите число (0, если данных нет).")
                .arg(quoted(caption));
        return QString();
    }
    const Check c = cell(kind, caption, value);
    if (c.ok)
        return QString();
    // The cell's message speaks of a value just typed; here the value is the
    // one the row holds.
    QString m = c.message;
    m.remove(QStringLiteral(" Прежнее значение оставлено."));
    return m;
}

Check price(const QString& feed, const QString& text)
{
    Check c;
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        c.ok = true;
        c.value = QVariant(QMetaType::fromType<double>());
        return c;
    }
    // A comma or a point, whatever the locale, as in the weight boxes.
    const std::optional<double> v = NumText::toDoubleLenient(QString(t).replace(QLatin1Char(','), QLatin1Char('.')));
    if (!v) {
        c.message = priceRefused(feed, QStringLiteral("«%1» — не число. Введите цену 1 кг в рублях, например %2, "
                                                      "или оставьте графу пустой, если цены нет.")
                                           .arg(t, NumText::plain(14.5)));
    } else if (const QString why = Prices::Price::of(*v).refusal; !why.isEmpty()) {
        // Refused as the worksheet refuses a stored price.
        c.message = priceRefused(feed, QStringLiteral("%1 (введено «%2»).").arg(why, t));
    } else {
        c.ok = true;
        c.value = *v == 0 ? 0.0 : *v;   // never a negative zero
    }
    return c;
}

} // namespace EditorRules
