// The ordered shutdown of the main window.
#pragma once

#include <windows.h>

#include <stdint.h>

// Set first thing at shutdown: no refresh is armed after it. GUI thread only.
extern int32_t shuttingDown;

// On WM_CLOSE: stops the key watcher, saves the settings while the window
// is still visible, releases everything the window made and ends the
// message loop. Held back, with a beep, while a message box holds rows.
void CloseMainWindow(HWND window);
