// The settings file as the main window uses it: read while the window is
// initialised, applied as it is made, written when it closes and before a
// restart as administrator.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

// Reads every setting into the record; the window applies them as it is
// made.
void ReadWindowSettings(MainWindow& w);
// The settings steps of the window's creation, in order: the Device ID
// column, the column widths (then the columns are created), the sort
// order, the theme choice and the placement. Returns 1 and fills
// placement when a stored one was read and adapted to showCommand.
int32_t ApplyStartupSettings(MainWindow& w, int32_t showCommand, WINDOWPLACEMENT* placement);
// Writes every setting, only while the main window is visible.
void SaveSettings(MainWindow& w);
