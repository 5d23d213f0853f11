// The commands of the main window, by id, from the menus, the accelerators
// and the buttons.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

void DispatchCommand(MainWindow& w, int32_t id);
