#include "shell/Navigation.h"

// Filled in with the calculation file and the text report.
namespace Navigation {
void saveCalculation() {}
void openCalculation() {}
void writeReport() {}
void viewReport() {}
} // namespace Navigation
