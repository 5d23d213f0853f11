// Whether anything may be changed: by this process, and on the strength of
// the two models. A process without administrator rights changes nothing;
// a device list that could not be read whole would make ports look unused
// that a device holds; a ComDB that was not read whole, or is longer than
// Windows writes, is never written.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"
#include "core/port_reservations.h"

enum ChangeRefusal {
  kChangeAllowed = 0,
  kNoDeviceList = 1,
  kNoPortDatabase = 2,
  kPortDatabaseTooLong = 3,
  kNotAdministrator = 4,
};

// devices null: the change needs no device list. needsPortDatabase: the
// change decides on what ComDB holds (an edit, clearing reservations);
// removing devices does not, and runs where only the save would fail.
// administrator: whether the process may change the system, as its face
// knows it.
ChangeRefusal RefuseChange(const PortReservations* reservations, const PortDeviceList* devices,
                           bool needsPortDatabase, bool administrator);
