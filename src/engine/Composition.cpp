#include "engine/Composition.h"

#include "engine/RacionSheet.h"

// Filled in with the automatic composition.
namespace Composition {
void cmdS_Click(RacionSheet&) {}
} // namespace Composition
