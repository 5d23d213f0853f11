// Switching the themed look of the window's controls off and on.
#pragma once

#include <stdint.h>

#include <windows.h>

int32_t IsThemeActiveNow();
// Switches the themed look of the given controls on or off, and repaints
// the window that holds them.
void ApplyVisualStyles(HWND window, const HWND* themed, int32_t count, int32_t visualStyles);
