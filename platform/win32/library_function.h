// Functions of system libraries that the program finds by name while it
// runs, never through its import table.
//
// Each library's functions are one list, LIST(F), which names F once per
// function (platform/win32/system_libraries.h holds them all), and one
// record made from it by LIBRARY_RECORD. LIBRARY_FUNCTION(SetWindowTheme)
// is the record's field for one function: a pointer of the type the
// function's own declaration gives, under that declaration's name, looked
// up by that name's text. A wrong signature or a misspelt name does not
// compile, and nothing of the function itself is referenced, so the
// library is never bound at start.
#pragma once

#include <windows.h>

#include <type_traits>

#define LIBRARY_FUNCTION(name) decltype(&::name) name;
#define LIBRARY_FUNCTION_NAME(name) #name "\0"
#define LIBRARY_FUNCTION_COUNT(name) +1

// The library's file, its functions' names one after another (each ended
// by a zero, the last by two), and the record itself: the module, then one
// pointer per function in the list's order, which is how the loader fills
// it.
#define LIBRARY_RECORD(Record, file, FUNCTIONS)                                  \
  struct Record {                                                                \
    static constexpr const char16_t* kFile = file;                               \
    static constexpr const char* kNames = FUNCTIONS(LIBRARY_FUNCTION_NAME);      \
    HMODULE library;                                                             \
    FUNCTIONS(LIBRARY_FUNCTION)                                                  \
  };                                                                             \
  static_assert(std::is_standard_layout<Record>::value &&                        \
                    sizeof(Record) == sizeof(HMODULE) +                          \
                                          (0 FUNCTIONS(LIBRARY_FUNCTION_COUNT)) * \
                                              sizeof(FARPROC),                   \
                "the module and one pointer per function, nothing between")

// Fills a record from its library, loaded by its full path in the system
// directory (its own dependencies come from there too), never by bare name:
// the module (null when it could not be loaded) and each function (null
// where the library lacks it). 1 when every function was found. Called
// through LoadedLibrary below, which frees the library.
int LoadLibraryFunctions(const char16_t* file, const char* names, void* record);
// The same from a library that every process has loaded (kernel32, ntdll),
// which is never freed.
int FindLoadedLibraryFunctions(const char16_t* file, const char* names, void* record);

template <typename Record>
int FindLoadedLibraryFunctions(Record* record) {
  return FindLoadedLibraryFunctions(Record::kFile, Record::kNames, record);
}

// A library's record, loaded when the holder is made and the library freed
// when it goes, on every path. A library that must outlive the holder is
// handed over by Release to the one owner that frees it.
template <typename Record>
class LoadedLibrary {
 public:
  LoadedLibrary() : complete_(LoadLibraryFunctions(Record::kFile, Record::kNames, &functions_)) {}
  ~LoadedLibrary() {
    if (functions_.library != nullptr) FreeLibrary(functions_.library);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  // The module (null when it could not be loaded) and each function (null
  // where the library lacks it).
  const Record* operator->() const { return &functions_; }
  // Whether every function was found.
  bool Complete() const { return complete_ != 0; }
  // The record, its library still loaded: the taker frees it.
  Record Release() {
    Record taken = functions_;
    functions_.library = nullptr;
    return taken;
  }

 private:
  Record functions_;
  int complete_;
};
