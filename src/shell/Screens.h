#pragma once

// What a screen takes from the shell, in one include: the Form base and its
// activation, sizes and fonts at the application's font, text colours that
// read on a back colour, and the frame that hosts the screens.
#include "shell/Colours.h"
#include "shell/Form.h"
#include "shell/Hosting.h"
#include "shell/Metrics.h"
