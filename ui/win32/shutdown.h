// The ordered shutdown of the main window.
#pragma once

#include <windows.h>

#include "ui/win32/window_state.h"

// On WM_CLOSE: stops the key watcher, saves the settings while the window
// is still visible, releases everything the window made and ends the
// message loop. Held back, with a beep, while a message box holds rows.
void CloseMainWindow(MainWindow& w);
