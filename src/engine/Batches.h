#pragma once

#include "data/ReferenceData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The batch sheet of a compound feed: the tonnes split into batches no larger
// than the mixer, and each feed's weight in a batch rounded to the step of
// the scale its group is weighed on. Everything is counted in whole grams, so
// a batch adds up exactly.
namespace Batches {

struct Feed {
    FeedRow row;         // the name and the nutrient contents
    double grams = 0;    // grams in 100 g of the ration (the worksheet's weight)
    double step = 1;     // the scale's step for the feed's group, kg
};

// Batches of one size, each feed's weight in one of them.
struct Batch {
    std::int64_t count = 0;
    std::int64_t size = 0;               // grams
    std::vector<std::int64_t> weights;   // grams, in the feeds' order
    int carrier = -1;                    // the feed the rounding's remainder went to
    // The batch's composition against the recipe's, per nutrient, in percent.
    std::array<std::optional<double>, 8> deviation;
};

struct Plan {
    QString error;              // why there is no plan (Russian); empty when planned
    std::int64_t count = 0;     // batches in all
    QList<Batch> batches;       // the equal batches, then the last one when it differs
    QStringList notes;          // what the user should know about the rounding
    // Per nutrient, the deviation of largest size over the batches.
    std::array<std::optional<double>, 8> deviation;
};

// Whole grams of a figure in kilograms typed by the user: a number above 0
// and at most 1000 t, to the gram; nullopt for anything else.
std::optional<std::int64_t> gramsOf(double kg);

// Splits totalKg into ceil(total / capacity) batches, all of one size (a
// whole number of the smallest step) but the last, which is no larger and
// takes what is left; each feed's weight in a batch is rounded to its step
// and the remainder carried to the largest feed whose step weighs it.
Plan plan(double totalKg, double capacityKg, const std::vector<Feed>& feeds);

// "Замесов: 10 по 500 кг", "Замесов: 11: 10 по 454,6 кг и последний 454 кг".
QString summary(const Plan& plan);
// Kilograms shown for grams: "454,6".
QString kg(std::int64_t grams);
// A deviation as the sheet shows it, to two places; "—" when undefined.
QString percent(const std::optional<double>& deviation);

} // namespace Batches
