// This machine's number plan: a rule for each present serial port, so that
// a machine that is right can be copied to others.
#pragma once

#include <stdint.h>

#include "base/memory.h"
#include "core/port_devices.h"

// The plan's lines in the order of the ports' numbers: each rule under a
// comment with its port's name, keyed by the port's location path (its own
// or one taken from an ancestor) where no other present port shares it,
// else by its instance ID where that names no other present port. A port
// that neither names alone, or that shares its number with another present
// port, is named in a comment only: a plan holds one rule a number, and
// no rule that two ports match. Applied to this machine it changes
// nothing.
void ExportPlan(PortDeviceList* devices, void (*line)(void* context, const char16_t* text),
                void* context);
// The plan as its file holds it: the lines in UTF-8, each ended with CR
// LF, into *text; their size in bytes.
uint32_t ExportPlanText(PortDeviceList* devices, HeapBlock<uint8_t>* text);
