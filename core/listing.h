// The ports and the devices that carry them, a line each: as CSV for
// scripts (batch mode's listing) and as tab-separated text for a
// spreadsheet (the window's copy of its rows). Fields: the port number,
// its COM name, reserved (1 or 0), and the device's kernel name, name,
// setup class, presence (1 or 0) and instance ID, all empty for no device;
// then a serial port's location path, first hardware ID and parent's
// instance ID, empty where its identity was not read (core/port_identity.h).
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

enum ListingFormat { kCsv, kTabs };

// Room for any line: every field quoted with every character doubled.
const uint32_t kListingLineUnits = 2400;

// The line of column names.
void ListingHeader(ListingFormat format, char16_t* line, uint32_t units);
// The line of a port and one device (null, or one removed: none), or the
// live name of a port that no device carries.
void ListingLine(ListingFormat format, int32_t port, int32_t reserved, const PortDevice* device,
                 char16_t* line, uint32_t units);
