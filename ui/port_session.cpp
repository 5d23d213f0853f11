#include "ui/port_session.h"

#include "base/memory.h"
#include "base/process.h"
#include "core/change_conditions.h"
#include "core/failure_report.h"
#include "ui/edit_rules.h"

// GUI thread only.
static PortReservations* reservations;
static PortDeviceList* devices;
static int32_t rowWork = 0;
static int32_t heldBack = 0;

void ReloadPorts() {
  if (reservations == nullptr) {
    reservations = static_cast<PortReservations*>(MemAlloc(sizeof(PortReservations)));
  }
  Load(reservations);
  if (devices == nullptr) devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  Enumerate(devices, kShownDetail);
}

void ReleasePorts() {
  if (devices != nullptr) {
    Clear(devices);
    MemFree(devices);
    devices = nullptr;
  }
  if (reservations != nullptr) {
    Clear(reservations);
    MemFree(reservations);
    reservations = nullptr;
  }
}

const PortReservations* PortState() { return reservations; }

PortDevice* DeviceOfPort(int32_t port) { return FindByPort(devices, port); }

int32_t ReservedPortCount() { return reservations != nullptr ? CountReserved(reservations) : 0; }

int32_t BeginRowWork() {
  if (reservations == nullptr || devices == nullptr) return 0;  // no rows yet
  if (rowWork != 0) return 0;
  rowWork = 1;
  return 1;
}

int32_t EndRowWork() {
  if (rowWork == 0) return 0;
  rowWork = 0;
  // Every change of ComDB the window makes is row work: what the work
  // changed and did not write (a repair that saves only when it removed a
  // device) is dropped here, so that the next save writes only its own.
  ForgetChanges(reservations);
  int32_t due = heldBack;
  heldBack = 0;
  return due;
}

int32_t RowsInUse() { return rowWork; }

static int32_t MayRunNow(int32_t what) {
  if (rowWork == 0) return 1;
  heldBack |= what;
  return 0;
}

int32_t RefreshMayRunNow() { return MayRunNow(kRefreshDue); }
int32_t CloseMayRunNow() { return MayRunNow(kCloseDue); }

const char16_t* EditReservations(const RowAccess& rows, int32_t row, int32_t focusGained,
                                 int32_t* saved) {
  *saved = 0;
  if (!isAdmin) return u"Admin privileges are required";
  ChangeRefusal refusal = RefuseChange(reservations, nullptr, 1);
  if (refusal != kChangeAllowed) return RefusalText(refusal);
  Failure failure;
  *saved = EditCheckBoxes(rows, reservations, row, focusGained, &failure);
  if (!*saved) ShowFailureBox(failure);
  return nullptr;
}

RepairResult ClearUnusedPorts(const RowAccess& rows) {
  return RepairRows(rows, kClearRepair, reservations, devices);
}

RepairResult RemoveNonPresentPorts(const RowAccess& rows) {
  return RepairRows(rows, kRemoveRepair, reservations, devices);
}

int32_t RemoveDeviceOfRow(const RowAccess& rows, int32_t row, PortDevice* device) {
  return RemoveRowDevice(rows, reservations, devices, row, device);
}

int32_t SaveRemovals() { return SaveRemovedRows(reservations); }

int32_t DeviceIdOf(const PortDevice* device, char16_t id[kDeviceIdUnits]) {
  OsDeviceData data;
  return FetchDeviceData(devices, device, &data) && ReadDeviceId(data.devInst, id);
}
