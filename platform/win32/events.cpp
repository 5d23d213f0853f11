#include <windows.h>

#include "platform/os.h"

OsEvent OsCreateEvent(int32_t manualReset) {
  return reinterpret_cast<OsEvent>(CreateEventW(nullptr, manualReset != 0, FALSE, nullptr));
}

void OsSetEvent(OsEvent event) { SetEvent(reinterpret_cast<HANDLE>(event)); }

void OsCloseEvent(OsEvent event) { CloseHandle(reinterpret_cast<HANDLE>(event)); }
