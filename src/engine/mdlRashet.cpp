#include "engine/mdlRashet.h"

#include "data/Fixed4.h"
#include "data/NumText.h"
#include "data/RationState.h"
#include "data/ReferenceData.h"
#include "engine/ExtraNorms.h"
#include "engine/RacionSheet.h"

#include <array>
#include <cmath>
#include <optional>

namespace mdlRashet {

namespace {

// Contributions that could not be computed (a feed value that is not a
// number), kept beside VkladKorm for the same rows and columns. A total that
// includes one of them is not shown as a number.
std::array<std::array<bool, 9>, RationState::kMaxFeeds> g_undefined{};

const Fixed4 kHundred = Fixed4::fromInt(100);

// Within ±bound (bound not negative, so its negative is in range).
bool within(Fixed4 v, Fixed4 bound)
{
    const auto low = Fixed4() - bound;
    return v <= bound && low && *low <= v;
}

// The deviation of a total from the requirement in percent, rounded to one
// place (ties to even), as the text the label shows. nullopt when either
// side is missing or the requirement is 0.
std::optional<QString> deviationText(const QString& totalCaption, const Figure& requirement)
{
    const auto s = NumText::toDouble(totalCaption);
    const auto p = s && requirement.value ? deviation(*s, *requirement.value) : std::nullopt;
    if (!p)
        return std::nullopt;
    return NumText::plain(NumText::roundHalfEven(*p, 1));
}

void judgeDeviations(RacionSheet& sheet);
void readTolerances(const RacionSheet& sheet);

void checkGroupLimit(RacionSheet& sheet, int index)
{
    RationState& s = ration();
    const QString group = FeedRow::groupOf(s.DataKorm[index]);
    double groupSum = 0.0;
    for (int i = 0; i < s.feedCount(); ++i) {
        if (FeedRow::groupOf(s.DataKorm[i]) != group)
            continue;
        // A box that holds no number adds nothing; the sum label says so.
        if (const auto w = NumText::toDouble(sheet.weightText(i)))
            groupSum += *w;
    }
    const std::optional<std::int16_t> limit = sheet.groupLimit(group);
    // A group without a row in granica has no limit.
    const bool over = limit && groupSum > double(*limit);
    for (int i = 0; i < s.feedCount(); ++i)
        if (FeedRow::groupOf(s.DataKorm[i]) == group)
            sheet.setWeightColor(i, over ? SheetColor::LightRed : SheetColor::White);
}

} // namespace

std::optional<double> deviation(double total, double reference)
{
    if (reference == 0.0)
        return std::nullopt;
    const double p = (total - reference) / (reference / 100.0);
    return std::isfinite(p) ? std::optional<double>(p) : std::nullopt;
}

std::optional<Fixed4> contribution(const Figure& content, double grams)
{
    if (!content.value)
        return std::nullopt;
    const Fixed4 w = Fixed4::fromDoubleOrZero(grams / 100.0);
    return Fixed4::fromDouble(w.toDouble() * *content.value);
}

std::array<std::optional<Fixed4>, 8> totals(const std::vector<FeedRow>& feeds, const std::vector<double>& grams)
{
    std::array<std::optional<Fixed4>, 8> out;
    for (int j = 1; j <= 8; ++j) {
        std::optional<Fixed4> total = Fixed4();
        for (std::size_t i = 0; i < feeds.size() && i < grams.size() && total; ++i) {
            const auto v = contribution(feeds[i].content[std::size_t(j) - 1], grams[i]);
            total = v ? *total + *v : std::nullopt;
        }
        out[std::size_t(j) - 1] = total;
    }
    return out;
}

std::optional<Fixed4> readTolerance(const QString& text)
{
    // A negative tolerance would make every deviation red for good.
    const auto t = Fixed4::fromText(text);
    if (!t || *t < Fixed4())
        return std::nullopt;
    return t;
}

void checkGroupLimits(RacionSheet& sheet)
{
    for (int i = 0; i < ration().feedCount(); ++i)
        checkGroupLimit(sheet, i);
}

void Rashet(RacionSheet& sheet, std::int16_t Index)
{
    const NumText::LocaleScope numbers;
    RationState& s = ration();
    s.iIndexWes = Index;
    if (Index < 0 || Index >= RationState::kMaxFeeds)
        return;

    if (!s.bOpenKalk)
        checkGroupLimit(sheet, Index);

    RashetSumWes(sheet);

    // Read again: the sum cut above may have lowered this very box.
    const auto x = NumText::toDouble(sheet.weightText(Index));
    if (!x)
        return;
    readTolerances(sheet);

    // The changed feed's row: its feeding limit, then its contributions.
    const FeedRow feed = FeedRow::of(s.DataKorm[Index]);
    judgeFeedLimit(sheet, Index, *x);
    for (int j = 1; j <= 8; ++j) {
        const std::optional<Fixed4> v = contribution(feed.content[std::size_t(j) - 1], *x);
        g_undefined[Index][j] = !v.has_value();
        s.VkladKorm[Index][j] = v.value_or(Fixed4());
        sheet.setFeedCaption(Index, j, v ? v->toText() : kUndefined);
    }

    // Totals over every chosen row as it stands (other rows keep the
    // contributions of their own last recalculation). A total beyond the
    // four-place range is no number, like one that adds a missing value.
    for (int j = 1; j <= 8; ++j) {
        std::optional<Fixed4> total = Fixed4();
        for (int i = 0; i < s.feedCount(); ++i) {
            if (g_undefined[i][j] || !total)
                total.reset();
            else
                total = *total + s.VkladKorm[i][j];
        }
        sheet.setSumCaption(j - 1, total ? total->toText() : kUndefined);
    }

    judgeDeviations(sheet);
}

namespace {

// Deviations, judged on the value as shown (rounded to one place).
void judgeDeviations(RacionSheet& sheet)
{
    RationState& s = ration();
    const CategoryRow category = CategoryRow::of(s.NormaKur);
    for (int j = 1; j <= 8; ++j) {
        const int k = j - 1;
        const auto text = deviationText(sheet.sumCaption(k), category.requirement[std::size_t(k)]);
        if (!text) {
            sheet.setProcentCaption(k, kUndefined);
            sheet.setProcentColor(k, SheetColor::LightRed);
            if (j <= 5)
                s.bNarushenie = true;
            continue;
        }
        sheet.setProcentCaption(k, *text);
        const auto shown = Fixed4::fromText(sheet.procentCaption(k));
        if (shown && within(*shown, s.cyPogr)) {
            sheet.setProcentColor(k, SheetColor::LightGreen);
        } else {
            sheet.setProcentColor(k, SheetColor::LightRed);
            if (j <= 5)
                s.bNarushenie = true;
        }
    }

    // A vitamin in surplus is judged against its own, wider bound; a
    // shortfall keeps the judgement above. Vitamins never mark the ration.
    for (int j = 6; j <= 8; ++j) {
        const int k = j - 1;
        const auto shown = Fixed4::fromText(sheet.procentCaption(k));
        if (!shown || *shown <= Fixed4())
            continue;
        const auto text = deviationText(sheet.sumCaption(k), category.requirement[std::size_t(k)]);
        if (!text)
            continue;
        sheet.setProcentCaption(k, *text);
        const auto p = Fixed4::fromText(*text);
        sheet.setProcentColor(k, p && *p > s.cyPogrWit ? SheetColor::LightRed : SheetColor::LightGreen);
    }
}

void readTolerances(const RacionSheet& sheet)
{
    // A tolerance that is not a number leaves the last good one in force.
    RationState& s = ration();
    if (const auto t = readTolerance(sheet.toleranceText()))
        s.cyPogr = *t;
    if (const auto t = readTolerance(sheet.vitaminSurplusText()))
        s.cyPogrWit = *t;
}

} // namespace

void judgeFeedLimit(RacionSheet& sheet, int i, double grams)
{
    RationState& s = ration();
    // With the extra nutrients ticked, the category's own limits of the feed
    // stand in for its feeding limit; a weight under its least is marked too.
    const auto share = ExtraNorms::share(s, i);
    const auto most = share && share->most ? share->most : FeedRow::of(s.DataKorm[i]).limit.value;
    if ((most && grams > *most) || (share && grams < share->least - 1e-9)) {
        sheet.setFeedNameColor(i, SheetColor::LightRed);
        s.bNarushenie = true;
    } else {
        sheet.setFeedNameColor(i, SheetColor::ButtonFace);
    }
}

void judgeAgain(RacionSheet& sheet)
{
    // A sheet not calculated yet has no deviation to judge.
    const SheetColor shown = sheet.procentColor(0);
    if (shown != SheetColor::LightRed && shown != SheetColor::LightGreen)
        return;
    const NumText::LocaleScope numbers;
    RationState& s = ration();
    readTolerances(sheet);
    s.bNarushenie = false;
    // The feeding limits may be the category's now, or no longer.
    for (int i = 0; i < s.feedCount(); ++i)
        if (const auto x = NumText::toDouble(sheet.weightText(i)))
            judgeFeedLimit(sheet, i, *x);
    for (int i = 0; i < s.feedCount(); ++i)
        if (sheet.feedNameColor(i) == SheetColor::LightRed)
            s.bNarushenie = true;
    judgeDeviations(sheet);
}

WeightChange txtWes_Change(RacionSheet& sheet, std::int16_t Index)
{
    const NumText::LocaleScope numbers;
    const QString text = sheet.weightText(Index);
    if (text.isEmpty()) {
        sheet.setWeightText(Index, QStringLiteral("0"));
        return WeightChange::Replaced;
    }
    const auto number = NumText::toDouble(text);
    if (!number)
        return WeightChange::NotANumber;
    if (*number < 0.0) {
        sheet.setWeightText(Index, QStringLiteral("0"));
        return WeightChange::Replaced;
    }
    // A number too large for a four-place weight ("1e300") is no weight:
    // it could be neither added to the sum nor cut back to 100.
    if (!Fixed4::fromText(text))
        return WeightChange::NotANumber;
    Rashet(sheet, Index);
    return WeightChange::Recalculated;
}

void RashetSumWes(RacionSheet& sheet)
{
    const NumText::LocaleScope numbers;
    RationState& s = ration();
    s.SumWes = Fixed4();
    bool undefined = false;
    for (int i = 0; i < s.feedCount(); ++i) {
        const auto w = Fixed4::fromText(sheet.weightText(i));
        const auto sum = w ? s.SumWes + *w : std::nullopt;
        if (sum)
            s.SumWes = *sum;
        else
            undefined = true;
    }
    sheet.setSumWesCaption(undefined ? kUndefined : s.SumWes.toText());
    if (undefined || s.SumWes <= kHundred)
        return;

    // The excess is cut from the box recalculated last. Writing its text runs
    // that box's change handling, and the nested recalculation finds the sum
    // at 100. The box never goes below 0: when the other boxes alone pass 100
    // the sum stays above it (shown in red) rather than cutting forever.
    const int last = s.iIndexWes;
    if (last < 0 || last >= s.feedCount())
        return;
    const auto current = Fixed4::fromText(sheet.weightText(last));
    if (!current)
        return;
    // Both sides are positive here, so neither difference leaves the range.
    Fixed4 cut = (*current - *(s.SumWes - kHundred)).value_or(Fixed4());
    if (cut < Fixed4())
        cut = Fixed4();
    const QString text = cut.toText();
    if (text != sheet.weightText(last))
        sheet.setWeightText(last, text);
}

void PokazatKorm(RacionSheet& sheet)
{
    const RationState& s = ration();
    for (int i = 0; i < s.feedCount(); ++i) {
        sheet.showFeedRow(i);
        sheet.setFeedCaption(i, 0, NumText::variantText(s.DataKorm[i][0]));
    }
}

void clearContributions()
{
    RationState& s = ration();
    for (auto& row : s.VkladKorm)
        row.fill(Fixed4());
    for (auto& row : g_undefined)
        row.fill(false);
    s.SumWes = Fixed4();
}

bool contributionUndefined(int i, int j)
{
    if (i < 0 || i >= RationState::kMaxFeeds || j < 0 || j > 8)
        return false;
    return g_undefined[i][j];
}

} // namespace mdlRashet
