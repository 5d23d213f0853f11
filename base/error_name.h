// Short names of system error codes, for messages. Failures are shown by
// these names (ACCESS_DENIED), never by the system's message text.
#pragma once

#include <stdint.h>

// The constant name of a known code, else a generated one ("ERROR_4",
// "ERROR_0x10000000") in a buffer that the next generated name overwrites.
const char* ErrorName(uint32_t code);

