// The in-memory model of ComDB, the system's bitmap of reserved COM port
// numbers: bit k of byte j set means port 8*j + k + 1 is reserved.
#pragma once

#include <stdint.h>

#include "base/memory.h"
#include "core/failure.h"

struct Journal;  // core/journal.h

extern const char16_t kComArbiterPath[];  // under HKEY_LOCAL_MACHINE
extern const char16_t kComDbName[];

struct PortReservations {
  // The value as last read or written: what the flags are measured against
  // when they are saved.
  uint8_t* rawBytes;
  int32_t* reservedFlags;   // element i for port i + 1; nonzero is reserved
  int32_t portCount;        // 8 x the value's length, 256 when unreadable
  // Set when ComDB exists but could not be read whole, or is longer than
  // Windows ever writes: what it holds is not all in the model, so Save
  // must not write over it.
  int32_t storedValueUnread;
  // Set when ComDB is longer than kLargestComDbBytes: only its first ports
  // are modelled (and shown), and nothing is ever written.
  int32_t storedValueTooLong;
  // Where each number a save reserves or frees, and each growth, is
  // recorded; null for nowhere. The face sets it; loading and clearing
  // keep it.
  Journal* journal;
};

// Windows keeps at most 4,096 port numbers in ComDB (512 bytes). A longer
// value is shown up to there and never changed: modelling it whole could
// take gigabytes.
const uint32_t kLargestComDbBytes = 512;

// Reads ComDB into the model (clearing it first); returns portCount.
int32_t Load(PortReservations* reservations);
// Writes the ports whose flag differs from the value as last read or
// written, and no other. Where the system offers the COM port database
// routines, each such number is claimed or released through them, each
// call under their lock (a number reserved already counts as claimed);
// only where they are missing, or known not to work, is ComDB read again
// just before it is written, with the changes merged in. Either way what
// another program reserved or freed meanwhile stays, and so does the
// value's length; nothing is written when nothing changed, and a missing
// value is created. A database that is there but does not open is a
// failed write (ComDBOpen's status), and nothing is written.
// 1 when ComDB holds the model's changes; 0 when it could not be read (a
// model that never read it whole writes nothing) or written, in part or
// at all, or a reservation lay beyond a value that shrank meanwhile, which
// *failure (when given) then records.
// Afterwards, whatever the outcome, the model holds what is stored: what
// was read and written, or, when ComDB could not be read, what the model
// last knew to be stored. No failed change is left to a later save.
int32_t Save(PortReservations* reservations, Failure* failure = nullptr);
// The same, for a number that a device is about to be given: a number this
// save reserves that became reserved since the model last read ComDB is
// another's (the class installer gave it to a new device meanwhile), and
// the save fails with SHARING_VIOLATION instead of taking it as claimed.
int32_t SaveClaimingFreshly(PortReservations* reservations, Failure* failure);
// The number of ports ComDB grows to so as to cover port: the next multiple
// of 1,024, at most 4,096.
int32_t GrownPortCount(int32_t port);
// Makes ComDB cover `ports` numbers (GrownPortCount's), as the system's
// routine grows it where it has one, else by writing the value longer with
// free numbers; the numbers it covers keep their bits, and one that covers
// as many already is left alone: ComDB never shrinks. The model then holds
// what is stored. 1 when ComDB covers them; else *failure says why.
int32_t GrowPortDatabase(PortReservations* reservations, int32_t ports, Failure* failure);
// The model alone made to cover `ports` numbers, with free numbers, for a
// dry run to check what a grown ComDB would hold; never written.
void WidenModel(PortReservations* reservations, int32_t ports);
// Sets every flag back to the value as last read or written: changes that
// are not to be written never reach a later save.
void ForgetChanges(PortReservations* reservations);
int32_t CountReserved(const PortReservations* reservations);
// Sets the flag of a port number; a number the model does not cover (a
// device's COM0 or COM5000, a row's unreadable text) changes nothing.
void SetPortReserved(PortReservations* reservations, int32_t port, int32_t flag);
void Clear(PortReservations* reservations);
// A reservation model of a scope's own, released when the scope ends.
typedef HeldRecord<PortReservations, Clear> HeldReservations;
