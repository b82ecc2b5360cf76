#include "engine/Batches.h"

#include "data/NumText.h"
#include "engine/mdlRashet.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Batches {

namespace {

std::int64_t floorTo(std::int64_t v, std::int64_t step) { return v / step * step; }
std::int64_t ceilTo(std::int64_t v, std::int64_t step) { return (v + step - 1) / step * step; }

// Each feed's weight in one batch of `size` grams: its share rounded to its
// step, the remainder carried to the largest feed whose step weighs it (the
// feeds on the finest scale always can), so the batch adds up to its size.
Batch weigh(std::int64_t size, const std::vector<Feed>& feeds, const std::vector<std::int64_t>& steps, double total,
            QStringList& notes)
{
    Batch b;
    b.size = size;
    const std::size_t n = feeds.size();
    std::vector<double> ideal(n);
    std::int64_t rest = size;
    for (std::size_t i = 0; i < n; ++i) {
        ideal[i] = double(size) * feeds[i].grams / total;
        b.weights.push_back(std::llround(ideal[i] / double(steps[i])) * steps[i]);
        rest -= b.weights.back();
        if (ideal[i] > 0 && double(steps[i]) > ideal[i])
            notes << QStringLiteral("«%1»: шаг весов %2 кг больше его количества на замес (%3 кг).")
                         .arg(feeds[i].row.name, kg(steps[i]), NumText::plain(NumText::roundHalfEven(ideal[i] / 1000, 3)));
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t c) { return ideal[a] > ideal[c]; });
    // The remainder goes in pieces, coarsest scale first: as much of it as that
    // scale weighs to the largest feed on it, so that a small feed on a fine
    // scale takes only what no coarser scale can weigh.
    std::vector<std::int64_t> scales = steps;
    std::sort(scales.begin(), scales.end(), std::greater<>());
    scales.erase(std::unique(scales.begin(), scales.end()), scales.end());
    for (const std::int64_t scale : scales) {
        const auto largest = std::find_if(order.begin(), order.end(), [&](std::size_t i) { return steps[i] == scale; });
        const std::int64_t piece = rest / scale * scale;
        if (piece != 0 && b.weights[*largest] + piece >= 0) {
            b.weights[*largest] += piece, rest -= piece;
            b.carrier = b.carrier < 0 ? int(*largest) : b.carrier;
        }
    }
    for (std::size_t i : order)
        if (rest != 0 && b.weights[i] + rest >= 0) {
            b.weights[i] += rest, rest = 0;
            b.carrier = b.carrier < 0 ? int(i) : b.carrier;
        }
    // Every feed rounded up past the batch: the excess comes off the largest ones.
    for (std::size_t i : order) {
        const std::int64_t take = std::min(b.weights[i], -rest);
        if (take > 0)
            b.weights[i] -= take, rest += take, b.carrier = b.carrier < 0 ? int(i) : b.carrier;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (b.weights[i] % steps[i] != 0)
            notes << QStringLiteral("«%1»: %2 кг на замес не кратно шагу весов %3 кг (остаток округления).")
                         .arg(feeds[i].row.name, kg(b.weights[i]), kg(steps[i]));

    std::vector<FeedRow> rows;
    std::vector<double> recipe, rounded;
    for (std::size_t i = 0; i < n; ++i) {
        rows.push_back(feeds[i].row);
        recipe.push_back(feeds[i].grams);
        rounded.push_back(double(b.weights[i]) * 100.0 / double(size));
    }
    const auto want = mdlRashet::totals(rows, recipe), got = mdlRashet::totals(rows, rounded);
    for (std::size_t k = 0; k < 8; ++k)
        if (want[k] && got[k])
            b.deviation[k] = mdlRashet::deviation(got[k]->toDouble(), want[k]->toDouble());
    return b;
}

} // namespace

std::optional<std::int64_t> gramsOf(double kg)
{
    if (!std::isfinite(kg) || kg <= 0 || kg > 1e6)
        return std::nullopt;
    const double g = kg * 1000.0;
    const std::int64_t whole = std::llround(g);
    if (whole <= 0 || std::fabs(g - double(whole)) > 1e-6)
        return std::nullopt;
    return whole;
}

