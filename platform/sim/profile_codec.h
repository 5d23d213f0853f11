// The two encodings of the system's profile (INI) functions, for the
// simulated ones: the real program leaves them to the system.
#pragma once

#include <stdint.h>

// A structure: each byte as two upper-case hexadecimal digits, then two
// more for the low 8 bits of the bytes' sum. `text` holds 2 * size + 3
// characters.
void EncodeProfileStruct(const void* data, uint32_t size, char* text);
// 1 when text holds exactly size bytes and their checksum (either case of
// hexadecimal digits); data is written only then.
int32_t DecodeProfileStruct(const char* text, void* data, uint32_t size);
// How the system reads a (non-empty) integer someone may have edited by
// hand: blanks, an optional sign, then digits up to the first other
// character, hexadecimal after "0x", octal after "0o", binary after "0b",
// else decimal; 0 when there are none. Overflow wraps. An empty value
// reads as the key's default, like a missing one.
int32_t ParseProfileInt(const char* text);
