// This machine's number plan: a rule for each present serial port, so that
// a machine that is right can be copied to others.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"

// The plan's lines in the order of the ports' numbers: each rule under a
// comment with its port's name, keyed by the port's location path where it
// has one that no other port shares, else by its instance ID. A port that
// shares its number with another present port is named in a comment only:
// a plan holds one rule a number. Applied to this machine it changes
// nothing.
void ExportPlan(PortDeviceList* devices, void (*line)(void* context, const char16_t* text),
                void* context);
// The plan as its file holds it: the lines in UTF-8, each ended with CR
// LF. *size bytes, released with MemFree.
uint8_t* ExportPlanText(PortDeviceList* devices, uint32_t* size);
