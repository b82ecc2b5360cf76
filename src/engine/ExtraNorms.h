#pragma once

#include "data/RationState.h"

#include <QString>
#include <optional>
#include <vector>

// The norms of the extra nutrients (and a category's own bounds on one of the
// eight) as lines of the ration: each with its name, its bounds and every
// chosen feed's content, read from the ration state; how a line's total is
// reckoned and judged. The worksheet's section and the band model both go
// through here, so that what the sheet shows green the balancing calls met.
namespace ExtraNorms {

struct Line {
    QString code;              // kod: "lizin", or a column of kurwi: "natriy"
    QString name, unit;        // "лизин", "%"; "натрий", "гр"
    int nutrient = 0;          // 1..8: a bound on one of the eight; 0: an extra nutrient
    std::optional<double> low, high;    // per 100 g of feed; none: that side open
    std::vector<std::optional<double>> contents;   // each chosen feed's, per 100 g; none: no data
    QString fault;             // why the norm itself cannot be judged; empty when it can
    // "не менее 1,30", "не более 5,00", "1,00 – 1,20".
    QString normText() const;
};

// The lines of the ration state's category, extra nutrients in their list's
// order, then bounds on the eight in column order. A norm whose code is
// neither is a line with its fault. Contents not stored or not a number, or
// negative, are none (the fault names which when the line is judged).
std::vector<Line> lines(const RationState& s);

// The total of a line for weights in grams of 100 g, rounded as shown (two
// decimals); none when a content of a chosen feed is missing.
std::optional<double> total(const Line& l, const std::vector<double>& grams);

// Within the line's bounds (the total as rounded).
bool within(const Line& l, double total);

// A chosen feed's share bounds for the category, when one is given and the
// box is ticked: the least and the most grams in 100 g (most: the feed's own
// feeding limit when the category gives only a least). none: no own bounds.
struct Share {
    double least = 0.0;
    std::optional<double> most;
};
std::optional<Share> share(const RationState& s, int i);
// The bounds of a stored share, whatever the box: a bound not a number or
// negative is none.
Share shareOf(const FeedShare& f);

// A stored content or bound the band model can take: a number, not negative,
// within the solver's range; none otherwise.
std::optional<double> usable(const Figure& f);

// What is wrong with the contents, the norms or the feed limits (in Russian,
// each naming the feed or the category): a figure missing ("лизин в корме
// «Кукуруза»"), or one that cannot be taken (text, negative, a minimum above
// its maximum, an unknown code). Both empty when the band model can use all.
struct Faults {
    QStringList missing, invalid;
};
Faults faults(const RationState& s, const std::vector<Line>& lines);

} // namespace ExtraNorms
