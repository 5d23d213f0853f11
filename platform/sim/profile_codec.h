// How the system's profile (INI) functions read their two encodings, for
// the simulated ones: the real program leaves reading to the system. The
// program writes structures itself where it cannot use the system's
// functions (EncodeProfileStruct, platform/profile_struct.h).
#pragma once

#include <stdint.h>

#include "platform/profile_struct.h"

// A structure as EncodeProfileStruct writes it: 1 when text holds exactly
// size bytes and their checksum (either case of hexadecimal digits); data
// is written only then.
int32_t DecodeProfileStruct(const char* text, void* data, uint32_t size);
// How the system reads a (non-empty) integer someone may have edited by
// hand: blanks, an optional sign, then digits up to the first other
// character, hexadecimal after "0x", octal after "0o", binary after "0b",
// else decimal; 0 when there are none. Overflow wraps. An empty value
// reads as the key's default, like a missing one.
int32_t ParseProfileInt(const char* text);
