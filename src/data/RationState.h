#pragma once

#include "data/Figure.h"
#include "data/Fixed4.h"
#include "data/Nutrients.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// A nutrient beyond the eight: a row of pokazatel.
struct ExtraNutrient {
    QString code;   // kod: "lizin"
    QString name;   // nazvanie: "лизин"
    QString unit;   // edinica: "%"
};

// A category's norm (kurwi_pokazatel): of an extra nutrient, or, when the code
// names a column of kurwi, its own bound on one of the eight. Either end may
// be missing.
struct ExtraNorm {
    QString code;
    Figure low, high;   // min_norma, max_norma
};

// A category's limits of one feed's share, in grams of 100 g (kurwi_korm).
struct FeedShare {
    Figure least, most;   // min_dacha, max_dacha
};

// What the section of the extra nutrients and the balancing by them read for
// the ration in progress: read with the feeds' and the category's rows.
struct RationExtras {
    QString error;                                  // why they could not be read; empty when read
    QList<ExtraNutrient> nutrients;                 // in their order
    QList<ExtraNorm> norms;                         // the category's, in the order of their codes' rows
    std::vector<QHash<QString, Figure>> contents;   // each chosen feed's, by code
    std::vector<std::optional<FeedShare>> shares;   // each chosen feed's limits for the category
};

// The ration in progress, carried from screen to screen. One program-wide
// instance, reached through ration(); each screen and module reads and writes
// the values it owns, in the order the wizard steps run. Everything runs on
// the GUI thread, so nothing here is locked.
struct RationState {
    static constexpr int kMaxFeeds = 10;    // feeds 0..9
    // basa: the name, the nutrients, the feeding limit and the group
    static constexpr int kFeedFields = 1 + Nutrients::kCount + 2;
    // kurwi: the name, the nutrients and the daily energy requirement
    static constexpr int kKurwiFields = 1 + Nutrients::kCount + 1;

    // Index of the last chosen feed (count - 1); every loop over the chosen
    // feeds runs 0..iMaxKorm. Starts at 0 like every number of the program.
    std::int16_t iMaxKorm = 0;
    std::array<QString, kMaxFeeds> sKorm;
    // The basa row of each chosen feed, field by field, as read (text, number or null).
    std::array<std::array<QVariant, kFeedFields>, kMaxFeeds> DataKorm;
    // The price of each chosen feed in roubles per kilogram, read with its
    // row (table cena); empty when the feed has none.
    std::array<std::optional<double>, kMaxFeeds> Cena{};
    // Why no feed can have a price (a read-only file without table cena);
    // empty when prices can be kept.
    QString CenaNowhere;
    QString sKurwi;
    std::array<QVariant, kKurwiFields> NormaKur;

    // "учитывать аминокислоты и клетчатку": the extras are shown and balanced.
    bool bDop = false;
    RationExtras Dop;

    bool bRacion = false;
    bool bKombikorm = false;

    Fixed4 SumWes;
    // Contribution of feed i to nutrient j (columns 1..8 are used).
    std::array<std::array<Fixed4, 9>, kMaxFeeds> VkladKorm;
    std::int16_t iIndexWes = 0;
    Fixed4 cyPogr;
    Fixed4 cyPogrWit;
    bool bNarushenie = false;
    bool bOpenKalk = false;
    bool bNazad = false;
    std::array<Fixed4, kMaxFeeds> SaveWes;

    // Working arrays of the automatic composition: [row][column] from 0.
    std::vector<std::vector<float>> SimplexTabl;
    std::vector<float> SimplexRez;
    float SimplexKol = 0.0f;

    // Number of chosen feeds (iMaxKorm + 1), clamped to 0..10 for loops.
    int feedCount() const;
};

// The one ration state of the program.
RationState& ration();
// Back to the start-up values (tests, and nothing else, call this).
void resetRation();
