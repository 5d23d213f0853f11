// The window's face of a move (core/port_move.h): boxes for what went wrong
// and for what the user must know (a restart of Windows first); the caller
// then shows the device on its new row. The move itself is the one both
// faces share.
#pragma once

#include <stdint.h>

#include "core/port_move.h"

// The box of a move not made (any outcome but a move): why it was refused,
// or its failure; none for a device that has the number already.
void ShowMoveNotMade(const PortDevice* device, int32_t target, const MoveResult& result,
                     bool administrator);
// The box of a move made that the user must know of: one waiting for
// Windows to restart, or one whose old number stays reserved.
void ShowMoveMade(const MoveResult& result, bool administrator);
// Whether a row's device can be given another number at all: a serial port
// not removed. A modem keeps its own number.
bool MayTakeAnotherNumber(const PortDevice* device);
// Moves the device to the number the user chose; 1 when it has it now
// (or will once Windows restarts), else a box has said why not.
int32_t MoveListedDevice(PortReservations* reservations, PortDeviceList* devices,
                         PortDevice* device, int32_t target, bool administrator);
