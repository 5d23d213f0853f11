// Which list reports are the user's edits of a check box, and which port a
// row stands for.
#pragma once

#include <stdint.h>

const uint32_t kStateImageMask = 0xF000;  // LVIS_STATEIMAGEMASK
const uint32_t kItemStateChanged = 8;     // LVIF_STATE
const uint32_t kUnchecked = 1;            // state images of the check boxes
const uint32_t kChecked = 2;

inline uint32_t StateImageOf(uint32_t state) { return (state & kStateImageMask) >> 12; }
inline uint32_t StateImageState(uint32_t image) { return image << 12; }

// A report of changed item state is a check-box edit only when the program
// is not changing rows itself, only the state changed, and the row had a
// check box before and after that differ. A row getting its first state
// image while it is inserted has none before. Some list controls report
// only the changed state bits, so a selection change carries no image;
// others report whole states, so it carries the same image twice.
int32_t IsCheckBoxChange(int32_t listUpdating, uint32_t changed, uint32_t oldState,
                         uint32_t newState);

// The port a row stands for: the number behind "COM" in its Port text,
// whatever position sorting gave the row; 0 for a text too short to hold it.
int32_t PortOfRowText(const char16_t* portText);
