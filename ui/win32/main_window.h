// The main window: a modeless dialog holding the port list, the status bar,
// the two repair buttons and the menu bar.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

// Creates, places and shows the window over the record, which it keeps on
// itself, and arms the first refresh; 1.
int32_t CreateMainWindow(MainWindow* w, int32_t showCommand);
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
