// Lines of batch mode on standard output and standard error.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// Joins the console of the starting program (see OsJoinStartingConsole)
// and starts counting failed writes afresh.
void StartBatchOutput();
// Writes the text and a line end (CR LF). Once a write to a stream has
// failed, nothing more is written to it.
void WriteLine(int32_t stream, const char16_t* text);
// Whether a write to either stream failed or was cut short: a script would
// then read lines that are not all there.
int32_t OutputFailed();
