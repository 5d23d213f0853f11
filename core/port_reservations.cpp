#include "core/port_reservations.h"

#include "base/com_name.h"
#include "base/memory.h"
#include "core/journal.h"
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

// Whether port i + 1 is reserved in a value of ComDB: bit i % 8 of byte i / 8.
static bool BitOf(const uint8_t* bytes, int32_t i) { return (bytes[i / 8] >> (i % 8) & 1) != 0; }

enum StoredRead { kStoredRead, kStoredMissing, kStoredUnreadable, kStoredTooLong };

// ComDB as it is stored now, into a new block of *size bytes. A missing
// key or value is an empty database of kDefaultBytes that a save may
// create. A value that could not be measured or read whole comes back as
// zeros (of the default size, or of the size last measured); one longer
// than Windows writes comes back as its length alone, its block not to be
// used.
static StoredRead ReadStored(HeapBlock<uint8_t>* bytes, uint32_t* size) {
  for (int attempt = 1;; attempt++) {
    uint32_t measured = 0;
    if (!QueryRegValueSize(kOsLocalMachine, kComArbiterPath, kComDbName, &measured)) {
      bool missing = OsGetLastError() == static_cast<uint32_t>(kOsErrorFileNotFound);
      *size = kDefaultBytes;
      bytes->Reset(kDefaultBytes);
      return missing ? kStoredMissing : kStoredUnreadable;
    }
    *size = measured;
    if (measured > kLargestComDbBytes) return kStoredTooLong;
    uint8_t* read = bytes->Reset(measured);
    if (measured == 0 ||
        ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, read, measured) == measured) {
      return kStoredRead;
    }
    if (attempt == kLoadAttempts) {
      MemFill(read, 0, measured);
      return kStoredUnreadable;
    }
  }
}

// The model's blocks, plain fields of a plain record that is passed by
// pointer: freed here and nowhere else, by Clear and by Adopt.
static void ReleaseBlocks(PortReservations* r) {
  MemFree(r->rawBytes);
  MemFree(r->reservedFlags);
  r->rawBytes = nullptr;
  r->reservedFlags = nullptr;
}

// The model takes over the block: its flags are the block's bits.
static void Adopt(PortReservations* r, HeapBlock<uint8_t>* bytes, uint32_t size) {
  ReleaseBlocks(r);
  r->rawBytes = bytes->Release();
  r->portCount = static_cast<int32_t>(size * 8);
  r->reservedFlags = static_cast<int32_t*>(MemAlloc(uint64_t{size} * 8 * sizeof(int32_t)));
  for (int32_t i = 0; i < r->portCount; i++) r->reservedFlags[i] = BitOf(r->rawBytes, i);
}

// The first kLargestComDbBytes of a longer value; never written back.
static int32_t LoadTooLong(PortReservations* r, uint32_t size) {
  r->storedValueUnread = 1;
  r->storedValueTooLong = 1;
  HeapBlock<uint8_t> first(kLargestComDbBytes);
  if (size <= kLargestReadBytes) {
    HeapBlock<uint8_t> whole(size);
    if (ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, whole.Get(), size) == size) {
      MemCopy(first.Get(), whole.Get(), kLargestComDbBytes);
    }
  }
  Adopt(r, &first, kLargestComDbBytes);
  return r->portCount;
}

