#pragma once

#include "data/Fixed4.h"

#include <QString>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The ration in progress, carried from screen to screen. One program-wide
// instance, reached through ration(); each screen and module reads and writes
// the values it owns, in the order the wizard steps run. Everything runs on
// the GUI thread, so nothing here is locked.
struct RationState {
    static constexpr int kMaxFeeds = 10;    // feeds 0..9
    static constexpr int kFeedFields = 11;  // basa columns 0..10
    static constexpr int kKurwiFields = 10; // kurwi columns 0..9

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
