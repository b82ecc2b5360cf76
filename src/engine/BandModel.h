#pragma once

#include "engine/RacionSheet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>
#include <vector>

class Adodc;
struct RationState;

// The ration as a set of bands: the chosen feeds with their contents, feeding
// limits and groups, the group limits, and for every nutrient judged the band
// its total must lie in, the weights adding up to exactly 100 g. Each analysis
// asks this one plain value a different linear programme, solved with GLPK:
// how far one nutrient can go, the balanced ration closest to the
// requirement, which bands and limits stand against each other, whether one
// more (or one other) feed would make a balanced ration, and the cheapest
// balanced ration. "Расчитать" keeps its own solver; nothing here writes to
// the worksheet.
namespace Bands {

inline constexpr int kNutrients = 8;   // nutrient j is index j - 1 everywhere here

// The nutrient as the worksheet's column captions name it ("кальций", "витамин A").
QString nutrientName(int j);

struct Feed {
    QString name;
    std::array<double, kNutrients> content{};   // per 100 g of feed
    double limit = 100.0;                        // feeding limit, grams in 100 g
    QString group;
    bool operator==(const Feed&) const = default;
};

// One record of the group limits. A group without a record limits nothing.
struct Group {
    QString name;
    std::optional<double> limit;   // largest share, grams in 100 g; nullopt: unreadable
    bool operator==(const Group&) const = default;
};

struct Band {
    bool used = false;            // the nutrient is judged
    double requirement = 0.0;     // per 100 g of feed
    double low = 0.0, high = 0.0; // the band, in percent of the requirement
    bool operator==(const Band&) const = default;
};

struct Model {
    std::vector<Feed> feeds;
    std::vector<Group> groups;
    std::array<Band, kNutrients> bands{};
    bool operator==(const Model&) const = default;
};

// The bands of the worksheet: the main nutrients within ±tolerance % of the
// requirement; with the vitamins, those from -tolerance % to +surplus %.
void setBands(Model& m, const std::array<double, kNutrients>& requirement, double tolerance, bool vitamins,
              double surplus);

// The model of the worksheet's ration, and every value it needed but could not
// read, or read but cannot take, named for the user. An analysis that needs
// such a value is skipped.
struct Reading {
    Model model;
    QStringList faults;
    // A content negative or too large to reckon with: "протеин в корме «Кукуруза» («-5») — отрицательное".
    QStringList outOfRange;
    std::array<bool, kNutrients> unknown{};   // a content or the requirement is missing or out of range
    bool limitsUnknown = false;               // a feeding limit, a group limit or a tolerance
    bool complete() const { return faults.isEmpty() && outOfRange.isEmpty(); }
};

// Why a content cannot be reckoned with in the band: "отрицательное", or
// "слишком большое" beyond the worksheet's fixed-point range or the solver's;
// empty when it can.
QString outOfRange(double content, const Band& band);

// From the chosen feeds and the category of the ration state, the group
// records as read, the tolerance texts (Combo1, Combo2) and the vitamins box.
// A group limit counts as the worksheet judges it: rounded to a whole number.
Reading read(const RationState& s, const QList<GroupRecord>& groups, const QString& tolerance,
             const QString& surplus, bool vitamins);

// A feed of the reference table as read; a figure that is not a number is
// empty.
struct TableFeed {
    QString name;
    std::array<std::optional<double>, kNutrients> content;
    std::optional<double> limit;
    QString group;
};
// Every feed of the reference table, in its order; empty when it cannot be read.
std::vector<TableFeed> readTable(Adodc& adodc);

// The feeds the suggestions try: every feed of the table that is not chosen
// and whose values the bands need are numbers, in the table's order. A feed
// with such a value out of range (or a negative feeding limit) is left out
// and named: "«Глютен кукурузный» (обменная энергия «1E+15» — слишком большое)".
struct Candidates {
    std::vector<Feed> feeds;
    QStringList outOfRange;
    bool operator==(const Candidates&) const = default;
};
Candidates candidates(const std::vector<TableFeed>& table, const Model& m);
Candidates readCandidates(Adodc& adodc, const Model& m);

// ---- analyses ----

struct Range {
    double low = 0.0, high = 0.0;   // percent of the requirement
};

// The most weight the feeding and group limits let the chosen feeds make.
double mostWeight(const Model& m);

// How low and how high nutrient j can go, within the feeding limits, the group
// limits and a total of 100 g, whatever the other nutrients do. nullopt when
// 100 g cannot be made.
std::optional<Range> reach(const Model& m, int j);

// A ration ready for the weight boxes.
struct Ration {
    std::vector<double> grams;        // as solved, grams in 100 g of each chosen feed
    std::vector<double> written;      // two decimals, adding up to exactly 100; the
                                      // rounding is corrected on the largest weight
    bool judgedBalanced = false;      // the written weights are within every band and
                                      // limit as the worksheet judges them
    double objective = 0.0;           // what the analysis minimised
};

// The balanced ration closest to the requirement: least total relative
// deviation of the main nutrients (objective: the sum of their deviations in
// percent). nullopt when no balanced ration exists.
std::optional<Ration> closest(const Model& m);

// The cheapest balanced ration for the prices (roubles per kg) of the chosen
// feeds, in their order (objective: the cost of 1 kg of the ration in
// roubles). nullopt when no balanced ration exists or a price is missing.
std::optional<Ration> leastCost(const Model& m, const std::vector<double>& pricePerKg);

// The written weights as the worksheet would judge them: each nutrient's
// total in percent of the requirement, rounded as its deviation is shown.
std::array<double, kNutrients> judgedPercent(const Model& m, const std::vector<double>& written);

struct Violation {
    int nutrient = 0;       // j
    double below = 0.0;     // percent points short of the band's low end
    double above = 0.0;     // percent points over its high end
};

// What stands in the way when the bands cannot all be met: the least total
// violation of the bands (percent points of the requirements), the bands still
// violated, and the limits that hold the total from going lower.
struct Conflict {
    double total = 0.0;
    std::vector<Violation> bands;
    std::vector<int> feedLimits;     // chosen feeds whose feeding limit binds
    QStringList groupLimits;         // groups whose limit binds
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

struct Diagnosis {
    QStringList faults;                                   // data that could not be read
    std::optional<double> shortWeight;                    // the most weight, when under 100 g
    std::array<std::optional<Range>, kNutrients> ranges;  // nutrients judged and known
    std::optional<Ration> balanced;                       // only one the worksheet judges balanced
    std::optional<Conflict> conflict;
    std::vector<Suggestion> suggestions;
    bool analysed = false;   // the joint analyses ran (nothing they need was missing)

    QStringList lines;            // what the pane says, line by line
    QStringList suggestionTexts;  // the suggestions as listed
};

Diagnosis diagnose(const Reading& r, const Candidates& candidates);

// "Известняк (известняковая мука) — 8,6 г", "заменить Кукуруза на Мел кормовой — 7 г".
QString suggestionText(const Model& m, const Suggestion& s);

} // namespace Bands