Plan plan(double totalKg, double capacityKg, const std::vector<Feed>& feeds)
{
    Plan p;
    const bool counted = std::isfinite(totalKg) && totalKg > 0 && totalKg <= 1e9;
    const std::int64_t total = counted ? std::llround(totalKg * 1000.0) : 0;
    const std::optional<std::int64_t> capacity = gramsOf(capacityKg);
    if (total <= 0)
        return p.error = QStringLiteral("Нет количества комбикорма для замесов."), p;
    if (!capacity)
        return p.error = QStringLiteral("Емкость смесителя должна быть числом больше нуля, в килограммах до грамма."), p;
    double weights = 0;
    std::vector<std::int64_t> steps;
    for (const Feed& f : feeds) {
        const std::optional<std::int64_t> s = gramsOf(f.step);
        if (!s)
            return p.error = QStringLiteral("Шаг весов для «%1» должен быть числом больше нуля, в килограммах до грамма.")
                                 .arg(f.row.name), p;
        if (!std::isfinite(f.grams) || f.grams < 0)
            return p.error = QStringLiteral("Вес корма «%1» в рецепте не число.").arg(f.row.name), p;
        steps.push_back(*s);
        weights += f.grams;
    }
    if (steps.empty() || weights <= 0)
        return p.error = QStringLiteral("В рецепте нет кормов для замесов."), p;
    const std::int64_t unit = *std::min_element(steps.begin(), steps.end());
    if (unit > *capacity)
        return p.error = QStringLiteral("Шаг весов %1 кг больше емкости смесителя %2 кг.").arg(kg(unit), kg(*capacity)), p;

    // The batches' size: an equal share rounded up to the finest step (down
    // when that leaves nothing for the last batch), never over the mixer.
    const std::int64_t T = total, C = *capacity;
    std::int64_t n = (T + C - 1) / C, size = T, last = T;
    for (int tries = 0; n > 1; ++tries, ++n) {
        if (tries == 1000)
            return p.error = QStringLiteral("Комбикорм не делится на замесы при шаге весов %1 кг.").arg(kg(unit)), p;
        const std::int64_t even = (T + n - 1) / n;
        size = std::min(ceilTo(even, unit), floorTo(C, unit));
        if ((n - 1) * size >= T)
            size = floorTo(even, unit);
        last = T - (n - 1) * size;
        if (size > 0 && last > 0 && last <= C)
            break;
    }
    p.count = n;
    if (last == size) {
        p.batches << weigh(size, feeds, steps, weights, p.notes);
        p.batches.last().count = n;
    } else {
        p.batches << weigh(size, feeds, steps, weights, p.notes) << weigh(last, feeds, steps, weights, p.notes);
        p.batches.first().count = n - 1;
        p.batches.last().count = 1;
    }
    p.notes.removeDuplicates();
    for (std::size_t k = 0; k < 8; ++k) {
        for (const Batch& b : p.batches)
            if (b.deviation[k] && (!p.deviation[k] || std::fabs(*b.deviation[k]) > std::fabs(*p.deviation[k])))
                p.deviation[k] = b.deviation[k];
        for (const Batch& b : p.batches)
            if (!b.deviation[k])
                p.deviation[k].reset();
    }
    return p;
}

QString kg(std::int64_t grams)
{
    return NumText::plain(double(grams) / 1000.0);
}

QString percent(const std::optional<double>& deviation)
{
    return deviation ? NumText::fixed(*deviation, 2) : mdlRashet::kUndefined;
}

QString summary(const Plan& plan)
{
    if (plan.batches.size() == 1)
        return QStringLiteral("Замесов: %1 по %2 кг").arg(plan.count).arg(kg(plan.batches.first().size));
    return QStringLiteral("Замесов: %1: %2 по %3 кг и последний %4 кг")
        .arg(plan.count)
        .arg(plan.batches.first().count)
        .arg(kg(plan.batches.first().size), kg(plan.batches.last().size));
}

} // namespace Batches
