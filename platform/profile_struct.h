// How the system's profile functions store a structure, for the two that
// write one: the simulated platform, and the program where it rewrites its
// settings file itself. Portable: no system call.
#pragma once

#include <stdint.h>

// A structure as WritePrivateProfileStructA stores it: each byte as two
// upper-case hexadecimal digits, then two more for the low 8 bits of the
// bytes' sum. `text` holds 2 * size + 3 characters.
inline void EncodeProfileStruct(const void* data, uint32_t size, char* text) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  uint8_t sum = 0;
  for (uint32_t i = 0; i < size; i++) {
    *text++ = kHexDigits[bytes[i] >> 4];
    *text++ = kHexDigits[bytes[i] & 15];
    sum = static_cast<uint8_t>(sum + bytes[i]);
  }
  *text++ = kHexDigits[sum >> 4];
  *text++ = kHexDigits[sum & 15];
  *text = 0;
}
