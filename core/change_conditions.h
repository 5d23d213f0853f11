// Whether anything may be changed on the strength of the two models. A
// device list that could not be read whole would make ports look unused
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
};

// devices null: the change needs no device list. needsPortDatabase: the
// change decides on what ComDB holds (an edit, clearing reservations);
// removing devices does not, and runs where only the save would fail.
ChangeRefusal RefuseChange(const PortReservations* reservations, const PortDeviceList* devices,
                           int32_t needsPortDatabase);
