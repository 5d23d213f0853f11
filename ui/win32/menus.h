// The menu bar's and the context menu's states, and the context menu
// itself.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

// Menu states and the context menu, before the window is shown.
void InitMenuStates(const MainWindow& w);
// Undo Last Change greyed unless the window has a change of its own to
// undo; asked each time the File menu opens.
void SetUndoMenuState(const MainWindow& w);
void SetMenuCheck(const MainWindow& w, int32_t id, int32_t on);
void GrayMenuItem(HMENU menu, int32_t id);
// At the screen point, or at the focused row's label for (-1, -1), a
// request from the keyboard; never over the list's header.
void ShowContextMenu(MainWindow& w, int32_t x, int32_t y);
