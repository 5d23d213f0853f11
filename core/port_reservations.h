// The in-memory model of ComDB, the system's bitmap of reserved COM port
// numbers: bit k of byte j set means port 8*j + k + 1 is reserved.
#pragma once

#include <stdint.h>

extern const char16_t kComArbiterPath[];  // under HKEY_LOCAL_MACHINE
extern const char16_t kComDbName[];

struct PortReservations {
  uint8_t* rawBytes;        // the value as last read; rewritten by Save
  int32_t* reservedFlags;   // element i for port i + 1; nonzero is reserved
  int32_t portCount;        // 8 x the value's length, 256 when unreadable
  // Set when ComDB exists but could not be read whole: its reservations are
  // unknown, so Save must not write zeros over them.
  int32_t storedValueUnread;
};

// Reads ComDB into the model (clearing it first); returns portCount.
int32_t Load(PortReservations* reservations);
// Rebuilds the bytes from the flags and writes ComDB; 1 when written.
int32_t Save(PortReservations* reservations);
int32_t CountReserved(const PortReservations* reservations);
void Clear(PortReservations* reservations);