int32_t Load(PortReservations* r) {
  Clear(r);
  HeapBlock<uint8_t> bytes;
  uint32_t size;
  StoredRead read = ReadStored(&bytes, &size);
  if (read == kStoredTooLong) return LoadTooLong(r, size);
  Adopt(r, &bytes, size);
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

void ForgetChanges(PortReservations* r) {
  if (r->rawBytes == nullptr) return;
  for (int32_t i = 0; i < r->portCount; i++) r->reservedFlags[i] = BitOf(r->rawBytes, i);
}

// How a save's changes reached the stored value.
struct Written {
  int32_t failed;      // a change could not be written
  uint32_t errorCode;  // the system's status for the first that could not
  int32_t unstored;    // a reservation lay beyond the value's end
};

static void Failed(Written* written, int32_t status) {
  if (!written->failed) written->errorCode = static_cast<uint32_t>(status);
  written->failed = 1;
}

// Calls change(i) for each port this model changed since the value was
// last read or written, as far as the value now reaches: a number beyond a
// value that shrank meanwhile is free anyway, but cannot be reserved, and
// the value keeps its length.
template <typename Change>
static void EachChangedPort(const PortReservations* r, uint32_t size, Written* written, Change change) {
  for (int32_t i = 0; i < r->portCount; i++) {
    bool reserved = r->reservedFlags[i] != 0;
    if (reserved == BitOf(r->rawBytes, i)) continue;
    if (static_cast<uint32_t>(i / 8) >= size) {
      written->unstored |= reserved;
      continue;
    }
    change(i, reserved);
  }
}

static void SetBit(uint8_t* bytes, int32_t i, bool reserved) {
  uint8_t bit = static_cast<uint8_t>(1u << (i % 8));
  bytes[i / 8] = static_cast<uint8_t>(reserved ? bytes[i / 8] | bit : bytes[i / 8] & ~bit);
}

// Through the system's routines, which lock the database for each call:
// each number claimed or released on its own, so that nothing else in the
// value is ever written, and whatever another program claims or releases
// between the calls stays. *stored, as read after the open, takes each
// change the routines made.
// The number a save reserves or frees, as the journal records it.
static JournalEntry NumberEntry(int32_t i, bool reserved) {
  JournalEntry entry = {reserved ? kJournalReserve : kJournalFree, nullptr, 0, 0, nullptr};
  (reserved ? entry.to : entry.from) = i + 1;
  return entry;
}

static Written ClaimAndRelease(const PortReservations* r, OsPortDatabase database, uint8_t* stored,
                               uint32_t size, bool fresh) {
  Written written = {0, 0, 0};
  // Every intent before the first claim or release, every outcome after
  // the last.
  GatherJournal(r->journal);
  EachChangedPort(r, size, &written,
                  [&](int32_t i, bool reserved) { JournalIntent(r->journal, NumberEntry(i, reserved)); });
  FlushJournal(r->journal);
  GatherJournal(r->journal);
  EachChangedPort(r, size, &written, [&](int32_t i, bool reserved) {
    uint32_t port = static_cast<uint32_t>(i) + 1;
    const JournalEntry entry = NumberEntry(i, reserved);
    int32_t status = reserved ? OsClaimPort(database, port) : OsReleasePort(database, port);
    // A number reserved already is as the claim wants it, unless it had to
    // be free.
    bool ok = status == kOsErrorSuccess || (reserved && status == kOsErrorSharingViolation && !fresh);
    if (ok) {
      SetBit(stored, i, reserved);
    } else {
      Failed(&written, status);
    }
    JournalOutcomeOf(r->journal, entry, ok, static_cast<uint32_t>(status));
  });
  FlushJournal(r->journal);
  return written;
}

// Without the system's routines: the changes merged into the value as just
// read, written back whole; a missing value is created. *stored becomes
// what was written, or stays what was read.
static Written MergeAndWrite(const PortReservations* r, uint8_t* stored, uint32_t size, bool missing,
                             bool fresh) {
  Written written = {0, 0, 0};
  HeapBlock<uint8_t> mergedBlock(size);
  uint8_t* merged = mergedBlock.Get();
  MemCopy(merged, stored, size);
  EachChangedPort(r, size, &written, [&](int32_t i, bool reserved) {
    if (fresh && reserved && BitOf(stored, i)) {
      Failed(&written, kOsErrorSharingViolation);
    } else {
      SetBit(merged, i, reserved);
    }
  });
  bool differs = missing;
  for (uint32_t j = 0; j < size && !differs; j++) differs = merged[j] != stored[j];
  // Nothing of a save that cannot take its number is written.
  if (!written.failed) {
    // One write for every number: their intents before it, their outcomes
    // after it, each appended together.
    auto record = [&](bool outcome, bool ok, int32_t status) {
      GatherJournal(r->journal);
      for (int32_t i = 0; i < static_cast<int32_t>(size * 8); i++) {
        bool reserved = BitOf(merged, i);
        if (reserved == BitOf(stored, i)) continue;
        if (outcome) {
          JournalOutcomeOf(r->journal, NumberEntry(i, reserved), ok, static_cast<uint32_t>(status));
        } else {
          JournalIntent(r->journal, NumberEntry(i, reserved));
        }
      }
      FlushJournal(r->journal);
    };
    int32_t status = kOsErrorSuccess;
    record(false, true, status);
    bool ok = !differs ||
              WriteRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, merged, size, &status);
    record(true, ok, status);
    if (ok) {
      MemCopy(stored, merged, size);
    } else {
      Failed(&written, status);
    }
  }
  return written;
}

// The COM port database open for as long as the holder lives, and closed
// when it goes, once, whichever way the save or growth ends. Beside its
// one user rather than in platform/os.h, which holds plain calls alone.
struct PortDatabaseSession {
  OsPortDatabase handle = 0;
  int32_t status = OsOpenPortDatabase(&handle);  // ComDBOpen's, or kOsPortDatabaseUnavailable

  PortDatabaseSession() = default;
  PortDatabaseSession(const PortDatabaseSession&) = delete;
  PortDatabaseSession& operator=(const PortDatabaseSession&) = delete;
  ~PortDatabaseSession() {
    if (status == kOsErrorSuccess) OsClosePortDatabase(handle);
  }
};

