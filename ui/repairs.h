// The window's face of the repairs (core/repairs.h): the rows follow the
// engine's work, each number freed unchecking its row and each device
// removed rewriting its row; a failed removal is shown in a box that waits
// for its answer; the status bar says what was done. The list is reached
// through RowAccess, so all of it runs on a plain array of rows in the
// tests as well.
#pragma once

#include <stdint.h>

#include "core/repairs.h"
#include "ui/row_access.h"

enum RepairKind { kClearRepair, kRemoveRepair };

// The two buttons' repairs. The removal works the ports in the rows' order.
// administrator: the process's rights, as the window knows them.
RepairResult RepairRows(const RowAccess& rows, RepairKind kind, PortReservations* reservations,
                        PortDeviceList* devices, bool administrator);

// Delete: removes the row's device, present or not, and frees the row's
// port even where another device still carries it; the row shows no device
// afterwards. 1 when removed; 0 when the row has no device or the removal
// failed. The write is SaveRemovedRows', once all rows are done.
int32_t RemoveRowDevice(const RowAccess& rows, PortReservations* reservations,
                        PortDeviceList* devices, int32_t row, PortDevice* device,
                        bool administrator);
// 1 when ComDB holds what Delete freed; else a box has said why.
int32_t SaveRemovedRows(PortReservations* reservations, bool administrator);

// The status bar's report of a repair: " reservation of %i port%s removed"
// or " %i device%s removed", or why nothing was done.
void RepairStatusText(RepairKind kind, const RepairResult& result, char16_t* text, uint32_t units);
