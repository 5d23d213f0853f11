// Functions of libraries loaded while the program runs, found by name.
//
// LIBRARY_FUNCTION(module, SetWindowTheme) is a pointer of the type the
// function's own declaration gives, looked up by that declaration's name:
// a wrong signature or a misspelt name does not compile. Nothing of the
// function itself is referenced, so the library is never bound at start.
#pragma once

#include <windows.h>

template <typename Function>
Function* LibraryFunctionNamed(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // GetProcAddress gives a generic function pointer; through void*, the
  // compiler takes the cast to the declared type.
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

#define LIBRARY_FUNCTION(module, name) LibraryFunctionNamed<decltype(name)>(module, #name)
