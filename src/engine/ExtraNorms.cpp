#include "engine/ExtraNorms.h"

#include "data/NumText.h"
#include "data/ReferenceData.h"
#include "data/Nutrients.h"
#include "data/mdlAddItem.h"

#include <algorithm>
#include <cmath>

namespace ExtraNorms {

std::optional<double> usable(const Figure& f)
{
    if (f.value && *f.value >= 0.0 && std::fabs(*f.value) < 1e12)
        return f.value;
    return std::nullopt;
}

namespace {

// The eight nutrient's number (1..8) for a column of kurwi, else 0.
int nutrientOf(const QString& code)
{
    for (int j = 1; j <= Nutrients::kCount; ++j)
        if (Nutrients::at(j).kurwiColumn.compare(code, Qt::CaseInsensitive) == 0)
            return j;
    return 0;
}

QString bound(const Figure& f, const QString& what, const QString& line, const QString& category)
{
    if (!f.given() || usable(f))
        return QString();
    const QString why = f.value ? QStringLiteral("недопустимое значение") : QStringLiteral("не число");
    return QStringLiteral("%1 нормы «%2» для «%3» — %4 («%5»)").arg(what, line, category, why, f.text());
}

} // namespace

QString Line::normText() const
{
    if (low && high)
        return QStringLiteral("%1 – %2").arg(NumText::format00(*low), NumText::format00(*high));
    if (low)
        return QStringLiteral("не менее %1").arg(NumText::format00(*low));
    if (high)
        return QStringLiteral("не более %1").arg(NumText::format00(*high));
    return QString();
}

std::vector<Line> lines(const RationState& s)
{
    std::vector<Line> out;
    const RationExtras& x = s.Dop;
    const QString category = mdlAddItem::shownName(s.sKurwi);
    const auto add = [&](const ExtraNorm& n, const QString& name, const QString& unit, int nutrient) {
        Line l;
        l.code = n.code;
        l.name = name;
        l.unit = unit;
        l.nutrient = nutrient;
        l.low = usable(n.low);
        l.high = usable(n.high);
        QStringList faults;
        for (const QString& f : {bound(n.low, QStringLiteral("минимум"), name, category),
                                 bound(n.high, QStringLiteral("максимум"), name, category)})
            if (!f.isEmpty())
                faults << f;
        if (l.low && l.high && *l.low > *l.high)
            faults << QStringLiteral("минимум нормы «%1» для «%2» (%3) больше максимума (%4)")
                          .arg(name, category, NumText::plain(*l.low), NumText::plain(*l.high));
        if (faults.isEmpty() && !l.low && !l.high)
            faults << QStringLiteral("у нормы «%1» для «%2» не задан ни минимум, ни максимум").arg(name, category);
        l.fault = faults.join(QStringLiteral("; "));
        for (int i = 0; i < s.feedCount(); ++i) {
            if (nutrient > 0)
                l.contents.push_back(usable(FeedRow::of(s.DataKorm[i]).content[nutrient - 1]));
            else
                l.contents.push_back(std::size_t(i) < x.contents.size() ? usable(x.contents[i].value(n.code))
                                                                          : std::nullopt);
        }
        out.push_back(l);
    };
    for (const ExtraNutrient& e : x.nutrients)
        for (const ExtraNorm& n : x.norms)
            if (n.code == e.code) {
                add(n, e.name, e.unit, 0);
                break;
            }
    for (int j = 1; j <= Nutrients::kCount; ++j)
        for (const ExtraNorm& n : x.norms)
            if (nutrientOf(n.code) == j) {
                add(n, Nutrients::at(j).name, Nutrients::at(j).unit, j);
                break;
            }
    for (const ExtraNorm& n : x.norms) {
        const bool known = nutrientOf(n.code) > 0
            || std::any_of(x.nutrients.begin(), x.nutrients.end(), [&](const ExtraNutrient& e) { return e.code == n.code; });
        if (!known) {
            Line l;
            l.code = l.name = n.code;
            l.fault = QStringLiteral("норма для «%1» названа неизвестным показателем «%2»").arg(category, n.code);
            out.push_back(l);
        }
    }
    return out;
}

std::optional<double> total(const Line& l, const std::vector<double>& grams)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < l.contents.size(); ++i) {
        if (!l.contents[i])
            return std::nullopt;
        sum += (i < grams.size() ? grams[i] : 0.0) * *l.contents[i] / 100.0;
    }
    return NumText::roundHalfEven(sum, 2);
}

bool within(const Line& l, double total)
{
    constexpr double eps = 1e-9;
    return (!l.low || total >= *l.low - eps) && (!l.high || total <= *l.high + eps);
}

std::optional<Share> share(const RationState& s, int i)
{
    if (!s.bDop || i < 0 || std::size_t(i) >= s.Dop.shares.size() || !s.Dop.shares[i])
        return std::nullopt;
    return shareOf(*s.Dop.shares[i]);
}

Share shareOf(const FeedShare& f)
{
    return {usable(f.least).value_or(0.0), usable(f.most)};
}

Faults faults(const RationState& s, const std::vector<Line>& lines)
{
    Faults f;
    QStringList& out = f.invalid;
    if (!s.Dop.error.isEmpty())
        f.missing << s.Dop.error;
    for (const Line& l : lines) {
        if (!l.fault.isEmpty()) {
            out << l.fault;
            continue;
        }
        for (std::size_t i = 0; i < l.contents.size(); ++i) {
            if (l.contents[i])
                continue;
            const Figure stored = l.nutrient > 0 || std::size_t(i) >= s.Dop.contents.size()
                ? Figure() : s.Dop.contents[i].value(l.code);
            const QString what = QStringLiteral("%1 в корме «%2»").arg(l.name, mdlAddItem::shownName(s.sKorm[i]));
            if (stored.given())
                out << QStringLiteral("%1 («%2») — не число или отрицательное").arg(what, stored.text());
            else
                f.missing << what;
        }
    }
    const QString category = mdlAddItem::shownName(s.sKurwi);
    for (int i = 0; i < s.feedCount() && std::size_t(i) < s.Dop.shares.size(); ++i) {
        if (!s.Dop.shares[i])
            continue;
        const FeedShare& f = *s.Dop.shares[i];
        const QString feed = mdlAddItem::shownName(s.sKorm[i]);
        for (const auto& [fig, what] : {std::pair{&f.least, QStringLiteral("наименьшая доля")},
                                        std::pair{&f.most, QStringLiteral("наибольшая доля")}})
            if (fig->given() && !usable(*fig))
                out << QStringLiteral("%1 корма «%2» для «%3» — не число или отрицательное («%4»)")
                           .arg(what, feed, category, fig->text());
        if (usable(f.least) && usable(f.most) && *usable(f.least) > *usable(f.most))
            out << QStringLiteral("наименьшая доля корма «%1» для «%2» больше наибольшей").arg(feed, category);
    }
    return f;
}

} // namespace ExtraNorms
