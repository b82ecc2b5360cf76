#pragma once

class RacionSheet;

// The automatic composition behind the worksheet's "Расчитать": builds the
// linear programme from the ration state, solves it and writes the weights
// into the worksheet (each write runs the recalculation).
namespace Composition {
void cmdS_Click(RacionSheet& sheet);
} // namespace Composition
