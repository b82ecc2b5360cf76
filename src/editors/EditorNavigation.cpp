#include "shell/Navigation.h"

// Filled in with the editors.
namespace Navigation {
void showFeedEditor() {}
void showPoultryEditor() {}
} // namespace Navigation
