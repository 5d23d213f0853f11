// The main window's own record: its handles, its view of the port list, its
// ports' state and the flags of its life, kept on the window itself
// (DWLP_USER) and handed to every part that works on it. Process-wide
// values (base/process.h) are set once at start and only read here.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "platform/os.h"
#include "ui/port_session.h"
#include "ui/settings_rules.h"
#include "ui/view_state.h"

struct MainWindow {
  HWND window;
  HWND list;
  HWND statusBar;
  HWND clearButton;
  HWND removeButton;
  HMENU menu;
  HMENU contextMenu;
  HMENU contextMenuHolder;
  HICON smallIcon;
  HICON largeIcon;
  HBITMAP menuCheckBitmap;
  HDEVNOTIFY deviceNotification;
  int32_t listTop;       // the list's top edge as the template placed it
  int32_t headerHeight;  // the list header's height, taken once

  ViewState view;
  PortSession ports;
  int32_t alwaysOnTop;   // for this run only
  // Set first thing at shutdown: no refresh is armed after it.
  int32_t shuttingDown;

  // What the settings file gave this start, and whether themes were active.
  StartupSettings startup;
  int32_t themesActive;

  // The watcher of the COM Name Arbiter key.
  HANDLE keyWatcherThread;
  OsEvent keyWatcherStop;
};

// The record of a main window; null before WM_INITDIALOG has kept it there.
MainWindow* MainWindowOf(HWND window);
void KeepOnWindow(HWND window, MainWindow* record);

// The vertical pixels per logical inch of the main window.
int32_t GetScreenDpi(const MainWindow& w);
int32_t ScaleByDpi(const MainWindow& w, int32_t n);
BOOL SetWindowZOrder(HWND window, HWND insertAfter);
// The theme choice (view.settings.visualStyles) on the list, the status
// bar and the two buttons.
void ApplyWindowTheme(const MainWindow& w);
