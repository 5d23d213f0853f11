#include "ui/win32/monitor.h"

#include "ui/device_change.h"
#include "ui/key_watcher.h"
#include "ui/win32/port_list.h"

static VOID CALLBACK RefreshTimerExpired(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  if (MainWindow* w = MainWindowOf(window)) RefreshList(*w);
}

void ArmRefreshTimer(HWND mainWindow, UINT milliseconds) {
  SetTimer(mainWindow, kRefreshTimerId, milliseconds, RefreshTimerExpired);
}

// On the watcher's thread: a timer belongs to the thread of its window, so
// the GUI thread is asked to arm it.
static void AskToArmRefresh(void* window) {
  PostMessageW(static_cast<HWND>(window), kArmRefreshMessage, 0, 0);
}

// The record lives as long as the process's window mode; the watcher reads
// the two fields it needs once, as it starts.
static DWORD WINAPI KeyWatcher(LPVOID record) {
  const MainWindow* w = static_cast<const MainWindow*>(record);
  return WatchComArbiter(w->keyWatcherStop, AskToArmRefresh, w->window);
}

void StopKeyWatcher(MainWindow& w) {
  if (w.keyWatcherThread == nullptr) return;
  // The watcher closes its key itself once its wait is over: a key closed
  // here could be used by it afterwards, or its handle by another key.
  OsSetEvent(w.keyWatcherStop);
  // One that does not end in time may still wait on the event: it stays.
  if (WaitForSingleObject(w.keyWatcherThread, 1000) == WAIT_OBJECT_0) {
    OsCloseEvent(w.keyWatcherStop);
  }
  CloseHandle(w.keyWatcherThread);
  w.keyWatcherThread = nullptr;
}

void StartKeyWatcher(MainWindow& w) {
  // No way to stop it: not started.
  if (OsCreateEvent(true, &w.keyWatcherStop) != kOsErrorSuccess) return;
  w.keyWatcherThread = CreateThread(nullptr, 0, KeyWatcher, &w, 0, nullptr);
}

void OnDeviceChange(MainWindow& w, WPARAM event, LPARAM data) {
  if (w.shuttingDown) return;
  if (!IsWatchedDeviceChange(event, reinterpret_cast<const void*>(data))) return;
  KillTimer(w.window, kRefreshTimerId);
  ArmRefreshTimer(w.window, kDeviceChangeRefreshDelay);
}