// Kept whole and out of line: a copy of its first test in each of its two
// callers would cost more than the call.
static __attribute__((noinline)) int32_t SaveWith(PortReservations* r, Failure* failure,
                                                  bool fresh) {
  RecordFailure(failure, kNoFailure, 0);
  if (r->storedValueUnread || r->rawBytes == nullptr) {
    RecordFailure(failure, kComDbUnread, 0);
    ForgetChanges(r);
    return 0;
  }
  // Only where the system has no routines is the value written whole. A
  // database that is there but will not open is not gone around: such a
  // write could undo what another program claims or releases meanwhile.
  PortDatabaseSession database;
  bool routines = database.status == kOsErrorSuccess;
  Written written = {0, 0, 0};
  if (!routines && database.status != kOsPortDatabaseUnavailable) Failed(&written, database.status);
  HeapBlock<uint8_t> stored;
  uint32_t size;
  OsSetLastError(0);
  StoredRead read = ReadStored(&stored, &size);
  if (read == kStoredTooLong || read == kStoredUnreadable) {
    // A size that could not be read leaves its registry status; a read
    // that failed, or a value grown past what Windows writes, none.
    if (written.failed) {
      RecordFailure(failure, kComDbUnwritten, written.errorCode);
    } else {
      RecordFailure(failure, kComDbUnread, read == kStoredUnreadable ? OsGetLastError() : 0);
    }
    ForgetChanges(r);  // the model holds what it last knew to be stored
    return 0;
  }
  if (routines) {
    written = ClaimAndRelease(r, database.handle, stored.Get(), size, fresh);
  } else if (!written.failed) {
    written = MergeAndWrite(r, stored.Get(), size, read == kStoredMissing, fresh);
  }
  // Written, in part or not at all: the model holds what is stored now,
  // and a later save writes only its own changes.
  Adopt(r, &stored, size);
  if (written.failed) {
    RecordFailure(failure, kComDbUnwritten, written.errorCode);
  } else if (written.unstored) {
    RecordFailure(failure, kComDbUnwritten, 0);
  }
  return !written.failed && !written.unstored;
}

int32_t Save(PortReservations* r, Failure* failure) { return SaveWith(r, failure, false); }

int32_t SaveClaimingFreshly(PortReservations* r, Failure* failure) {
  return SaveWith(r, failure, true);
}

int32_t GrownPortCount(int32_t port) {
  int32_t ports = (port + 1023) / 1024 * 1024;
  return ports < 1024 ? 1024 : ports > kHighestPortNumber ? kHighestPortNumber : ports;
}

// ComDB grown as it is stored, by the system's routine where it has one,
// else written longer, the database closed again; the growth's status,
// success where it covers as many already. What the routine did is left
// to the check on what is stored afterwards.
static int32_t GrowStored(Journal* journal, int32_t ports) {
  PortDatabaseSession database;
  bool routines = database.status == kOsErrorSuccess;
  if (!routines && database.status != kOsPortDatabaseUnavailable) return database.status;
  HeapBlock<uint8_t> stored;
  uint32_t size;
  StoredRead read = ReadStored(&stored, &size);
  if (!routines && (read == kStoredUnreadable || read == kStoredTooLong)) {
    int32_t status = static_cast<int32_t>(OsGetLastError());
    return status != kOsErrorSuccess ? status : kOsErrorAccessDenied;
  }
  if ((routines && read != kStoredRead) || size * 8 >= static_cast<uint32_t>(ports)) {
    return kOsErrorSuccess;
  }
  const JournalEntry entry = {kJournalGrow, nullptr, static_cast<int32_t>(size * 8), ports, nullptr};
  JournalIntent(journal, entry);
  int32_t status = kOsErrorSuccess;
  bool ok;
  if (routines) {
    status = OsResizePortDatabase(database.handle, static_cast<uint32_t>(ports));
    ok = status == kOsErrorSuccess;
  } else {
    HeapBlock<uint8_t> grown(static_cast<uint32_t>(ports) / 8);
    MemCopy(grown.Get(), stored.Get(), size);
    ok = WriteRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, grown.Get(),
                        static_cast<uint32_t>(ports) / 8, &status);
  }
  JournalOutcomeOf(journal, entry, ok, static_cast<uint32_t>(status));
  return status;
}

int32_t GrowPortDatabase(PortReservations* r, int32_t ports, Failure* failure) {
  RecordFailure(failure, kNoFailure, 0);
  if (r->storedValueUnread || r->rawBytes == nullptr) {
    RecordFailure(failure, kComDbUnread, 0);
    return 0;
  }
  int32_t status = GrowStored(r->journal, ports);
  Load(r);
  if (status != kOsErrorSuccess || r->portCount < ports) {
    RecordFailure(failure, kComDbUnwritten, static_cast<uint32_t>(status));
    return 0;
  }
  return 1;
}

void WidenModel(PortReservations* r, int32_t ports) {
  if (ports <= r->portCount || r->rawBytes == nullptr) return;
  // The numbers beyond, free in both.
  uint32_t size = static_cast<uint32_t>(ports) / 8;
  uint32_t count = static_cast<uint32_t>(r->portCount);
  r->rawBytes = static_cast<uint8_t*>(MemResize(r->rawBytes, count / 8, size));
  r->reservedFlags = static_cast<int32_t*>(
      MemResize(r->reservedFlags, count * sizeof(int32_t), uint64_t{size} * 8 * sizeof(int32_t)));
  r->portCount = static_cast<int32_t>(size * 8);
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
  ReleaseBlocks(r);
}
