#include "ui/win32/monitor.h"

#include "ui/device_change.h"
#include "ui/key_watcher.h"
#include "ui/win32/port_list.h"
#include "ui/win32/shutdown.h"
#include "ui/win32/window_state.h"

static HANDLE keyWatcherThread;
static OsEvent keyWatcherStop;

static VOID CALLBACK RefreshTimerExpired(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  RefreshList();
}

void ArmRefreshTimer(UINT milliseconds) {
  SetTimer(mainWindow, kRefreshTimerId, milliseconds, RefreshTimerExpired);
}

// On the watcher's thread: a timer belongs to the thread of its window, so
// the GUI thread is asked to arm it.
static void AskToArmRefresh(void* window) {
  PostMessageW(static_cast<HWND>(window), kArmRefreshMessage, 0, 0);
}

static DWORD WINAPI KeyWatcher(LPVOID window) {
  return WatchComArbiter(keyWatcherStop, AskToArmRefresh, window);
}

void StopKeyWatcher() {
  if (keyWatcherThread == nullptr) return;
  // The watcher closes its key itself once its wait is over: a key closed
  // here could be used by it afterwards, or its handle by another key.
  OsSetEvent(keyWatcherStop);
  // One that does not end in time may still wait on the event: it stays.
  if (WaitForSingleObject(keyWatcherThread, 1000) == WAIT_OBJECT_0) OsCloseEvent(keyWatcherStop);
  CloseHandle(keyWatcherThread);
  keyWatcherThread = nullptr;
}

void StartKeyWatcher(HWND window) {
  keyWatcherStop = OsCreateEvent(1);
  if (keyWatcherStop == 0) return;  // no way to stop it: not started
  keyWatcherThread = CreateThread(nullptr, 0, KeyWatcher, window, 0, nullptr);
}

void OnDeviceChange(HWND window, WPARAM event, LPARAM data) {
  if (shuttingDown) return;
  if (!IsWatchedDeviceChange(event, reinterpret_cast<const void*>(data))) return;
  KillTimer(window, kRefreshTimerId);
  ArmRefreshTimer(kDeviceChangeRefreshDelay);
}
