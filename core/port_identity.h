// What a number plan knows a serial port by, the same on every machine of
// one model: the socket it sits in (its location path), what it is (its
// hardware IDs), and where it hangs in the device tree (its parent, and the
// ancestors an instance ID may name). Read only where it is shown or
// needed: the listing, the Location column, the plan.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

const uint32_t kLocationUnits = 512;
const uint32_t kHardwareIdsUnits = 512;

struct PortIdentity {
  // The first of its location paths; where it has none of its own, or only
  // its parent's (the ports of a multiport adapter, a port under a vendor's
  // bus driver), its nearest ancestor's with its own place under it
  // appended: "#USBMI(n)", n its interface number (&MI_n in its ID), or
  // else "#PORT(n)", n its place among the serial ports under that
  // ancestor, in the order of their IDs (compared with ASCII letters
  // folded, the same in every locale). Empty for none (a port that is not
  // present).
  char16_t locationPath[kLocationUnits];
  char16_t hardwareIds[kHardwareIdsUnits];  // each ended, then an empty one
  char16_t parentId[kDeviceIdUnits];        // empty for none
};

// Reads the identity of every serial port of the list (PortDevice::identity).
void ReadIdentities(PortDeviceList* list);
// Whether an instance ID names the device or one of its ancestors (any case).
bool NamesDeviceOrAncestor(const PortDeviceList* list, const PortDevice* device, const char16_t* id);
// Whether the device has the hardware ID (any case).
bool HasHardwareId(const PortDevice* device, const char16_t* id);
