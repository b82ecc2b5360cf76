#include "engine/DiagnosisText.h"

#include "data/NumText.h"
#include "engine/mdlRashet.h"

#include <algorithm>
#include <cmath>

namespace DiagnosisText {

using namespace Bands;

namespace {

QString percentText(double v)
{
    return NumText::plain(NumText::roundHalfEven(v, 1));
}

// Shown ranges never claim more than can be reached: the low end is rounded
// up and the high end down, to one place.
QString lowText(double v) { return NumText::plain(std::ceil(v * 10.0 - 1e-6) / 10.0); }
QString highText(double v) { return NumText::plain(std::floor(v * 10.0 + 1e-6) / 10.0); }

// A norm's figures: two places, ranges again never claiming more than reachable.
QString norm2(double v) { return NumText::format00(v); }
QString lowText2(double v) { return NumText::format00(std::ceil(v * 100.0 - 1e-6) / 100.0); }
QString highText2(double v) { return NumText::format00(std::floor(v * 100.0 + 1e-6) / 100.0); }

// "не менее 1,36 %", "не более 0,24 гр", "от 0,20 до 0,30 %".
QString normText(const Norm& n)
{
    if (n.low && n.high)
        return QStringLiteral("от %1 до %2 %3").arg(norm2(*n.low), norm2(*n.high), n.unit);
    if (n.low)
        return QStringLiteral("не менее %1 %2").arg(norm2(*n.low), n.unit);
    return QStringLiteral("не более %1 %2").arg(norm2(n.high.value_or(0.0)), n.unit);
}

QString feedLimitText(const Feed& f)
{
    return QStringLiteral("норма дачи «%1» (%2 г)").arg(f.name, NumText::plain(f.limit));
}

QString groupLimitText(const Group& g)
{
    return QStringLiteral("ограничение группы «%1» (%2 %)").arg(g.name, NumText::plain(g.limit.value_or(0.0)));
}

// Each band or limit the written weights break, as the pane names it.
QStringList outsideTexts(const Model& m, const Outside& o)
{
    QStringList out;
    for (int j : o.bands) {
        const double p = o.percent[std::size_t(j - 1)];
        out << QStringLiteral("%1 %2 %").arg(nutrientName(j),
                                            std::isfinite(p) ? percentText(p - 100.0) : mdlRashet::kUndefined);
    }
    for (const auto& [i, over] : o.feeds)
        out << feedLimitText(m.feeds[std::size_t(i)]);
    for (const auto& [g, over] : o.groups)
        out << groupLimitText(m.groups[std::size_t(g)]);
    for (const auto& [i, under] : o.feedsUnder)
        out << QStringLiteral("наименьшая доля «%1» (%2 г)")
                   .arg(m.feeds[std::size_t(i)].name, NumText::plain(m.feeds[std::size_t(i)].least));
    for (int n : o.norms) {
        const Norm& norm = m.norms[std::size_t(n)];
        out << QStringLiteral("%1 %2 %3 (нужно %4)")
                   .arg(norm.name, norm2(o.normTotals[std::size_t(n)]), norm.unit, normText(norm));
    }
    return out;
}

// Why no balanced ration can be made of these feeds, and what stands in the way.
void conflictLines(const Model& m, const Diagnosis& d, bool allReachable, QStringList& out)
{
    if (allReachable && d.conflict) {
        QStringList parts;
        for (const Violation& v : d.conflict->bands) {
            if (v.norm >= 0) {
                const Norm& n = m.norms[std::size_t(v.norm)];
                parts << (v.below > 0.0 ? QStringLiteral("%1 ниже нормы на %2 %").arg(n.name, percentText(v.below))
                                        : QStringLiteral("%1 выше нормы на %2 %").arg(n.name, percentText(v.above)));
                continue;
            }
            const Band& b = m.bands[std::size_t(v.nutrient - 1)];
            parts << (v.below > 0.0 ? QStringLiteral("%1 ниже %2 % на %3 %")
                                          .arg(nutrientName(v.nutrient), percentText(b.low), percentText(v.below))
                                    : QStringLiteral("%1 выше %2 % на %3 %")
                                          .arg(nutrientName(v.nutrient), percentText(b.high), percentText(v.above)));
        }
        out << QStringLiteral("Каждое вещество входит в норму по отдельности, но не все вместе. "
                              "Ближе всего к норме: %1.")
                   .arg(parts.join(QStringLiteral(", ")));
    } else {
        out << QStringLiteral("С этими кормами сбалансировать рацион нельзя.");
    }
    if (d.conflict && (!d.conflict->feedLimits.empty() || !d.conflict->groupLimits.empty())) {
        QStringList limits;
        for (int i : d.conflict->feedLimits)
            limits << feedLimitText(m.feeds[std::size_t(i)]);
        // A group is named with its first record's limit, as the worksheet reads it.
        for (int g : d.conflict->groupLimits)
            limits << groupLimitText(*std::find_if(m.groups.begin(), m.groups.end(), [&](const Group& x) {
                return x.name == m.groups[std::size_t(g)].name;
            }));
        out << QStringLiteral("Мешают: %1.").arg(limits.join(QStringLiteral(", ")));
    }
}

} // namespace

QStringList lines(const Reading& r, const Candidates& candidates, const Diagnosis& d)
{
    const Model& m = r.model;
    QStringList out;
    for (const QString& f : r.faults)
        out << QStringLiteral("Нет данных: %1.").arg(f);
    for (const QString& f : r.outOfRange)
        out << QStringLiteral("Недопустимое значение: %1.").arg(f);
    if (m.feeds.empty())
        return out << QStringLiteral("Не выбран ни один корм.");
    if (r.limitsUnknown)
        return out << QStringLiteral("Без этих данных разбор невозможен.");

    if (d.shortWeight) {
        out << QStringLiteral("Нормы дачи и ограничения групп позволяют набрать не больше %1 г из 100.")
                   .arg(highText(*d.shortWeight));
    } else {
        bool allReachable = true;
        for (int j = 1; j <= kNutrients; ++j) {
            const std::optional<Range>& g = d.ranges[std::size_t(j - 1)];
            if (!g)
                continue;
            const Band& b = m.bands[std::size_t(j - 1)];
            const bool reachable = reaches(*g, b);
            allReachable = allReachable && reachable;
            QString line = QStringLiteral("%1: достижимо от %2 до %3 % нормы")
                               .arg(nutrientName(j), lowText(g->low), highText(g->high));
            if (reachable)
                line += QStringLiteral(" — в норму входит");
            else
                line += QStringLiteral(", нужно от %1 до %2 %").arg(percentText(b.low), percentText(b.high));
            out << line;
        }
        // The norms in their own units: "лизин: достижимо от 0,62 до 0,95 %, нужно не менее 1,36 %".
        for (std::size_t n = 0; n < d.normRanges.size() && n < m.norms.size(); ++n) {
            const std::optional<Range>& g = d.normRanges[n];
            if (!g)
                continue;
            const Norm& norm = m.norms[n];
            const bool reachable = reaches(*g, norm);
            allReachable = allReachable && reachable;
            QString line = QStringLiteral("%1: достижимо от %2 до %3 %4")
                               .arg(norm.name, lowText2(g->low), highText2(g->high), norm.unit);
            line += reachable ? QStringLiteral(" — в норму входит") : QStringLiteral(", нужно ") + normText(norm);
            out << line;
        }
        if (!r.complete())
            return out << QStringLiteral("Сбалансированный рацион не искали: не хватает данных.");
        if (d.balanced)
            return out << QStringLiteral("Сбалансированный рацион с этими кормами есть (отклонения от нормы в сумме "
                                         "%1 %). «Подставить» запишет его веса.")
                              .arg(percentText(d.balanced->objective));
        if (d.writtenOutside)
            return out << QStringLiteral("Сбалансированный рацион с этими кормами есть, но с весами до сотых грамма "
                                         "его найти не удалось; самый близкий выходит за норму: %1.")
                              .arg(outsideTexts(m, *d.writtenOutside).join(QStringLiteral(", ")));
        conflictLines(m, d, allReachable, out);
    }
    if (!r.complete())
        return out;
    if (const QStringList& bad = candidates.outOfRange; !bad.isEmpty()) {
        // Named up to a few, so that the pane stays readable on a large table.
        constexpr int kNamed = 5;
        QString line = QStringLiteral("Не рассматривались корма с недопустимыми значениями: %1")
                           .arg(bad.mid(0, kNamed).join(QStringLiteral(", ")));
        if (bad.size() > kNamed)
            line += QStringLiteral(" и еще %1").arg(bad.size() - kNamed);
        out << line + QLatin1Char('.');
    }
    if (d.suggestions.empty())
        return out << QStringLiteral("Ни один корм из базы не помогает: ни добавленный, ни вместо одного из выбранных.");
    return out << (d.suggestions.front().replaced >= 0
                       ? QStringLiteral("Поможет замена (двойной щелчок заменит корм на листе):")
                       : QStringLiteral("Поможет добавить корм (двойной щелчок добавит его на лист):"));
}

QStringList suggestions(const Model& m, const Diagnosis& d)
{
    QStringList out;
    for (const Suggestion& s : d.suggestions) {
        const QString grams = NumText::plain(NumText::roundHalfEven(s.grams, 1)) + QStringLiteral(" г");
        if (s.replaced >= 0 && s.replaced < int(m.feeds.size()))
            out << QStringLiteral("заменить %1 на %2 — %3").arg(m.feeds[std::size_t(s.replaced)].name, s.name, grams);
        else
            out << QStringLiteral("%1 — %2").arg(s.name, grams);
    }
    return out;
}

QStringList prices(const Model& m, const Sensitivity& s)
{
    QStringList out;
    // Never claiming more than holds: a low end rounded up, a high end (and
    // the price below which a feed comes in) down.
    const auto up = [](double v) { return std::ceil(v * 100.0 - 1e-6) / 100.0; };
    const auto down = [](double v) { return std::floor(v * 100.0 + 1e-6) / 100.0; };
    for (std::size_t i = 0; i < s.prices.size() && i < m.feeds.size(); ++i) {
        const PriceRange& r = s.prices[i];
        const QString& name = m.feeds[i].name;
        if (!r.in) {
            out << (down(r.low) > 0.0 ? QStringLiteral("%1 войдет в рацион при цене ниже %2 руб./кг")
                                            .arg(name, NumText::format00(down(r.low)))
                                      : QStringLiteral("%1 не войдет в рацион даже бесплатно").arg(name));
            continue;
        }
        const double low = up(r.low), high = down(r.high);
        QString range = QStringLiteral("при любой цене");
        if (low > 0.0 && std::isfinite(high))
            range = QStringLiteral("при цене от %1 до %2 руб./кг").arg(NumText::format00(low), NumText::format00(high));
        else if (std::isfinite(high))
            range = QStringLiteral("при цене до %1 руб./кг").arg(NumText::format00(high));
        else if (low > 0.0)
            range = QStringLiteral("при цене от %1 руб./кг").arg(NumText::format00(low));
        out << QStringLiteral("%1: рацион тот же %2").arg(name, range);
    }
    for (const Binding& b : s.limits) {
        if (b.saving < 0.005)   // would read "0,00"
            continue;
        const QString lower = b.low ? QStringLiteral("на 1 % нормы ниже") : QStringLiteral("на 1 % нормы выше");
        const QString end = b.low ? QStringLiteral("не менее") : QStringLiteral("не более");
        QString what, step = lower;
        if (b.kind == Binding::BandEnd) {
            const Band& band = m.bands[std::size_t(b.index - 1)];
            what = QStringLiteral("%1 %2 %3 % нормы").arg(nutrientName(b.index), end, percentText(b.low ? band.low : band.high));
        } else if (b.kind == Binding::NormEnd) {
            const Norm& n = m.norms[std::size_t(b.index)];
            what = QStringLiteral("%1 %2 %3 %4").arg(n.name, end, norm2((b.low ? n.low : n.high).value_or(0.0)), n.unit);
        } else if (b.kind == Binding::FeedLimit) {
            what = feedLimitText(m.feeds[std::size_t(b.index)]);
            step = QStringLiteral("на 1 г больше");
        } else if (b.kind == Binding::FeedLeast) {
            const Feed& f = m.feeds[std::size_t(b.index)];
            what = QStringLiteral("наименьшая доля «%1» (%2 г)").arg(f.name, NumText::plain(f.least));
            step = QStringLiteral("на 1 г меньше");
        } else {
            // A group is named with its first record's limit, as the worksheet reads it.
            what = groupLimitText(*std::find_if(m.groups.begin(), m.groups.end(), [&](const Group& x) {
                return x.name == m.groups[std::size_t(b.index)].name;
            }));
            step = QStringLiteral("на 1 % больше");
        }
        out << QStringLiteral("%1: %2 — дешевле на %3 руб./кг").arg(what, step, NumText::format00(b.saving));
    }
    return out;
}

} // namespace DiagnosisText
