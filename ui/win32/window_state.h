// The main window's handles and the few routines over them that its parts
// share: made and set by the main window, used by every part of it.
#pragma once

#include <windows.h>

#include <stdint.h>

extern HWND mainWindow;
extern HWND listView;
extern HWND statusBar;
extern HWND clearButton;
extern HWND removeButton;
extern HMENU mainMenu;
extern HMENU contextMenu;
extern HMENU contextMenuHolder;
extern HICON smallIcon;
extern HICON largeIcon;
extern HBITMAP menuCheckBitmap;
extern HDEVNOTIFY deviceNotification;
extern int32_t listTop;       // the list's top edge as the template placed it
extern int32_t headerHeight;  // the list header's height, taken once

// The vertical pixels per logical inch of the main window.
int32_t GetScreenDpi();
int32_t ScaleByDpi(int32_t n);
BOOL SetWindowZOrder(HWND window, HWND insertAfter);
// The theme choice (viewSettings.visualStyles) on the list, the status bar
// and the two buttons.
void ApplyWindowTheme();
