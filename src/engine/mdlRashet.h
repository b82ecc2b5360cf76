#pragma once

#include "data/Fixed4.h"
#include "data/ReferenceData.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>
#include <cstdint>

class RacionSheet;

// The balance recalculation that keeps the worksheet in step with its
// weights: contributions of the changed feed, totals, deviations from the
// category's requirement with their colours, the feeding and group limits,
// and the cut of a weight sum above 100. Works on the ration state and on the
// worksheet through RacionSheet; shows no message.
namespace mdlRashet {

// What a value shows when it cannot be computed (a missing requirement, a
// feed value that is not a number): never a made-up number.
inline const QString kUndefined = QStringLiteral("\u2014");

// The deviation of a total from its reference in percent, unrounded (the
// sheet shows it to one place); nullopt for a reference of 0.
std::optional<double> deviation(double total, double reference);

// The contribution of `grams` of a feed in 100 g of the ration to a nutrient
// of that content, as the worksheet shows it: the weight taken to four
// places, times the content, to four places. nullopt without a content.
std::optional<Fixed4> contribution(const Figure& content, double grams);

// The eight totals (nutrient j at j - 1) of these grams of these feeds in
// 100 g, added as the worksheet adds them; nullopt where a content is missing.
std::array<std::optional<Fixed4>, 8> totals(const std::vector<FeedRow>& feeds, const std::vector<double>& grams);

// A tolerance as typed into Combo1 or Combo2: a number of percent, not below
// 0 and small enough for a four-place value. nullopt for anything else (the
// worksheet then keeps the last good tolerance).
std::optional<Fixed4> readTolerance(const QString& text);

// Colours the weight boxes of every chosen feed's group by the group's limit,
// as a change of one of its weights does (once a calculation file's weights
// are all in).
void checkGroupLimits(RacionSheet& sheet);

// Colours feed i's name by its feeding limit for `grams` (with the extra
// nutrients ticked, the category's own limits of it where given), setting
// bNarushenie when it is outside.
void judgeFeedLimit(RacionSheet& sheet, int i, double grams);

// Recalculates after txtWes(Index) changed; the caller has made sure the box
// holds a non-negative number. Index 0..9.
void Rashet(RacionSheet& sheet, std::int16_t Index);

// After a change of a tolerance (Combo1, Combo2) or of the vitamins box: the
// tolerances read again, every deviation shown judged again by them and
// bNarushenie set as the sheet stands (a main nutrient out of tolerance, a
// feed over its feeding limit). No weight, contribution or total changes; a
// sheet not calculated yet is left alone.
void judgeAgain(RacionSheet& sheet);

// The change handling of txtWes(Index), run each time the box's text
// changes (typed, stepped, restored, cut or written by the composition):
// an empty text or a negative number is replaced by "0" (that write runs
// this handling again, nested, and the nested run recalculates); a number
// runs Rashet(Index). The screen adds the message for NotANumber and the
// menu switch for Recalculated.
enum class WeightChange { Recalculated, Replaced, NotANumber };
WeightChange txtWes_Change(RacionSheet& sheet, std::int16_t Index);

// Sums the weights into SumWes, shows the sum in lblSumWes and cuts a sum
// above 100 back from the box recalculated last (iIndexWes); the cut runs that
// box's change handling, nested, before this returns. A box holding no
// number makes the sum undefined ("—"), and nothing is cut then.
void RashetSumWes(RacionSheet& sheet);

// Prepares the worksheet rows of the chosen feeds 0..iMaxKorm: makes them
// visible and writes each feed's name.
void PokazatKorm(RacionSheet& sheet);

// Every feed's contributions back to zero, as a fresh worksheet shows them,
// so no row of an earlier calculation leaks into the totals.
void clearContributions();

// True when the contribution of feed i to nutrient j (1..8) could not be
// computed on its last recalculation.
bool contributionUndefined(int i, int j);

} // namespace mdlRashet
