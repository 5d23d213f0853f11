// The window's repairs as rules over the port list's rows: which rows the
// clear command frees, which devices the removal commands remove, and what
// the status bar then says. The list is reached through RowAccess, so the
// rules run on a plain array of rows in the tests as well.
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"
#include "ui/row_access.h"

struct RepairOutcome {
  int32_t count;       // rows cleared or devices removed
  ChangeRefusal refused;  // kChangeAllowed, or why nothing was done
  int32_t saveFailed;  // a save was due and ComDB was not written
  int32_t unsaved;     // rows were unchecked that no save wrote
};

// Unchecks the row and frees its port's flag; does not save.
void ClearRowReservation(const RowAccess& rows, PortReservations* reservations, int32_t row);

// Frees every checked row whose port no device carries (a non-present one
// counts); saves when at least one was freed.
RepairOutcome ClearUnusedReservations(const RowAccess& rows, PortReservations* reservations,
                                      const PortDeviceList* devices);

// Works each row's port while the device chosen for it is a non-present
// one: removes it, then the next, and frees the port once no device is
// left. A failed removal leaves its row as it was. Rows without any device
// are unchecked too. Saves when a device was removed; otherwise the rows
// it unchecked are not written (unsaved).
RepairOutcome RemoveNonPresentDevices(const RowAccess& rows, PortReservations* reservations,
                                      PortDeviceList* devices);

// Removes the row's device, present or not, and frees the row's port even
// where another device still carries it. 1 when removed; 0 when the row has
// no device or the removal failed.
int32_t RemoveRowDevice(const RowAccess& rows, PortReservations* reservations,
                        PortDeviceList* devices, int32_t row, PortDevice* device);

// The status bar's report of a repair: " reservation of %i port%s removed"
// or " %i device%s removed", or why nothing was done.
enum RepairKind { kClearRepair, kRemoveRepair };
void RepairStatusText(RepairKind kind, const RepairOutcome& outcome, char16_t* text,
                      uint32_t units);
