#include <windows.h>

#include "platform/os.h"

static const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

int OsCompareText(const char16_t* a, const char16_t* b) { return lstrcmpW(W(a), W(b)); }

int OsCompareTextNoCase(const char16_t* a, const char16_t* b) { return lstrcmpiW(W(a), W(b)); }

bool OsToAnsiExact(const char16_t* text, char* buffer, uint32_t chars) {
  const wchar_t* wide = W(text);
  int n;
  if (GetACP() == CP_UTF8) {
    // Every character has a UTF-8 form; only a broken surrogate has none.
    // (The best-fit flag and the default test are refused for UTF-8.)
    n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, buffer, chars, nullptr, nullptr);
  } else {
    BOOL replaced = FALSE;
    n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, buffer, chars, nullptr,
                            &replaced);
    if (replaced) n = 0;
  }
  if (n <= 0 && chars > 0) buffer[0] = 0;
  return n > 0;
}
