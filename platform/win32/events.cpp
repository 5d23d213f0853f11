#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"

int32_t OsCreateEvent(bool manualReset, OsEvent* event) {
  return HandleOf(CreateEventW(nullptr, manualReset, FALSE, nullptr), event);
}

void OsSetEvent(OsEvent event) { SetEvent(reinterpret_cast<HANDLE>(event)); }

void OsCloseEvent(OsEvent event) { CloseHandle(reinterpret_cast<HANDLE>(event)); }
