#pragma once

#include "engine/BandModel.h"
#include "engine/LinearProgramme.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

// The questions asked of the band model. Each builds a linear programme from
// the model (Lp::Programme), solves it and reads the answer back as numbers:
// how far one nutrient can go, the balanced ration closest to the
// requirement, the cheapest one, which bands and limits stand against each
// other, whether one more (or one other) feed would make a balanced ration.
// The words the pane shows are DiagnosisText's.
namespace Bands {

// ---- the programmes ----

// The one rule for a feed's column: from its least share (0 unless the
// category gives one) to its feeding limit, never more than the whole 100 g,
// narrowed by `margin`; a limit of 0 holds it at 0.
Lp::Bounds feedBounds(double limit, double margin = 0.0, double least = 0.0);

// The one rule for a band's row: from its low to its high end, in percent of
// the requirement, each narrowed by a margin; a band closed to a point (a
// tolerance of 0) fixes the row. nullopt once it is narrowed past that.
std::optional<Lp::Bounds> bandBounds(const Band& b, double lowMargin = 0.0, double highMargin = 0.0);

// A programme over the chosen feeds and where its rows stand.
struct Programme {
    Lp::Programme lp;
    int total = -1;                   // the row holding the sum at 100 g
    std::vector<int> groups;          // each group's row; -1: it limits nothing
    std::array<int, kNutrients> bands{};   // each judged nutrient's row; -1: not judged
    std::vector<int> norms;                // each norm's row (balanced programmes only)
};

// What every analysis starts from: column i is the grams of chosen feed i
// (feedBounds); a row for each group limit below 100 g; with `total`, a row
// holding the sum at 100 g.
Programme programme(const Model& m, bool total);

// The balanced ration's programme: the 100 g and, in percent of the
// requirement, every judged nutrient's band. nullopt when a content cannot be
// reckoned with.
std::optional<Programme> balancedProgramme(const Model& m);

// ---- the analyses ----

struct Range {
    double low = 0.0, high = 0.0;   // percent of the requirement
};

// The most weight the feeding and group limits let the chosen feeds make.
double mostWeight(const Model& m);

// How low and how high nutrient j can go, within the feeding limits, the group
// limits and a total of 100 g, whatever the other nutrients do. nullopt when
// 100 g cannot be made.
std::optional<Range> reach(const Model& m, int j);

// The range reaches into the band (within what the solver leaves on a bound).
bool reaches(const Range& r, const Band& b);

// How low and how high the total of norm n can go (in its units), as reach.
std::optional<Range> reachNorm(const Model& m, std::size_t n);
bool reaches(const Range& r, const Norm& n);

// The total of norm n for weights in grams of 100 g, rounded as the worksheet
// shows it (two decimals).
double normTotal(const Model& m, std::size_t n, const std::vector<double>& grams);

// How the prices and the limits bear on the cheapest ration, read from the
// sensitivity of the programme it was solved from. Prices in roubles per kg.
struct PriceRange {
    bool in = false;   // the feed has weight in the ration
    // In: the prices within which the ration keeps its weights; out: `low` is
    // the price below which the feed would come in. An open side is infinite.
    double low = -Lp::kInfinity, high = Lp::kInfinity;
};

// A limit that holds the cost up: loosened by one step, the ration is cheaper
// by `saving` roubles per kg (at the margin). The step: 1 % of the requirement
// for a band, 1 % of the bound for a norm, 1 g for a feed, 1 % for a group.
struct Binding {
    enum Kind { BandEnd, NormEnd, FeedLimit, FeedLeast, GroupLimit };
    Kind kind = BandEnd;
    int index = 0;          // nutrient j, the norm, the chosen feed, the group (of Model::groups)
    bool low = false;       // its low end binds: it is loosened downwards
    double saving = 0.0;
};

struct Sensitivity {
    std::vector<PriceRange> prices;   // each chosen feed's, in their order
    std::vector<Binding> limits;      // largest saving first
};

// A ration ready for the weight boxes.
struct Ration {
    std::vector<double> grams;        // as solved, grams in 100 g of each chosen feed
    std::vector<double> written;      // two decimals, adding up to exactly 100; the
                                      // rounding is corrected on the largest weight
    bool judgedBalanced = false;      // the written weights are within every band and
                                      // limit as the worksheet judges them
    double objective = 0.0;           // what the analysis minimised
    std::optional<Sensitivity> sensitivity;   // leastCost's, of the programme solved last
};

// The balanced ration closest to the requirement: least total relative
// deviation of the main nutrients (objective: the sum of their deviations in
// percent). nullopt when no balanced ration exists.
std::optional<Ration> closest(const Model& m);

// The cheapest balanced ration for the prices (roubles per kg) of the chosen
// feeds, in their order (objective: the cost of 1 kg of the ration in
// roubles), with its sensitivity. nullopt when no balanced ration exists or a
// price is missing.
std::optional<Ration> leastCost(const Model& m, const std::vector<double>& pricePerKg);

// The cost of 1 kg of a mix in roubles: each weight (grams in 100 g) times its
// feed's price per kilogram, over 100.
double costPerKg(const std::vector<double>& grams, const std::vector<double>& pricePerKg);

// The written weights as the worksheet would judge them: each nutrient's
// total in percent of the requirement, rounded as its deviation is shown.
std::array<double, kNutrients> judgedPercent(const Model& m, const std::vector<double>& written);

// Where written weights fall outside what the worksheet accepts.
struct Outside {
    std::array<double, kNutrients> percent{};           // judgedPercent
    std::vector<int> bands;                             // nutrients j outside their band
    std::vector<std::pair<int, double>> feeds, groups;  // a chosen feed or a group, and grams over its limit
    std::vector<std::pair<int, double>> feedsUnder;     // a chosen feed, and grams under its least share
    std::vector<double> normTotals;                     // normTotal of each norm
    std::vector<int> norms;                             // norms outside their bounds
};
Outside outside(const Model& m, const std::vector<double>& written);

struct Violation {
    int nutrient = 0;       // j; 0 for a norm
    double below = 0.0;     // percent points short of the band's low end
    double above = 0.0;     // percent points over its high end
    int norm = -1;          // the norm (of Model::norms), in percent of its reference
};

// What stands in the way when the bands cannot all be met: the least total
// violation of the bands (percent points of the requirements), the bands still
// violated, and the limits that hold the total from going lower.
struct Conflict {
    double total = 0.0;
    std::vector<Violation> bands;
    std::vector<int> feedLimits;     // chosen feeds whose feeding limit binds
    std::vector<int> groupLimits;    // groups (of Model::groups) whose limit binds
};
std::optional<Conflict> leastViolation(const Model& m);

// The least weight of `extra` in a balanced ration of the chosen feeds with
// `extra` added, or put in place of chosen feed `replaced` (>= 0). nullopt
// when even then no ration is balanced.
std::optional<double> neededWeight(const Model& m, const Feed& extra, int replaced = -1);

struct Suggestion {
    QString name;
    int replaced = -1;     // the chosen feed it replaces, or -1 when added
    double grams = 0.0;    // least weight needed
};

// Up to `count` feeds that make a balanced ration possible, least weight
// first: added when fewer than ten feeds are chosen, else (or when no single
// addition helps) each in place of one chosen feed.
std::vector<Suggestion> suggest(const Model& m, const std::vector<Feed>& candidates, int count = 3);

// ---- the whole diagnosis ----

// The analyses in the order the pane tells them, each run only where the
// one before leaves a question and the data it needs could be read.
struct Diagnosis {
    std::optional<double> shortWeight;                    // the most weight, when under 100 g
    std::array<std::optional<Range>, kNutrients> ranges;  // nutrients judged and known
    std::vector<std::optional<Range>> normRanges;         // each norm's, in its units
    std::optional<Ration> balanced;                       // only one the worksheet judges balanced
    std::optional<Outside> writtenOutside;                // a balanced ration exists, but its two
                                                          // decimals fall outside here
    std::optional<Conflict> conflict;
    std::vector<Suggestion> suggestions;
    bool analysed = false;   // the joint analyses ran (nothing they need was missing)
};

Diagnosis diagnose(const Reading& r, const Candidates& candidates);

} // namespace Bands
