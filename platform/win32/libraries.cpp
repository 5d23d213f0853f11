#include <windows.h>
#include <winver.h>

#include "platform/os.h"
#include "platform/win32/library_function.h"

// How the libraries loaded by full path find their own dependencies: in
// the system directory alone, where the search is restricted to it; where
// it cannot be (no SetDefaultDllDirectories), from the folder of the
// library, the system directory, instead of the program's folder.
static DWORD dependencySearch = LOAD_WITH_ALTERED_SEARCH_PATH;

void HardenLibrarySearch() {
  // Looked up at run time: systems without these calls must still start.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDllDirectory = LIBRARY_FUNCTION(kernel, SetDllDirectoryA);
  if (setDllDirectory != nullptr) setDllDirectory("");
  auto setDefaultDirectories = LIBRARY_FUNCTION(kernel, SetDefaultDllDirectories);
  if (setDefaultDirectories != nullptr && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // The altered search would put PATH back into the search.
    dependencySearch = 0;
  }
}

// The system directory is asked for in at most MAX_PATH characters; the
// buffers hold a little more, for the library's name.
void* LoadSystemLibrary(const char16_t* name) {
  wchar_t path[264];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  const wchar_t* tail = reinterpret_cast<const wchar_t*>(name);
  if (n + 1 + lstrlenW(tail) >= ARRAYSIZE(path)) return nullptr;
  path[n++] = L'\\';
  lstrcpyW(path + n, tail);
  return LoadLibraryExW(path, nullptr, dependencySearch);
}

int OsReadVersionNumbers(OsVersionNumbers* numbers) {
  OSVERSIONINFOEXW info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ZeroMemory(numbers, sizeof *numbers);
  // The manifest declares every system up to 10, so the real version is reported.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return 0;
#pragma GCC diagnostic pop
  numbers->major = info.dwMajorVersion;
  numbers->minor = info.dwMinorVersion;
  numbers->build = info.dwBuildNumber;
  numbers->servicePackMajor = info.wServicePackMajor;
  numbers->productType = info.wProductType;
  numbers->suiteMask = info.wSuiteMask;
  return 1;
}

OsFileVersionResult OsReadFileVersion(const char16_t* path, uint32_t* versionMS,
                                      uint32_t* versionLS) {
  HMODULE library = static_cast<HMODULE>(LoadSystemLibrary(u"version.dll"));
  if (library == nullptr) return kOsVersionLibraryMissing;
  auto getInfo = LIBRARY_FUNCTION(library, GetFileVersionInfoW);
  auto query = LIBRARY_FUNCTION(library, VerQueryValueW);
  if (getInfo == nullptr || query == nullptr) {
    FreeLibrary(library);
    return kOsVersionLibraryMissing;
  }
  // Only the fixed file information near the start of the block is needed.
  alignas(8) BYTE block[512];
  ZeroMemory(block, sizeof block);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  OsFileVersionResult result = kOsVersionUnreadable;
  if (getInfo(reinterpret_cast<const wchar_t*>(path), 0, sizeof block, block) &&
      query(block, L"\\", reinterpret_cast<LPVOID*>(&fixed), &length) && length != 0 &&
      fixed != nullptr) {
    *versionMS = fixed->dwFileVersionMS;
    *versionLS = fixed->dwFileVersionLS;
    result = kOsVersionRead;
  }
  FreeLibrary(library);
  return result;
}
