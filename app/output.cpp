#include "app/output.h"

#include "base/text.h"

static int32_t failed[3];

void StartBatchOutput() {
  failed[kOsStandardOutput] = failed[kOsStandardError] = 0;
  OsJoinStartingConsole();
}

void WriteLine(int32_t stream, const char16_t* text) {
  if (stream != kOsStandardOutput && stream != kOsStandardError) return;
  if (failed[stream]) return;
  failed[stream] = OsWriteOutput(stream, text, TextLength(text)) != kOsErrorSuccess ||
                   OsWriteOutput(stream, u"\r\n", 2) != kOsErrorSuccess;
}

int32_t OutputFailed() { return failed[kOsStandardOutput] || failed[kOsStandardError]; }
