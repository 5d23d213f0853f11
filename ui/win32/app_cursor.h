// The cursor every long action shows while it works.
#pragma once

#include <windows.h>

#include <stdint.h>

// Shows a system cursor over the main window and its list; the nudge moves
// the pointer a pixel and back so that the new shape shows at once.
void SetAppCursor(HWND mainWindow, LPCWSTR cursorId, int32_t nudge);
