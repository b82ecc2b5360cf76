#pragma once

#include "engine/RacionSheet.h"
#include "engine/mdlSimplex.h"

#include <QList>
#include <QString>
#include <cstdint>

// The linear programme of one pass of the automatic composition, built from
// the ration state (iMaxKorm, DataKorm, NormaKur) and the group records.
// Variable x_j is the share of chosen feed j - 1 in the ration; every row is
// an upper bound: the nutrients, each feed's feeding limit, the groups that
// limit something, and the total weight of 1. The objective is the plain sum
// of the nutrients supplied.
namespace Composition {

// Nutrient rows of the programme: all eight with the vitamins, else the five
// main nutrients.
int nutrientRows(bool withVitamins);

// Everything the programme with M nutrient rows reads, checked before
// anything is written: the nutrient contents 1..M and the feeding limit of
// each chosen feed, the requirements 1..M of the category, and the limit of
// every group that a chosen feed belongs to. Returns the message for the user
// (Russian) for the first value that is not usable, or an empty text.
QString checkInputs(int M, const QList<GroupRecord>& groups);

struct Programme {
    mdlSimplex::Tableau tabl;   // rows 0..M+N+K+1, columns 0..2N+M+K+2
    std::int16_t M = 5;
    std::int16_t N = 0;
    float K = 0.0f;             // group rows kept (SimplexKol)
};

// The tableau of one pass: main nutrients bounded by their requirement times
// (1 + delta), vitamins (when M is 8) by their requirement times
// (1 + v / 100). Expects inputs that checkInputs accepted.
Programme buildProgramme(int M, float delta, float v, const QList<GroupRecord>& groups);

} // namespace Composition
