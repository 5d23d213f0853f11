// The main window: a modeless dialog holding the port list, the status bar,
// the two repair buttons and the menu bar.
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

// Creates, places and shows the window and arms the first refresh; 1.
int32_t CreateMainWindow(int32_t showCommand);
INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int32_t InitMainWindow(HWND window);
void LayoutMainWindow();

int32_t GetScreenDpi();
int32_t ScaleByDpi(int32_t n);
BOOL SetWindowZOrder(HWND window, HWND insertAfter);
// The theme choice (viewSettings.visualStyles) on the list, the status bar
// and the two buttons.
void ApplyWindowTheme();
