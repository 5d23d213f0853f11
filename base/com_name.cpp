#include "base/com_name.h"

#include "base/text.h"

void ComName(int32_t port, char16_t* text, uint32_t units) {
  TextCopy(text, units, u"COM");
  TextAppendSigned(text, units, port);
}

static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int32_t PortNumberOfName(const char16_t* name) {
  const char16_t* com = u"com";
  for (int i = 0; i < 3; i++) {
    if (TextFoldAscii(name[i]) != com[i]) return 0;
  }
  // Up to five digits: no number beyond that is a port (ComDB ends at 4096).
  uint32_t length = 0;
  while (IsDigit(name[3 + length]) && length < 6) length++;
  if (length == 0 || length > 5 || name[3 + length] != 0) return 0;
  return TextToInt(name + 3);
}
