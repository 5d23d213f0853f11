#include "app/program_name.h"

static const char16_t kEmptyText[] = u"";

static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

const char16_t* SkipProgramNameIn(const char16_t* p) {
  // As the system's own parser: quoted runs may stand anywhere in the
  // program name, and a space or a tab outside them ends it.
  while (*p != 0) {
    if (*p == u'"') {
      p++;
      while (*p != 0 && *p != u'"') p++;
      if (*p == 0) break;  // never closed: no arguments
      p++;
      continue;
    }
    if (IsBlank(*p)) {
      while (IsBlank(*p)) p++;
      return p;
    }
    p++;
  }
  return kEmptyText;
}
