#pragma once

#include "engine/RacionSheet.h"

#include <QString>
#include <vector>

class Adodc;

// The automatic composition behind the worksheet's "Расчитать": builds the
// linear programme from the ration state, solves it and writes the weights
// into the worksheet (each write runs the recalculation).
namespace Composition {

inline const QString kNotSolved = QStringLiteral(
    "Не решено.Можно досчитать вручную, увеличть погрешность счета, поменять 1 из кормов.");
inline const QString kNotANumber = QStringLiteral("Проверте правильность ввода числа");

// The shift of the main nutrients never goes beyond this many percent either
// way, whatever Combo1 says: at -100 % their bounds are 0, and a tolerance of
// more than 100 % would accept a ration without the nutrient. So one click
// runs at most some 200 passes.
inline constexpr double kMaxTolerance = 100.0;
// A guard beyond the schedule above; the schedule alone never reaches it.
inline constexpr int kMaxPasses = 250;

enum class Status {
    Balanced,    // the sheet as it stands is balanced (sheetBalanced)
    NotSolved,   // the last pass's weights stay in the boxes; kNotSolved is the message
    Refused,     // nothing was written; the message says why
};

struct Outcome {
    Status status = Status::Refused;
    QString message;              // empty when Balanced
    int passes = 0;
    std::vector<float> deltas;    // the shift each pass used, in order
};

// The worksheet as it stands is balanced: no main nutrient out of its
// tolerance, no vitamin either when Check1 is ticked, and the weights adding
// up to exactly 100. A feed over its feeding limit alone does not count.
bool sheetBalanced(const RacionSheet& sheet);

// The click of cmdS; the worksheet shows the outcome's message.
Outcome compose(RacionSheet& sheet);

// Every record of granica through the data control: record source
// "Select * from granica ", refresh, fields 0 and 1 of each record in order.
// The worksheet's groupRecords() hands its Adodc3 to this.
GroupRecords readGroups(Adodc& adodc);

} // namespace Composition
