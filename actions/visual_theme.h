// Switching the themed look of the window's controls off and on.
#pragma once

#include <stdint.h>

int32_t IsThemeActiveNow();
// Applies visualStyles to the list, the status bar and the two buttons.
void ApplyVisualStyles();
