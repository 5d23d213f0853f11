// The user's edits of the check boxes: which list reports are edits, which
// port a row stands for, and what an edit changes.
#pragma once

#include <stdint.h>

#include "core/port_reservations.h"
#include "ui/row_access.h"

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

// A click on a row's check box that the user made, which left the box
// reserved or not (as the list reports it), on a model that may be changed.
// The selection follows the clicked box: with at most one row selected (and
// no focus brought by the click) the selection moves to the row, with more
// the row joins it. Then the row's port, and the port of every selected
// row, take the new state, and ComDB is written: 1 when it holds them;
// else *failure says why.
int32_t EditCheckBoxes(const RowAccess& rows, PortReservations* reservations, int32_t row,
                       int32_t reserved, int32_t focusGained, Failure* failure);
