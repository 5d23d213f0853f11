// Small registry-value routines shared by the reservation model and the
// device inventory. Each opens its own key, closes it before returning and
// keeps no state, so they may be called from any thread.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// On success size holds the value's length in bytes; on failure the last
// error holds the registry's code.
int32_t QueryRegValueSize(OsKey root, const char16_t* path, const char16_t* name,
                          uint32_t* size);
// Reads the value into buffer (up to byteLimit bytes) and tells whether the
// text there is non-empty. A REG_DWORD value is turned into its signed
// decimal text. Adds no terminator: the caller zero-fills the buffer.
int32_t ReadRegString(OsKey root, const char16_t* path, const char16_t* name,
                      char16_t* buffer, uint32_t byteLimit);
// Reads up to size bytes of the value, whatever its type; the number of
// bytes read, 0 on any failure. The registry's status goes to *status when
// given: kOsErrorMoreData for a longer value, kOsErrorFileNotFound when the
// key or the value is missing.
uint32_t ReadRegBinary(OsKey root, const char16_t* path, const char16_t* name,
                       uint8_t* buffer, uint32_t size, int32_t* status = nullptr);
// Writes a REG_BINARY value, creating the key when missing. The registry's
// status goes to *status when given; the last error stays as it was.
int32_t WriteRegBinary(OsKey root, const char16_t* path, const char16_t* name,
                       const uint8_t* bytes, uint32_t count, int32_t* status = nullptr);
