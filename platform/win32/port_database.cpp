// The COM port database routines of msports.dll, bound by name each time
// the database is opened and freed when it is closed.
#include <windows.h>

#include "platform/os.h"
#include "platform/win32/system_libraries.h"
#include "platform/win32/wine.h"

// What an open database handle stands for.
struct OpenPortDatabase {
  MsportsFunctions routines;
  HCOMDB handle;
};

static OpenPortDatabase* Opened(OsPortDatabase database) {
  return reinterpret_cast<OpenPortDatabase*>(database);
}

// Opens the database through routines that are all there; the handle is
// checked, as a routine that says it succeeded may still give none. The
// open database takes the library over.
static LONG OpenWith(LoadedLibrary<MsportsFunctions>& routines, OsPortDatabase* database) {
  auto* opened = static_cast<OpenPortDatabase*>(HeapAlloc(GetProcessHeap(), 0, sizeof(OpenPortDatabase)));
  if (opened == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  HCOMDB handle = HCOMDB_INVALID_HANDLE_VALUE;
  LONG status = routines->ComDBOpen(&handle);
  if (status == ERROR_SUCCESS && (handle == HCOMDB_INVALID_HANDLE_VALUE || handle == nullptr)) {
    status = ERROR_INVALID_HANDLE;
  }
  // Its own failure never reads as routines that are not there, which
  // would have the value written around the database.
  if (status == kOsPortDatabaseUnavailable) status = ERROR_GEN_FAILURE;
  if (status != ERROR_SUCCESS) {
    HeapFree(GetProcessHeap(), 0, opened);
    return status;
  }
  // The library stays loaded while the database is open.
  *opened = OpenPortDatabase{routines.Release(), handle};
  *database = reinterpret_cast<OsPortDatabase>(opened);
  return ERROR_SUCCESS;
}

int32_t OsOpenPortDatabase(OsPortDatabase* database) {
  *database = 0;
  LoadedLibrary<MsportsFunctions> routines;
  // Wine's own msports.dll exports the routines as stubs that end the
  // calling process: under Wine only another library (a test's stand-in
  // put in its place) is called.
  return routines.Complete() && !IsWineBuiltin(routines->library) ? OpenWith(routines, database)
                                                                 : kOsPortDatabaseUnavailable;
}

int32_t OsClaimPort(OsPortDatabase database, uint32_t port) {
  OpenPortDatabase* opened = Opened(database);
  BOOL forced = FALSE;
  return opened->routines.ComDBClaimPort(opened->handle, port, FALSE, &forced);
}

int32_t OsReleasePort(OsPortDatabase database, uint32_t port) {
  OpenPortDatabase* opened = Opened(database);
  return opened->routines.ComDBReleasePort(opened->handle, port);
}

int32_t OsResizePortDatabase(OsPortDatabase database, uint32_t ports) {
  OpenPortDatabase* opened = Opened(database);
  return opened->routines.ComDBResizeDatabase(opened->handle, ports);
}

void OsClosePortDatabase(OsPortDatabase database) {
  OpenPortDatabase* opened = Opened(database);
  opened->routines.ComDBClose(opened->handle);
  // The open database kept msports.dll loaded, handed over by its holder:
  // its close is the one place that frees it.
  FreeLibrary(opened->routines.library);
  HeapFree(GetProcessHeap(), 0, opened);
}
