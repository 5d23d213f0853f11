// The ports' state of the window, in one place: the reservation model and
// the device inventory, both ends of the guard over the rows and records
// that commands hold, and every change of ComDB the window makes. The
// window's code translates its messages into calls here; the rows are
// reached through RowAccess, so all of it runs on plain rows in the tests.
//
// Rows carry pointers to device records, and commands hold row indices and
// records while they work. Every message box runs its own message loop and
// has no owner, so the whole window stays live while one is up: the
// refresh timer may expire, the user may click a header, a button or a
// check box, or close the window. Work that holds rows therefore runs
// between BeginRowWork and EndRowWork; meanwhile
//  - a refresh or a close that comes due is held back and reported by the
//    EndRowWork that ends the work, to be run once afterwards;
//  - any other row work (a sort, a check-box edit, a row command) is refused.
#pragma once

#include <stdint.h>

#include "core/port_devices.h"
#include "core/port_reservations.h"
#include "ui/repairs.h"
#include "ui/row_access.h"

// The models: made by the first reload, reloaded in place by every later
// one (only while no rows are in use: see ReloadMayRunNow), released at
// shutdown.
void ReloadPorts();
void ReleasePorts();
const PortReservations* PortState();  // null before the first reload
PortDevice* DeviceOfPort(int32_t port);
int32_t ReservedPortCount();

const int32_t kRefreshDue = 1;
const int32_t kCloseDue = 2;

// 1 when the work may start (and has started); 0 when rows are in use, or
// none exist yet.
int32_t BeginRowWork();
// Ends work begun by BeginRowWork: the reservation model goes back to what
// is stored, whatever the work changed in it without saving. Returns what
// came due meanwhile (kRefreshDue, kCloseDue, both or neither).
int32_t EndRowWork();
int32_t RowsInUse();
// 1 when a refresh, or the close, may run now; otherwise it is remembered
// for EndRowWork.
int32_t RefreshMayRunNow();
int32_t CloseMayRunNow();

// A click on a row's check box that the user made. Returns why it may not
// be made (the text of its box: no administrator rights, a ComDB that is
// not written), or null when it was: see EditCheckBoxes. *saved tells
// whether ComDB holds the change; when it does not, a box has said why.
const char16_t* EditReservations(const RowAccess& rows, int32_t row, int32_t focusGained,
                                 int32_t* saved);
// The two repairs of the buttons (see repairs.h).
RepairResult ClearUnusedPorts(const RowAccess& rows);
RepairResult RemoveNonPresentPorts(const RowAccess& rows);
// Delete: removes a row's device and frees its port (see RemoveRowDevice);
// the ports are written with SaveRemovals once all rows are done, when a
// device was removed. 1 when ComDB holds them; else a box has said why.
int32_t RemoveDeviceOfRow(const RowAccess& rows, int32_t row, PortDevice* device);
int32_t SaveRemovals();
// The instance ID of a row's device, read afresh from the system, for
// work handed on (its property sheet); 1 when there is one.
int32_t DeviceIdOf(const PortDevice* device, char16_t id[kDeviceIdUnits]);
