#pragma once
// The ration the engine's tests start from.

#include "engine/RacionSheet.h"

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace TestSupport {

// A fresh ration state of n feeds "Корм 0" .. "Корм n-1", each with every
// nutrient at `content`, the feeding limit `granic` and the group `group`;
// every requirement of the category "Куры" at `requirement`; no contributions.
void startRation(int n, const QVariant& content = 10, const QVariant& granic = 100,
                 const QString& group = QStringLiteral("Зерновые"), const QVariant& requirement = 10);

// The ration state's chosen feeds as a GLPK programme written from their rows
// alone, apart from the program's own models: grams within the feeding limits
// and the group limits, 100 g in all, and (tolerance >= 0) every main nutrient
// within ±tolerance % of the requirement. The optimum of `objective` (per gram
// of each feed), or nullopt when there is none.
std::optional<double> glpkOptimum(const QList<GroupRecord>& groups, const std::vector<double>& objective,
                                  double tolerance = -1, bool maximise = false);

} // namespace TestSupport
