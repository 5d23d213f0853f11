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

enum StoredRead { kStoredRead, kStoredMissing, kStoredUnreadable, kStoredTooLong };

// ComDB as it is stored now, into a new block of *size bytes. A missing
// key or value is an empty database of kDefaultBytes that a save may
// create. A value that could not be measured or read whole comes back as
// zeros (of the default size, or of the size last measured); one longer
// than Windows writes comes back as no block and its length.
static StoredRead ReadStored(uint8_t** bytes, uint32_t* size) {
  for (int attempt = 1;; attempt++) {
    uint32_t measured = 0;
    if (!QueryRegValueSize(kOsLocalMachine, kComArbiterPath, kComDbName, &measured)) {
      bool missing = OsGetLastError() == static_cast<uint32_t>(kOsErrorFileNotFound);
      *size = kDefaultBytes;
      *bytes = static_cast<uint8_t*>(MemAlloc(kDefaultBytes));
      return missing ? kStoredMissing : kStoredUnreadable;
    }
    *size = measured;
    if (measured > kLargestComDbBytes) {
      *bytes = nullptr;
      return kStoredTooLong;
    }
    *bytes = static_cast<uint8_t*>(MemAlloc(measured));
    if (measured == 0 ||
        ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, *bytes, measured) == measured) {
      return kStoredRead;
    }
    if (attempt == kLoadAttempts) {
      MemFill(*bytes, 0, measured);
      return kStoredUnreadable;
    }
    MemFree(*bytes);
  }
}

// The model takes over the block: its flags are the block's bits.
static void Adopt(PortReservations* r, uint8_t* bytes, uint32_t size) {
  if (r->rawBytes != nullptr) MemFree(r->rawBytes);
  if (r->reservedFlags != nullptr) MemFree(r->reservedFlags);
  r->rawBytes = bytes;
  r->portCount = static_cast<int32_t>(size * 8);
  r->reservedFlags = static_cast<int32_t*>(MemAlloc(uint64_t{size} * 8 * sizeof(int32_t)));
  for (uint32_t j = 0; j < size; j++) {
    for (int k = 0; k < 8; k++) r->reservedFlags[8 * j + k] = (bytes[j] >> k) & 1;
  }
}

// The first kLargestComDbBytes of a longer value; never written back.
static int32_t LoadTooLong(PortReservations* r, uint32_t size) {
  r->storedValueUnread = 1;
  r->storedValueTooLong = 1;
  auto* first = static_cast<uint8_t*>(MemAlloc(kLargestComDbBytes));
  if (size <= kLargestReadBytes) {
    auto* whole = static_cast<uint8_t*>(MemAlloc(size));
    if (ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, whole, size) == size) {
      MemCopy(first, whole, kLargestComDbBytes);
    }
    MemFree(whole);
  }
  Adopt(r, first, kLargestComDbBytes);
  return r->portCount;
}

int32_t Load(PortReservations* r) {
  Clear(r);
  uint8_t* bytes;
  uint32_t size;
  StoredRead read = ReadStored(&bytes, &size);
  if (read == kStoredTooLong) return LoadTooLong(r, size);
  Adopt(r, bytes, size);
  // Every port reads as free, but the stored value is left alone.
  r->storedValueUnread = read == kStoredUnreadable;
  return r->portCount;
}

static void RecordFailure(Failure* failure, FailureKind kind, uint32_t errorCode) {
  if (failure == nullptr) return;
  failure->kind = kind;
  failure->errorCode = errorCode;
  failure->deviceId[0] = 0;
}

int32_t Save(PortReservations* r, Failure* failure) {
  RecordFailure(failure, kNoFailure, 0);
  if (r->storedValueUnread || r->rawBytes == nullptr) {
    RecordFailure(failure, kComDbUnread, 0);
    return 0;
  }
  uint8_t* stored;
  uint32_t size;
  OsSetLastError(0);
  StoredRead read = ReadStored(&stored, &size);
  if (read == kStoredTooLong || read == kStoredUnreadable) {
    // A size that could not be read leaves its registry status; a read
    // that failed, or a value grown past what Windows writes, none.
    RecordFailure(failure, kComDbUnread, read == kStoredUnreadable ? OsGetLastError() : 0);
    if (stored != nullptr) MemFree(stored);
    return 0;
  }
  // Only the ports this model changed since the value was last read or
  // written, and only as far as the value now reaches: a number beyond a
  // value that shrank meanwhile is free anyway, but cannot be reserved.
  int32_t differs = read == kStoredMissing, unstored = 0;  // created
  for (int32_t i = 0; i < r->portCount; i++) {
    uint8_t bit = static_cast<uint8_t>(1u << (i % 8));
    bool reserved = r->reservedFlags[i] != 0;
    if (reserved == ((r->rawBytes[i / 8] & bit) != 0)) continue;
    if (static_cast<uint32_t>(i / 8) >= size) {
      unstored |= reserved;
      continue;
    }
    uint8_t before = stored[i / 8];
    stored[i / 8] = static_cast<uint8_t>(reserved ? before | bit : before & ~bit);
    differs |= stored[i / 8] != before;
  }
  int32_t status = kOsErrorSuccess;
  if (differs && !WriteRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, stored, size, &status)) {
    RecordFailure(failure, kComDbUnwritten, static_cast<uint32_t>(status));
    MemFree(stored);
    return 0;  // the model keeps its changes until the next load
  }
  Adopt(r, stored, size);
  if (unstored) RecordFailure(failure, kComDbUnwritten, 0);
  return !unstored;
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
