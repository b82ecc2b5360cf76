#include "engine/CompositionModel.h"

#include "data/Fixed4.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"

#include <cmath>
#include <limits>
#include <optional>

namespace Composition {

namespace {

// A field value that can go into the tableau: a number that a 32-bit float holds.
std::optional<double> usable(const Figure& value)
{
    const auto d = value.value;
    if (!d || std::fabs(*d) > double(std::numeric_limits<float>::max()))
        return std::nullopt;
    return d;
}

// "Не задан…" for an empty field, "Неверно задан…: «text»" for anything else.
QString fault(const Figure& value, const QString& missing, const QString& wrong, const QString& advice)
{
    const QString text = value.text();
    if (text.trimmed().isEmpty())
        return missing + QStringLiteral(". ") + advice;
    return wrong + QStringLiteral(": «") + text + QStringLiteral("». ") + advice;
}

bool hasChosenMember(const QString& group)
{
    const RationState& s = ration();
    for (int i = 0; i < s.feedCount(); ++i)
        if (FeedRow::groupOf(s.DataKorm[i]) == group)
            return true;
    return false;
}

} // namespace

int nutrientRows(bool withVitamins)
{
    return withVitamins ? Nutrients::kCount : Nutrients::kMain;
}

QString checkInputs(int M, const QList<GroupRecord>& groups)
{
    const RationState& s = ration();
    const QString feedAdvice = QStringLiteral("Исправьте базу данных кормов.");
    for (int i = 0; i < s.feedCount(); ++i) {
        const FeedRow feed = FeedRow::of(s.DataKorm[i]);
        for (int j = 1; j <= M; ++j) {
            const Figure& v = feed.content[std::size_t(j) - 1];
            if (!usable(v)) {
                const QString what = QStringLiteral(" содержание (%1) в корме «%2»").arg(Nutrients::at(j).shortName, feed.name);
                return fault(v, QStringLiteral("Не задано") + what, QStringLiteral("Неверно задано") + what, feedAdvice);
            }
        }
        const auto limit = usable(feed.limit);
        if (!limit || *limit < 0.0) {
            const QString what = QStringLiteral(" норма дачи корма «%1»").arg(feed.name);
            return fault(feed.limit, QStringLiteral("Не задана") + what, QStringLiteral("Неверно задана") + what, feedAdvice);
        }
    }

    // A requirement of 0 leaves the deviation undefined: the ration could
    // never be judged.
    const CategoryRow category = CategoryRow::of(s.NormaKur);
    for (int j = 1; j <= M; ++j) {
        const Figure& v = category.requirement[std::size_t(j) - 1];
        const auto r = usable(v);
        if (!r || *r <= 0.0) {
            const QString what = QStringLiteral(" потребность (%1) для «%2»").arg(Nutrients::at(j).shortName, category.name);
            return fault(v, QStringLiteral("Не задана") + what, QStringLiteral("Неверно задана") + what,
                         QStringLiteral("Исправьте базу данных птицы."));
        }
    }

    // Only the groups of the chosen feeds are read; a broken record of
    // another group does not stand in the way.
    for (const GroupRecord& g : groups) {
        if (!hasChosenMember(g.gruppa))
            continue;
        const auto p = usable(g.procent);
        if (!p || *p < 0.0) {
            const QString what = QStringLiteral(" процент группы кормов «%1»").arg(g.gruppa);
            return fault(g.procent, QStringLiteral("Не задан") + what, QStringLiteral("Неверно задан") + what,
                         QStringLiteral("Исправьте ограничения групп кормов."));
        }
    }
    return QString();
}

Programme buildProgramme(int M, float delta, float v, const QList<GroupRecord>& groups)
{
    const RationState& s = ration();
    const int N = s.feedCount();
    const auto number = [](const Figure& value) { return value.value.value_or(0.0); };
    std::vector<FeedRow> feeds;
    for (int j = 1; j <= N; ++j)
        feeds.push_back(FeedRow::of(s.DataKorm[j - 1]));
    const CategoryRow category = CategoryRow::of(s.NormaKur);

    // The group table: column 0 the share limit as a fraction (four places),
    // column j the membership of chosen feed j - 1. A group without a chosen
    // member keeps 0 in column 0.
    const Fixed4 hundred = Fixed4::fromInt(100);
    QList<QList<Fixed4>> kept;
    for (const GroupRecord& g : groups) {
        QList<Fixed4> row(N + 1);
        for (int j = 1; j <= N; ++j) {
            if (feeds[std::size_t(j) - 1].group != g.gruppa)
                continue;
            row[j] = Fixed4::fromInt(1);
            // A share too large for four places limits nothing, like any
            // share of 10 000 % or more.
            row[0] = Fixed4::fromDouble(number(g.procent) / 100.0).value_or(hundred);
        }
        // A group of 0 % or without a chosen member limits nothing; nor
        // does one of 10 000 % or more.
        if (row[0] > Fixed4() && row[0] < hundred)
            kept.append(row);
    }
    const int K = int(kept.size());

    Programme p;
    p.M = std::int16_t(M);
    p.N = std::int16_t(N);
    p.K = float(K);
    const int lastRow = M + N + K + 1;
    const int lastColumn = 2 * N + M + K + 2;
    p.tabl.assign(std::size_t(lastRow) + 1, std::vector<float>(std::size_t(lastColumn) + 1, 0.0f));
    auto& t = p.tabl;

    // Nutrient rows. A shift below -100 % would ask for less than nothing:
    // the bound stops at 0.
    const float mainFactor = std::max(1.0f + delta, 0.0f);
    const float vitaminFactor = std::max(1.0f + v / 100.0f, 0.0f);
    for (int r = 0; r < M; ++r) {
        const double requirement = number(category.requirement[std::size_t(r)]);
        t[r][0] = float(requirement * double(r < Nutrients::kMain ? mainFactor : vitaminFactor));
        for (int j = 1; j <= N; ++j)
            t[r][j] = float(number(feeds[std::size_t(j) - 1].content[std::size_t(r)]));
    }
    // One row per feed: its feeding limit as a fraction.
    for (int j = 1; j <= N; ++j) {
        t[M + j - 1][0] = float(number(feeds[std::size_t(j) - 1].limit) / 100.0);
        t[M + j - 1][j] = 1.0f;
    }
    // The groups kept.
    for (int g = 0; g < K; ++g)
        for (int j = 0; j <= N; ++j)
            t[M + N + g][j] = float(kept[g][j].toDouble());
    // The total weight.
    t[M + N + K][0] = 1.0f;
    for (int j = 1; j <= N; ++j)
        t[M + N + K][j] = 1.0f;
    // The objective: each feed weighs the sum of its M nutrients, added in
    // nutrient order as a float.
    for (int j = 1; j <= N; ++j) {
        float w = 0.0f;
        for (int r = 1; r <= M; ++r)
            w = float(double(w) + number(feeds[std::size_t(j) - 1].content[std::size_t(r) - 1]));
        t[lastRow][j] = -w;
    }
    t[lastRow][0] = 0.0f;
    for (int r = 0; r <= lastRow; ++r)
        t[r][N + 1 + r] = 1.0f;
    return p;
}

} // namespace Composition
