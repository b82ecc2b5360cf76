#pragma once

#include "engine/RacionSheet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>
#include <vector>

struct RationState;

// The ration as a set of bands: the chosen feeds with their contents, feeding
// limits and groups, the group limits, and for every nutrient judged the band
// its total must lie in, the weights adding up to exactly 100 g; and how it is
// read from the ration state and the reference table. Each analysis
// (BandAnalyses) asks this one plain value a different linear programme.
// "Расчитать" keeps its own solver; nothing here writes to the worksheet.
namespace Bands {

inline constexpr int kNutrients = Nutrients::kCount;   // nutrient j is index j - 1 everywhere here
inline constexpr int kMain = Nutrients::kMain;        // the main nutrients come first, the vitamins after

// The nutrient as the worksheet's column captions name it ("кальций", "витамин A").
QString nutrientName(int j);

struct Feed {
    QString name;
    std::array<double, kNutrients> content{};   // per 100 g of feed
    double limit = 100.0;                        // feeding limit, grams in 100 g
    QString group;
    double least = 0.0;                          // the category's least share, grams in 100 g
    std::vector<double> extra{};                 // content of each norm of Model::norms, per 100 g
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

// A norm judged in its own units, per 100 g of feed: an extra nutrient's, or
// a category's own bound on one of the eight (beside its band). Its row in a
// programme is in percent of `reference`, so that every row is of one scale.
struct Norm {
    QString code;          // kod, or the column of kurwi
    QString name, unit;    // "лизин", "%"
    int nutrient = 0;      // 1..8 for a bound on one of the eight
    std::optional<double> low, high;
    double reference = 1.0;
    bool operator==(const Norm&) const = default;
};

struct Model {
    std::vector<Feed> feeds;
    std::vector<Group> groups;
    std::array<Band, kNutrients> bands{};
    std::vector<Norm> norms;   // with the extra nutrients ticked
    bool operator==(const Model&) const = default;
};

// The norm of a line of the ration (its reference the low end, else the high).
Norm normOf(const QString& code, const QString& name, const QString& unit, int nutrient,
            std::optional<double> low, std::optional<double> high);

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

// A content in percent of the band's requirement per gram; nullopt for a
// value the solver cannot take.
std::optional<double> coefficient(double content, const Band& band);

// Why a content cannot be reckoned with in the band: "отрицательное", or
// "слишком большое" beyond the worksheet's fixed-point range or the solver's;
// empty when it can.
QString outOfRange(double content, const Band& band);

// From the chosen feeds and the category of the ration state, the group
// records as read, the tolerance texts (Combo1, Combo2) and the vitamins box.
// A group limit counts as the worksheet judges it: rounded to a whole number.
// With the extra nutrients ticked (bDop), the category's norms and its limits
// of the chosen feeds' shares too.
Reading read(const RationState& s, const QList<GroupRecord>& groups, const QString& tolerance,
             const QString& surplus, bool vitamins);

// The feeds the suggestions try: every feed of the table that is not chosen
// and whose values the bands need are numbers, in the table's order. A feed
// with such a value out of range (or a negative feeding limit) is left out
// and named: "«Глютен кукурузный» (обменная энергия «1E+15» — слишком большое)".
struct Candidates {
    std::vector<Feed> feeds;
    QStringList outOfRange;
    bool operator==(const Candidates&) const = default;
};
// From the feeds of the reference table (ReferenceData::feeds), in its order.
// With norms, each feed's contents of them (a feed without one is left out)
// and the category's limits of its share take part.
struct Extras {
    ExtraContents contents;
    QHash<QString, FeedShare> shares;
};
Candidates candidates(const std::vector<FeedRow>& table, const Model& m, const Extras& extras = {});
// The extras for the candidates of the category (none read when the model has no norms).
Extras readExtras(ReferenceData& data, const Model& m, const QString& category);
Candidates readCandidates(ReferenceData& data, const Model& m, const QString& category = QString());

} // namespace Bands
