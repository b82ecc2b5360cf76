#pragma once
// The rations the engine's tests start from, and a GLPK model of a ration
// written apart from the program's own models.

#include "engine/RacionSheet.h"
#include "engine/mdlSimplex.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

class Adodc;

namespace TestSupport {

// A fresh ration state of n feeds "Корм 0" .. "Корм n-1", each with every
// nutrient at `content`, the feeding limit `granic` and the group `group`;
// every requirement of the category "Куры" at `requirement`; no contributions.
void startRation(int n, const QVariant& content = 10, const QVariant& granic = 100,
                 const QString& group = QStringLiteral("Зерновые"), const QVariant& requirement = 10);

// A fresh ration state of these feeds for that category, loaded from the
// database behind `adodc` as the worksheet loads it (every name must be
// there); the records of granica.
QList<GroupRecord> loadRation(Adodc& adodc, const QString& category, const QStringList& feeds);

// The ration state's chosen feeds as a GLPK programme written from their rows
// alone, apart from the program's own models: grams within the feeding limits
// and the group limits, 100 g in all, and (tolerance >= 0) every main nutrient
// within ±tolerance % of the requirement. The optimum of `objective` (per gram
// of each feed), or nullopt when there is none.
std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance = -1, bool maximise = false);

// The optimum of the programme a tableau holds, by GLPK: the negated
// objective row maximised over x_1 .. x_n >= 0 within the constraint rows.
std::optional<double> glpkOptimum(const mdlSimplex::Tableau& t, int n);

} // namespace TestSupport
