#include "ui/port_session.h"

#include "base/memory.h"
#include "base/text.h"
#include "core/change_conditions.h"
#include "core/failure_report.h"
#include "core/port_identity.h"
#include "ui/edit_rules.h"
#include "ui/failure_box.h"
#include "ui/moves.h"

void ReloadPorts(PortSession* s, bool identities) {
  if (s->reservations == nullptr) {
    s->reservations = static_cast<PortReservations*>(MemAlloc(sizeof(PortReservations)));
  }
  Load(s->reservations);
  if (s->devices == nullptr) {
    s->devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  }
  Enumerate(s->devices, kShownDetail);
  if (identities) ReadIdentities(s->devices);
  s->reservations->journal = &s->journal;
  s->devices->journal = &s->journal;
  int32_t count = s->reservations->portCount;
  s->shown = static_cast<PortDevice**>(MemResize(s->shown, 0, sizeof(PortDevice*) * (count + 1)));
  for (int32_t p = 1; p <= count; p++) s->shown[p] = FindHolder(s->devices, p);
  s->shownCount = count;
}

void ReadPortIdentities(PortSession* s) {
  if (s->devices != nullptr) ReadIdentities(s->devices);
}

// The session is a plain record the window keeps for its whole life and
// passes by pointer: its blocks are freed here and nowhere else.
void ReleasePorts(PortSession* s) {
  if (s->devices != nullptr) {
    Clear(s->devices);
    MemFree(s->devices);
    s->devices = nullptr;
  }
  if (s->reservations != nullptr) {
    Clear(s->reservations);
    MemFree(s->reservations);
    s->reservations = nullptr;
  }
  MemFree(s->shown);
  s->shown = nullptr;
  s->shownCount = 0;
}

static bool Covers(const PortSession* s, int32_t port) {
  return s->reservations != nullptr && port >= 1 && port <= s->reservations->portCount;
}

PortDevice* ShownDevice(const PortSession* s, int32_t port) {
  return port >= 1 && port <= s->shownCount ? s->shown[port] : nullptr;
}

void ShowDeviceOfPort(PortSession* s, int32_t port, PortDevice* device) {
  if (port >= 1 && port <= s->shownCount) s->shown[port] = device;
}

int32_t IsPortReserved(const PortSession* s, int32_t port) {
  return Covers(s, port) && s->reservations->reservedFlags[port - 1] != 0;
}

int32_t ReservedPortCount(const PortSession* s) {
  return s->reservations != nullptr ? CountReserved(s->reservations) : 0;
}

int32_t BeginRowWork(PortSession* s) {
  if (s->reservations == nullptr || s->devices == nullptr) return 0;  // no rows yet
  if (s->rowWork != 0) return 0;
  s->rowWork = 1;
  StartJournalRun(&s->journal);
  return 1;
}

int32_t EndRowWork(PortSession* s) {
  if (s->rowWork == 0) return 0;
  s->rowWork = 0;
  // Every change of ComDB the window makes is row work: what the work
  // changed and did not write is dropped here, so that the next save
  // writes only its own.
  ForgetChanges(s->reservations);
  int32_t due = s->heldBack;
  s->heldBack = 0;
  return due;
}

int32_t RowsInUse(const PortSession* s) { return s->rowWork; }

int32_t TellJournalFailure(PortSession* s, char16_t* text, uint32_t units) {
  uint32_t error;
  if (!TakeJournalFailure(&s->journal, &error)) return 0;
  char16_t failure[80];
  DescribeJournalFailure(error, failure, Units(failure));
  if (text[0] == 0) {
    TextCopy(text, units, u" ");
  } else {
    TextAppend(text, units, u"; ");
    failure[0] = u't';  // mid-sentence
  }
  TextAppend(text, units, failure);
  return 1;
}

static int32_t MayRunNow(PortSession* s, int32_t what) {
  if (s->rowWork == 0) return 1;
  s->heldBack |= what;
  return 0;
}

int32_t RefreshMayRunNow(PortSession* s) { return MayRunNow(s, kRefreshDue); }
int32_t CloseMayRunNow(PortSession* s) { return MayRunNow(s, kCloseDue); }

const char16_t* EditReservations(PortSession* s, const RowAccess& rows, int32_t row,
                                 int32_t reserved, int32_t focusGained, int32_t* saved) {
  *saved = 0;
  ChangeRefusal refusal = RefuseChange(s->reservations, nullptr, true, s->administrator);
  if (refusal != kChangeAllowed) return RefusalText(refusal);
  Failure failure;
  *saved = EditCheckBoxes(rows, s->reservations, row, reserved, focusGained, &failure);
  if (!*saved) ShowFailureBox(failure, s->administrator);
  return nullptr;
}

RepairResult ClearUnusedPorts(PortSession* s, const RowAccess& rows) {
  return RepairRows(rows, kClearRepair, s->reservations, s->devices, s->administrator);
}

RepairResult RemoveNonPresentPorts(PortSession* s, const RowAccess& rows) {
  return RepairRows(rows, kRemoveRepair, s->reservations, s->devices, s->administrator);
}

int32_t RemoveDeviceOfRow(PortSession* s, const RowAccess& rows, int32_t row, PortDevice* device) {
  return RemoveRowDevice(rows, s->reservations, s->devices, row, device, s->administrator);
}

int32_t SaveRemovals(PortSession* s) { return SaveRemovedRows(s->reservations, s->administrator); }

const char16_t* RefuseNumberChange(const PortSession* s) {
  ChangeRefusal refusal = RefuseChange(s->reservations, s->devices, true, s->administrator);
  return refusal != kChangeAllowed ? RefusalText(refusal) : nullptr;
}

int32_t MoveDeviceOfRow(PortSession* s, PortDevice* device, int32_t target) {
  return MoveListedDevice(s->reservations, s->devices, device, target, s->administrator);
}

int32_t DeviceIdOf(const PortSession* s, const PortDevice* device, char16_t id[kDeviceIdUnits]) {
  OsDeviceData data;
  return FetchDeviceData(s->devices, device, &data) && ReadDeviceId(data.devInst, id);
}
