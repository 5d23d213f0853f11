#include "app/output.h"

#include "app/text.h"

void WriteLine(int32_t stream, const char16_t* text) {
  OsWriteOutput(stream, text, TextLength(text));
  OsWriteOutput(stream, u"\r\n", 2);
}
