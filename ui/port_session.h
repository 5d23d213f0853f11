// The ports' state of the window, in one record the window owns: the
// reservation model and the device inventory, the device each port's row
// shows, both ends of the guard over the rows and records that commands
// hold, and every change of ComDB the window makes. The window's code
// translates its messages into calls here; the rows are reached through
// RowAccess, so all of it runs on plain rows in the tests.
//
// Rows stand for ports, and commands hold row indices and device records
// while they work. Every message box runs its own message loop and has no
// owner, so the whole window stays live while one is up: the refresh timer
// may expire, the user may click a header, a button or a check box, or
// close the window. Work that holds rows therefore runs between
// BeginRowWork and EndRowWork; meanwhile
//  - a refresh or a close that comes due is held back and reported by the
//    EndRowWork that ends the work, to be run once afterwards;
//  - any other row work (a sort, a check-box edit, a row command) is refused.
#pragma once

#include <stdint.h>

#include "core/journal.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"
#include "ui/repairs.h"
#include "ui/row_access.h"

struct PortSession {
  // Whether the process may change the system, as the window was told at
  // its start: every change below is refused without it.
  bool administrator;
  PortReservations* reservations;  // null before the first reload
  PortDeviceList* devices;
  // By port number: the device the port's row shows, null for none. A
  // reload sets the device chosen for each port; a removal, what its row
  // then shows.
  PortDevice** shown;
  // The ports shown holds, as the reload read them: a save may find ComDB
  // grown or shrunk since, and the model's count follows it at once.
  int32_t shownCount;
  int32_t rowWork;
  int32_t heldBack;
  // The window's journal, which the models carry from the first reload
  // on; each row work is a run of its own. Not started: nothing recorded.
  Journal journal;
};

// The models: made by the first reload, reloaded in place by every later
// one (only while no rows are in use: see RefreshMayRunNow), released at
// shutdown. With identities, the serial ports' identities too (the
// Location column shows them); otherwise they are read only where needed.
void ReloadPorts(PortSession* session, bool identities = false);
void ReleasePorts(PortSession* session);
// The identities of the serial ports of the models, read now where the
// reload did not read them (for the copy of the rows).
void ReadPortIdentities(PortSession* session);
// The device a port's row shows; null for none or a port the model does
// not cover.
PortDevice* ShownDevice(const PortSession* session, int32_t port);
void ShowDeviceOfPort(PortSession* session, int32_t port, PortDevice* device);
int32_t IsPortReserved(const PortSession* session, int32_t port);
int32_t ReservedPortCount(const PortSession* session);

const int32_t kRefreshDue = 1;
const int32_t kCloseDue = 2;

// 1 when the work may start (and has started), as a run of the journal
// of its own; 0 when rows are in use, or none exist yet.
int32_t BeginRowWork(PortSession* session);
// Ends work begun by BeginRowWork. Returns what came due meanwhile
// (kRefreshDue, kCloseDue, both or neither).
int32_t EndRowWork(PortSession* session);
int32_t RowsInUse(const PortSession* session);
// What the status bar says after a command whose journal lines could not
// all be written: text (a repair's report, or empty) gains "; the journal
// could not be written: NAME", or becomes " The journal could not be
// written: NAME". 0, and text as it was, when every line was written; it
// is said once.
int32_t TellJournalFailure(PortSession* session, char16_t* text, uint32_t units);
// 1 when a refresh, or the close, may run now; otherwise it is remembered
// for EndRowWork.
int32_t RefreshMayRunNow(PortSession* session);
int32_t CloseMayRunNow(PortSession* session);

// A click on a row's check box that the user made, leaving it reserved or
// not. Returns why it may not be made (the text of its box: no
// administrator rights, a ComDB that is not written), or null when it was:
// see EditCheckBoxes. *saved tells whether ComDB holds the change; when it
// does not, a box has said why.
const char16_t* EditReservations(PortSession* session, const RowAccess& rows, int32_t row,
                                 int32_t reserved, int32_t focusGained, int32_t* saved);
// The two repairs of the buttons (see repairs.h).
RepairResult ClearUnusedPorts(PortSession* session, const RowAccess& rows);
RepairResult RemoveNonPresentPorts(PortSession* session, const RowAccess& rows);
// Delete: removes a row's device and frees its port (see RemoveRowDevice);
// the ports are written with SaveRemovals once all rows are done, when a
// device was removed. 1 when ComDB holds them; else a box has said why.
int32_t RemoveDeviceOfRow(PortSession* session, const RowAccess& rows, int32_t row,
                          PortDevice* device);
int32_t SaveRemovals(PortSession* session);
// F2: why no number may be changed now (the text of its box), null when
// one may; the command asks before the user chooses a number.
const char16_t* RefuseNumberChange(const PortSession* session);
// Gives a row's serial port the number the user chose (see ui/moves.h);
// 1 when it has it now, else a box has said why not.
int32_t MoveDeviceOfRow(PortSession* session, PortDevice* device, int32_t target);
// The instance ID of a row's device, read afresh from the system, for
// work handed on (its property sheet); 1 when there is one.
int32_t DeviceIdOf(const PortSession* session, const PortDevice* device,
                   char16_t id[kDeviceIdUnits]);
