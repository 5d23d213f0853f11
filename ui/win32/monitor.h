// Following outside changes (the key watcher, device-interface messages)
// through the one refresh timer.
#pragma once

#include <windows.h>

#include <stdint.h>

#include "ui/win32/window_state.h"

const UINT_PTR kRefreshTimerId = 0x12340001;
const UINT kStartupRefreshDelay = 10;
const UINT kKeyChangeRefreshDelay = 10;
const UINT kDeviceChangeRefreshDelay = 500;

// The key watcher's request, posted to the main window, to arm the refresh
// timer on the GUI thread.
const UINT kArmRefreshMessage = WM_APP + 1;

// Arms the main window's one-shot refresh timer; arming it again restarts
// it. Its expiry refreshes the list of the window's record.
void ArmRefreshTimer(HWND mainWindow, UINT milliseconds);
void StartKeyWatcher(MainWindow& w);
// Ends the watcher, waiting for it at most a second.
void StopKeyWatcher(MainWindow& w);
void OnDeviceChange(MainWindow& w, WPARAM event, LPARAM data);
