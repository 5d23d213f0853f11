// Following outside changes (the key watcher, device-interface messages)
// through the one refresh timer, and the ordered shutdown of the window.
#pragma once

#include <windows.h>

#include <stdint.h>

const UINT_PTR kRefreshTimerId = 0x12340001;
const UINT kStartupRefreshDelay = 10;
const UINT kKeyChangeRefreshDelay = 10;
const UINT kDeviceChangeRefreshDelay = 500;

// Arms the one-shot refresh timer; arming it again restarts it.
void ArmRefreshTimer(UINT milliseconds);
// Ends a use of the models (see refresh_gate.h) and runs what it held back,
// from the message loop.
void EndModelUseAndCatchUp();
void StartKeyWatcher();
void OnDeviceChange(HWND window, WPARAM event, LPARAM data);
void CloseMainWindow(HWND window);
