// A library found by name is freed exactly once, by whoever holds it last:
// a holder as it goes, a taker it was handed to, or the close of the port
// database that took msports.dll over.
#include "platform/win32/library_function.h"

#include <gtest/gtest.h>

#include "platform/os.h"
#include "platform/win32/system_libraries.h"

namespace {

HMODULE LoadFromSystemDirectory(const wchar_t* name) {
  wchar_t path[MAX_PATH + 32];
  UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  path[n] = L'\\';
  lstrcpyW(path + n + 1, name);
  return LoadLibraryW(path);
}

TEST(LoadedLibrary, IsFreedOnceByWhoeverHoldsItLast) {
  const struct {
    const char* name;
    const wchar_t* library;
    // Loads the library the way under test and lets it go: the module it
    // hands over to the test, which frees it in turn; null for none.
    HMODULE (*use)();
  } cases[] = {
      {"freed as its holder goes", L"wevtapi.dll",
       []() -> HMODULE {
         LoadedLibrary<WevtapiFunctions> held;
         EXPECT_TRUE(held.Complete());
         return nullptr;
       }},
      {"handed over, freed by the taker", L"wevtapi.dll",
       []() -> HMODULE {
         LoadedLibrary<WevtapiFunctions> held;
         return held.Release().library;
       }},
      {"taken over by the open port database, freed by its close", L"msports.dll",
       []() -> HMODULE {
         OsPortDatabase database;
         // Opened only by an administrator on Windows; the test prefix's always.
         if (OsOpenPortDatabase(&database) == kOsErrorSuccess) OsClosePortDatabase(database);
         return nullptr;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(nullptr, GetModuleHandleW(c.library)) << "loaded elsewhere in the process";
    // A reference of the test's own: a second free would unload the
    // library under it, a missing one would leave it loaded after it.
    HMODULE own = LoadFromSystemDirectory(c.library);
    ASSERT_NE(nullptr, own);
    HMODULE taken = c.use();
    EXPECT_NE(nullptr, GetModuleHandleW(c.library));
    if (taken != nullptr) {
      FreeLibrary(taken);
      EXPECT_NE(nullptr, GetModuleHandleW(c.library));
    }
    FreeLibrary(own);
    EXPECT_EQ(nullptr, GetModuleHandleW(c.library));
  }
}

}  // namespace
