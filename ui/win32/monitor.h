// Following outside changes (the key watcher, device-interface messages)
// through the one refresh timer.
#pragma once

#include <windows.h>

#include <stdint.h>

const UINT_PTR kRefreshTimerId = 0x12340001;
const UINT kStartupRefreshDelay = 10;
const UINT kKeyChangeRefreshDelay = 10;
const UINT kDeviceChangeRefreshDelay = 500;

// The key watcher's request, posted to the main window, to arm the refresh
// timer on the GUI thread.
const UINT kArmRefreshMessage = WM_APP + 1;

// Arms the one-shot refresh timer; arming it again restarts it.
void ArmRefreshTimer(UINT milliseconds);
void StartKeyWatcher(HWND window);
// Ends the watcher, waiting for it at most a second.
void StopKeyWatcher();
void OnDeviceChange(HWND window, WPARAM event, LPARAM data);
