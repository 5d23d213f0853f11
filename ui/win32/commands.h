// Commands of the main window: the dispatcher, the menus' states and the
// busy cursor.
#pragma once

#include <windows.h>

#include <stdint.h>

void DispatchCommand(HWND window, int32_t id, HWND control, int32_t notification);
void ShowContextMenu(HWND window, int32_t x, int32_t y);
// Menu states and the context menu, before the window is shown.
void InitMenuStates();
void SetMenuCheck(int32_t id, int32_t on);
void GrayMenuItem(HMENU menu, int32_t id);
// Shows a system cursor over the main window and the list; the nudge moves
// the pointer a pixel and back so that the new shape shows at once.
void SetAppCursor(LPCWSTR cursorId, int32_t nudge);
