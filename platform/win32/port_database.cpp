// The COM port database routines of msports.dll, bound by name each time
// the database is opened and released with it.
#include <windows.h>
#include <ddk/msports.h>

#include "platform/os.h"
#include "platform/win32/library_function.h"
#include "platform/win32/wine.h"

// Every routine of msports.dll the program calls, typed from the SDK's
// declarations (ddk/msports.h).
struct PortDatabaseRoutines {
  decltype(&ComDBOpen) open;
  decltype(&ComDBClaimPort) claim;
  decltype(&ComDBReleasePort) release;
  decltype(&ComDBClose) close;
};

static bool FindRoutines(HMODULE library, PortDatabaseRoutines* routines) {
  routines->open = LIBRARY_FUNCTION(library, ComDBOpen);
  routines->claim = LIBRARY_FUNCTION(library, ComDBClaimPort);
  routines->release = LIBRARY_FUNCTION(library, ComDBReleasePort);
  routines->close = LIBRARY_FUNCTION(library, ComDBClose);
  return routines->open != nullptr && routines->claim != nullptr &&
         routines->release != nullptr && routines->close != nullptr;
}

// What an open database handle stands for.
struct OpenPortDatabase {
  HMODULE library;
  PortDatabaseRoutines routines;
  HCOMDB handle;
};

static OpenPortDatabase* Opened(OsPortDatabase database) {
  return reinterpret_cast<OpenPortDatabase*>(database);
}

int32_t OsOpenPortDatabase(OsPortDatabase* database) {
  *database = 0;
  HMODULE library = static_cast<HMODULE>(LoadSystemLibrary(u"msports.dll"));
  if (library == nullptr) return kOsPortDatabaseUnavailable;
  PortDatabaseRoutines routines;
  // Wine's own msports.dll exports the routines as stubs that end the
  // calling process: under Wine only another library (a test's stand-in
  // put in its place) is called.
  if (!FindRoutines(library, &routines) || IsWineBuiltin(library)) {
    FreeLibrary(library);
    return kOsPortDatabaseUnavailable;
  }
  auto* opened = static_cast<OpenPortDatabase*>(HeapAlloc(GetProcessHeap(), 0, sizeof(OpenPortDatabase)));
  if (opened == nullptr) {
    FreeLibrary(library);
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  HCOMDB handle = HCOMDB_INVALID_HANDLE_VALUE;
  LONG status = routines.open(&handle);
  if (status == ERROR_SUCCESS && (handle == HCOMDB_INVALID_HANDLE_VALUE || handle == nullptr)) {
    status = ERROR_INVALID_HANDLE;
  }
  if (status != ERROR_SUCCESS) {
    HeapFree(GetProcessHeap(), 0, opened);
    FreeLibrary(library);
    return status;
  }
  *opened = OpenPortDatabase{library, routines, handle};
  *database = reinterpret_cast<OsPortDatabase>(opened);
  return ERROR_SUCCESS;
}

int32_t OsClaimPort(OsPortDatabase database, uint32_t port) {
  OpenPortDatabase* opened = Opened(database);
  BOOL forced = FALSE;
  return opened->routines.claim(opened->handle, port, FALSE, &forced);
}

int32_t OsReleasePort(OsPortDatabase database, uint32_t port) {
  OpenPortDatabase* opened = Opened(database);
  return opened->routines.release(opened->handle, port);
}

void OsClosePortDatabase(OsPortDatabase database) {
  OpenPortDatabase* opened = Opened(database);
  opened->routines.close(opened->handle);
  FreeLibrary(opened->library);
  HeapFree(GetProcessHeap(), 0, opened);
}
