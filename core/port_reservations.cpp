#include "core/port_reservations.h"

#include "app/memory.h"
#include "core/registry_values.h"

const char16_t kComArbiterPath[] = u"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";
const char16_t kComDbName[] = u"ComDB";

// A value that changes between the size query and the read is read whole on
// the next try; a few tries ride out a burst of writes by other programs.
static const int kLoadAttempts = 3;
static const uint32_t kDefaultBytes = 32;  // 256 ports when there is no value
// A value longer than Windows writes is read, for its first ports, only up
// to this size: memory stays bounded whatever the registry holds.
static const uint32_t kLargestReadBytes = 1u << 20;

static void Allocate(PortReservations* r, uint32_t bytes) {
  r->portCount = static_cast<int32_t>(bytes * 8);
  r->rawBytes = static_cast<uint8_t*>(MemAlloc(bytes));
  r->reservedFlags = static_cast<int32_t*>(MemAlloc(uint64_t{bytes} * 8 * sizeof(int32_t)));
}

static void SetFlags(PortReservations* r, uint32_t bytes) {
  for (uint32_t j = 0; j < bytes; j++) {
    for (int k = 0; k < 8; k++) r->reservedFlags[8 * j + k] = (r->rawBytes[j] >> k) & 1;
  }
}

// The first kLargestComDbBytes of a longer value; never written back.
static int32_t LoadTooLong(PortReservations* r, uint32_t size) {
  r->storedValueUnread = 1;
  r->storedValueTooLong = 1;
  Allocate(r, kLargestComDbBytes);
  if (size <= kLargestReadBytes) {
    auto* whole = static_cast<uint8_t*>(MemAlloc(size));
    if (ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, whole, size) == size) {
      MemCopy(r->rawBytes, whole, kLargestComDbBytes);
    }
    MemFree(whole);
  }
  SetFlags(r, kLargestComDbBytes);
  return r->portCount;
}

int32_t Load(PortReservations* r) {
  Clear(r);
  uint32_t size = 0;
  for (int attempt = 1;; attempt++) {
    size = 0;
    if (!QueryRegValueSize(kOsLocalMachine, kComArbiterPath, kComDbName, &size)) {
      // A missing key or value is an empty database that Save may create;
      // anything else means a value exists that could not be measured.
      r->storedValueUnread = OsGetLastError() != static_cast<uint32_t>(kOsErrorFileNotFound);
      Allocate(r, kDefaultBytes);
      return r->portCount;
    }
    if (size > kLargestComDbBytes) return LoadTooLong(r, size);
    Allocate(r, size);
    if (size == 0 || ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName,
                                   r->rawBytes, size) == size) {
      break;
    }
    if (attempt == kLoadAttempts) {
      // Every port reads as free, but the stored value is left alone.
      r->storedValueUnread = 1;
      MemFill(r->rawBytes, 0, size);
      break;
    }
    Clear(r);
  }
  SetFlags(r, size);
  return r->portCount;
}

int32_t Save(PortReservations* r) {
  if (r->storedValueUnread || r->rawBytes == nullptr) return 0;
  int32_t n = r->portCount / 8;
  MemFill(r->rawBytes, 0, static_cast<uint64_t>(n));
  for (int32_t i = 0; i < r->portCount; i++) {
    if (r->reservedFlags[i] != 0) r->rawBytes[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
  }
  return WriteRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, r->rawBytes,
                        static_cast<uint32_t>(n));
}

int32_t CountReserved(const PortReservations* r) {
  int32_t count = 0;
  for (int32_t i = 0; i < r->portCount; i++) count += r->reservedFlags[i] != 0;
  return count;
}

void SetPortReserved(PortReservations* r, int32_t port, int32_t flag) {
  if (port >= 1 && port <= r->portCount) r->reservedFlags[port - 1] = flag;
}

void Clear(PortReservations* r) {
  r->portCount = 0;
  r->storedValueUnread = 0;
  r->storedValueTooLong = 0;
  if (r->rawBytes != nullptr) MemFree(r->rawBytes);
  if (r->reservedFlags != nullptr) MemFree(r->reservedFlags);
  r->rawBytes = nullptr;
  r->reservedFlags = nullptr;
}
