#pragma once

#include "engine/Composition.h"

// "Расчитать" by the band model: with "по наименьшей стоимости" ticked, the
// cheapest ration of the chosen feeds at their prices; with the extra
// nutrients ticked (and not the price box), the balanced ration closest to
// the requirement. Either way its main nutrients lie within ±Combo1 % of the
// requirement (and, with the vitamins box ticked, the vitamins within
// -Combo1 %..+Combo2 %), within every feeding and group limit, 100 g in all;
// with the extra nutrients ticked also within every norm of the category and
// its own limits of the feeds. Its weights, two decimals adding up to exactly
// 100, are written into the boxes as typing writes them, so the worksheet
// recalculates and colours as always. A chosen feed without a price (for the
// cheapest), or data the model cannot read, is refused before anything is
// written.
namespace BandComposition {

enum class Goal { Cheapest, Closest };

// The click without its message box; Status::NotSolved (with the fixed
// message) when no balanced ration exists, the weights then left as they
// were, or when its rounded weights would not all be judged within the bands.
Composition::Outcome compose(RacionSheet& sheet, Goal goal);

} // namespace BandComposition
