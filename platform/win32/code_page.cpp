#include "platform/win32/code_page.h"

int EncodeInCodePage(UINT page, const wchar_t* text, int units, char* bytes, int size) {
  // Where the code page has no character, "?": no similar character stands
  // in for it (a best fit would turn a name into another). UTF-8 and some
  // code pages take neither the flag nor a default.
  if (page != CP_UTF8 && page != CP_UTF7) {
    int n = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, text, units, bytes, size, "?",
                                nullptr);
    if (n > 0) return n;
  }
  return WideCharToMultiByte(page, 0, text, units, bytes, size, nullptr, nullptr);
}
