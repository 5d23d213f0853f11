#include "ui/repairs.h"

#include "base/text.h"
#include "core/failure_report.h"

void ClearRowReservation(const RowAccess& rows, PortReservations* reservations, int32_t row) {
  rows.setChecked(row, 0);
  SetPortReserved(reservations, rows.port(row), 0);
}

// A failed removal is shown at once, in a box that waits for its answer.
static int32_t RemoveReporting(PortDeviceList* devices, PortDevice* device) {
  Failure failure;
  if (RemoveListedDevice(devices, device, &failure)) return 1;
  ShowFailureBox(failure);
  return 0;
}

RepairOutcome ClearUnusedReservations(const RowAccess& rows, PortReservations* reservations,
                                      const PortDeviceList* devices) {
  // Unread, ComDB could not be saved after the boxes had been cleared.
  RepairOutcome outcome = {0, RefuseChange(reservations, devices, 1), 0, 0};
  if (outcome.refused != kChangeAllowed) return outcome;
  int32_t n = rows.count();
  for (int32_t r = 0; r < n; r++) {
    if (!rows.isChecked(r)) continue;
    if (FindByPort(devices, rows.port(r)) != nullptr) continue;
    ClearRowReservation(rows, reservations, r);
    outcome.count++;
  }
  if (outcome.count > 0) outcome.saveFailed = !Save(reservations);
  return outcome;
}

RepairOutcome RemoveNonPresentDevices(const RowAccess& rows, PortReservations* reservations,
                                      PortDeviceList* devices) {
  RepairOutcome outcome = {0, RefuseChange(reservations, devices, 0), 0, 0};
  if (outcome.refused != kChangeAllowed) return outcome;
  int32_t n = rows.count();
  int32_t cleared = 0;
  for (int32_t r = 0; r < n; r++) {
    int32_t port = rows.port(r);
    PortDevice* d = FindByPort(devices, port);
    // A working device is always chosen first, so a port that has one is
    // never worked on. A failed removal leaves d, and the row, as they are.
    while (d != nullptr && d->problemCode == kProblemNotPresent && RemoveReporting(devices, d)) {
      outcome.count++;
      d = FindByPort(devices, port);
      rows.showDevice(r, d);
    }
    if (d == nullptr && rows.isChecked(r)) {
      ClearRowReservation(rows, reservations, r);
      cleared++;
    }
  }
  if (outcome.count > 0) {
    outcome.saveFailed = !Save(reservations);
  } else {
    outcome.unsaved = cleared > 0;
  }
  return outcome;
}

int32_t RemoveRowDevice(const RowAccess& rows, PortReservations* reservations,
                        PortDeviceList* devices, int32_t row, PortDevice* device) {
  if (device == nullptr || !RemoveReporting(devices, device)) return 0;
  rows.showDevice(row, device);  // blank: the record no longer counts
  ClearRowReservation(rows, reservations, row);
  return 1;
}

void RepairStatusText(RepairKind kind, const RepairOutcome& outcome, char16_t* text,
                      uint32_t units) {
  text[0] = 0;
  if (outcome.refused != kChangeAllowed) {
    TextCopy(text, units, u" ");
    TextAppend(text, units, RefusalText(outcome.refused));
    return;
  }
  if (kind == kClearRepair && outcome.saveFailed) {
    TextCopy(text, units, u" ComDB could not be written; nothing was changed");
    return;
  }
  TextCopy(text, units, kind == kClearRepair ? u" reservation of " : u" ");
  TextAppendSigned(text, units, outcome.count);
  TextAppend(text, units, kind == kClearRepair ? u" port" : u" device");
  if (outcome.count != 1) TextAppend(text, units, u"s");
  TextAppend(text, units, u" removed");
  if (outcome.saveFailed) TextAppend(text, units, u"; ComDB could not be written");
}
