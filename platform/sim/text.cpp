// Text: the locale's collation and the ANSI code page, as the tests need them.
#include "platform/sim/sim_state.h"

// Code-unit order stands in for the locale's collation: the tests look only
// at the sign, and at ties.
int OsCompareText(const char16_t* a, const char16_t* b) {
  for (;; a++, b++) {
    int d = static_cast<int>(*a) - static_cast<int>(*b);
    if (d != 0 || *a == 0) return d;
  }
}

int OsCompareTextNoCase(const char16_t* a, const char16_t* b) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
  for (;; a++, b++) {
    int d = fold(*a) - fold(*b);
    if (d != 0 || *a == 0) return d;
  }
}

// The ANSI code page here is plain ASCII: every other character has no
// exact form.
bool OsToAnsiExact(const char16_t* text, char* buffer, uint32_t chars) {
  uint32_t n = 0;
  for (; text[n] != 0; n++) {
    if (text[n] > 0x7F || n + 1 >= chars) {
      if (chars > 0) buffer[0] = 0;
      return false;
    }
    buffer[n] = static_cast<char>(text[n]);
  }
  buffer[n] = 0;
  return true;
}
