// Modems attached to a serial port. A modem installed on a port (by hand,
// or enumerated under it) has no PortName of its own, so the inventory
// does not list it: it reaches its port through AttachedTo ("COM5") in its
// driver key. When the port takes another number, the modem must follow,
// or it names a number that is then free, and soon another device's.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

struct AttachedModem {
  OsDeviceData data;
  char16_t deviceId[kDeviceIdUnits];
  char16_t attachedTo[kPortNameUnits];  // as it was: the undo writes it back
};

struct AttachedModems {
  AttachedModem* modems;  // MemAlloc'd; null for none
  int32_t count;
  int32_t moved;  // how many name the new number now
};

// Every modem of the list's set, present or not, whose driver key names the
// port (any case). 0 when one of them cannot be changed (its driver key
// cannot be opened for writing), or a modem's driver key cannot be read to
// tell; *error holds the system's answer and *modemId the modem's instance
// ID. Nothing is changed.
int32_t FindAttachedModems(const PortDeviceList* list, int32_t port, AttachedModems* found,
                           uint32_t* error, char16_t* modemId);
// Points every modem found at the port's new number, in turn; 0 on the
// first that fails, with the system's error in *error. found->moved counts
// the modems that follow.
int32_t MoveAttachedModems(OsDeviceSet set, AttachedModems* found, int32_t to, uint32_t* error);
// Writes back what each modem moved named before; 1 when all took it.
int32_t RestoreAttachedModems(OsDeviceSet set, AttachedModems* found);
void ReleaseAttachedModems(AttachedModems* found);
// Marks named[n] for every number n (1 to 4096) a modem's driver key names
// as its port, present or not: such a number is no free one to go through.
void NumbersModemsName(const PortDeviceList* list, bool* named);
