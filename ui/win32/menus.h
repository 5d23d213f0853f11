// The menu bar's and the context menu's states, and the context menu
// itself.
#pragma once

#include <windows.h>

#include <stdint.h>

// Menu states and the context menu, before the window is shown.
void InitMenuStates();
void SetMenuCheck(int32_t id, int32_t on);
void GrayMenuItem(HMENU menu, int32_t id);
// At the screen point, or at the focused row's label for (-1, -1), a
// request from the keyboard; never over the list's header.
void ShowContextMenu(HWND window, int32_t x, int32_t y);
