// The commands of the main window, by id, from the menus, the accelerators
// and the buttons.
#pragma once

#include <windows.h>

#include <stdint.h>

void DispatchCommand(HWND window, int32_t id, HWND control, int32_t notification);
