#include <windows.h>

#include "platform/os.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_libraries.h"

// How the libraries loaded by full path find their own dependencies: in
// the system directory alone, where the search is restricted to it; where
// it cannot be (no SetDefaultDllDirectories), from the folder of the
// library, the system directory, instead of the program's folder.
static DWORD dependencySearch = LOAD_WITH_ALTERED_SEARCH_PATH;

void HardenLibrarySearch() {
  // Looked up at run time: systems without these calls must still start.
  Kernel32Functions kernel;
  FindLoadedLibraryFunctions(&kernel);
  if (kernel.SetDllDirectoryA != nullptr) kernel.SetDllDirectoryA("");
  if (kernel.SetDefaultDllDirectories != nullptr &&
      kernel.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // The altered search would put PATH back into the search.
    dependencySearch = 0;
  }
}

// By its full path in the system directory, never by bare name: on a
// system without SetDefaultDllDirectories, a load by name would search the
// program's folder first. The system directory is asked for in at most
// MAX_PATH characters; the buffers hold a little more, for the library's
// name.
static HMODULE LoadSystemLibrary(const char16_t* name) {
  wchar_t path[264];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const wchar_t* tail = reinterpret_cast<const wchar_t*>(name);
  if (n + 1 + lstrlenW(tail) >= ARRAYSIZE(path)) return nullptr;
  path[n++] = L'\\';
  lstrcpyW(path + n, tail);
  return LoadLibraryExW(path, nullptr, dependencySearch);
}

// The record is the module and then one pointer per name (its layout is
// checked where it is declared): filled slot by slot, as bytes. Kept out
// of line, one loop for both loaders and every library.
static int __attribute__((noinline)) FillRecord(HMODULE library, const char* names, void* record) {
  auto* slot = static_cast<char*>(record);
  CopyMemory(slot, &library, sizeof library);
  int found = library != nullptr;
  for (const char* name = names; *name != 0; name += lstrlenA(name) + 1) {
    slot += sizeof(FARPROC);
    // GetProcAddress of no module would search the program itself.
    FARPROC function = library != nullptr ? GetProcAddress(library, name) : nullptr;
    CopyMemory(slot, &function, sizeof function);
    found &= function != nullptr;
  }
  return found;
}

int LoadLibraryFunctions(const char16_t* file, const char* names, void* record) {
  return FillRecord(LoadSystemLibrary(file), names, record);
}

int FindLoadedLibraryFunctions(const char16_t* file, const char* names, void* record) {
  return FillRecord(GetModuleHandleW(reinterpret_cast<const wchar_t*>(file)), names, record);
}

int32_t OsReadVersionNumbers(OsVersionNumbers* numbers) {
  OSVERSIONINFOEXW info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ZeroMemory(numbers, sizeof *numbers);
  // The manifest declares every system up to 10, so the real version is reported.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return LastErrorOfFailure();
#pragma GCC diagnostic pop
  numbers->major = info.dwMajorVersion;
  numbers->minor = info.dwMinorVersion;
  numbers->build = info.dwBuildNumber;
  numbers->servicePackMajor = info.wServicePackMajor;
  numbers->productType = info.wProductType;
  numbers->suiteMask = info.wSuiteMask;
  return kOsErrorSuccess;
}

int32_t OsReadFileVersion(const char16_t* path, uint32_t* versionMS, uint32_t* versionLS) {
  LoadedLibrary<VersionFunctions> version;
  int32_t status = ERROR_MOD_NOT_FOUND;
  if (version.Complete()) {
    // Only the fixed file information near the start of the block is needed.
    alignas(8) BYTE block[512];
    ZeroMemory(block, sizeof block);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    status = ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (version->GetFileVersionInfoW(reinterpret_cast<const wchar_t*>(path), 0, sizeof block, block) &&
        version->VerQueryValueW(block, L"\\", reinterpret_cast<LPVOID*>(&fixed), &length) &&
        length != 0 && fixed != nullptr) {
      *versionMS = fixed->dwFileVersionMS;
      *versionLS = fixed->dwFileVersionLS;
      status = kOsErrorSuccess;
    }
  } else if (version->library != nullptr) {
    status = ERROR_PROC_NOT_FOUND;
  }
  return status;
}
