// Short names of system error codes, for messages. Failures are shown by
// these names (ACCESS_DENIED), never by the system's message text.
#pragma once

#include <stdint.h>

// The constant name of a known code, else a generated one ("ERROR_4",
// "ERROR_0x10000000") in a buffer that the next generated name overwrites.
const char* ErrorName(uint32_t code);
// The name of the calling thread's last error, in a buffer that the next
// call overwrites.
const char16_t* LastErrorText();
// Shows the name of the last error in a message box owned by the desktop.
void ShowLastErrorBox();
