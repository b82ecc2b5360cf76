#pragma once
// The ration the engine's tests start from.

#include <QString>
#include <QVariant>

namespace TestSupport {

// A fresh ration state of n feeds "Корм 0" .. "Корм n-1", each with every
// nutrient at `content`, the feeding limit `granic` and the group `group`;
// every requirement of the category "Куры" at `requirement`; no contributions.
void startRation(int n, const QVariant& content = 10, const QVariant& granic = 100,
                 const QString& group = QStringLiteral("Зерновые"), const QVariant& requirement = 10);

} // namespace TestSupport
