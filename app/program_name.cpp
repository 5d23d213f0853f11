#include "app/program_name.h"

static const char16_t kEmptyText[] = u"";

const char16_t* SkipProgramNameIn(const char16_t* p) {
  // Quoted runs may stand anywhere in the program name; only a space outside
  // them ends it (a tab does not).
  while (*p != 0) {
    if (*p == u'"') {
      p++;
      while (*p != 0 && *p != u'"') p++;
      if (*p == 0) break;  // never closed: no arguments
      p++;
      continue;
    }
    if (*p == u' ') {
      while (*p == u' ') p++;
      return p;
    }
    p++;
  }
  return kEmptyText;
}
