// Lines of batch mode on standard output and standard error.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// Writes the text and a line end (CR LF).
void WriteLine(int32_t stream, const char16_t* text);
