#include "ui/repairs.h"

#include "base/memory.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "ui/failure_box.h"

namespace {

// The rows a command works on, by the port each stands for.
struct RowFace {
  const RowAccess* rows;
  HeapBlock<int32_t> rowOfPort;  // indexed by port number, up to portCount; -1 none
  int32_t portCount;
  HeapBlock<int32_t> ports;      // the rows' ports in the list's order
  int32_t rowCount;
  bool administrator;

  int32_t RowOf(int32_t port) const {
    return port >= 1 && port <= portCount ? rowOfPort[port] : -1;
  }
};

// Each row's port, and each port's row.
void IndexRows(RowFace* face) {
  face->rowOfPort.Reset(face->portCount + 1);
  face->ports.Reset(face->rowCount + 1);
  for (int32_t p = 0; p <= face->portCount; p++) face->rowOfPort[p] = -1;
  for (int32_t r = 0; r < face->rowCount; r++) {
    int32_t port = face->rows->port(face->rows->context, r);
    face->ports[r] = port;
    if (port >= 1 && port <= face->portCount) face->rowOfPort[port] = r;
  }
}

void UncheckRow(void* context, int32_t port) {
  auto* face = static_cast<RowFace*>(context);
  int32_t row = face->RowOf(port);
  if (row >= 0) face->rows->setChecked(face->rows->context, row, 0);
}

void ShowRowDevice(void* context, const PortDevice* device, PortDevice* shown) {
  auto* face = static_cast<RowFace*>(context);
  int32_t row = face->RowOf(device->portNumber);
  if (row >= 0) face->rows->showDevice(face->rows->context, row, shown);
}

// The context: the process's rights, which the box names where they lack.
bool Administrator(void* context) { return *static_cast<const bool*>(context); }

void ShowFailure(void* context, const Failure& failure, const PortDevice*) {
  ShowFailureBox(failure, static_cast<RowFace*>(context)->administrator);
}

void ShowRemovalFailure(void* context, const Failure& failure, const PortDevice*) {
  ShowFailureBox(failure, Administrator(context));
}

void ShowFailedSave(void* context, int32_t ok, const Failure& failure) {
  if (!ok) ShowFailureBox(failure, Administrator(context));
}

}  // namespace

// The buttons: the removal only where no working device holds the number,
// the clear writing only what it freed.
RepairResult RepairRows(const RowAccess& rows, RepairKind kind, PortReservations* reservations,
                        PortDeviceList* devices, bool administrator) {
  RowFace face = {&rows, {}, reservations->portCount, {}, rows.count(rows.context), administrator};
  IndexRows(&face);
  const RepairCallbacks callbacks = {&face, UncheckRow, ShowRowDevice, ShowFailure, nullptr, nullptr};
  RepairRequest request = {};
  request.clear = kind == kClearRepair;
  request.remove = kind == kRemoveRepair;
  request.administrator = administrator;
  request.scope = kWhereNoWorkingDevice;
  request.clearSave = kSaveWhatWasFreed;
  request.ports = face.ports.Get();
  request.portCount = face.rowCount;
  return RunRepairs(reservations, devices, request, callbacks);
}

int32_t RemoveRowDevice(const RowAccess& rows, PortReservations* reservations,
                        PortDeviceList* devices, int32_t row, PortDevice* device,
                        bool administrator) {
  const RepairCallbacks callbacks = {&administrator, nullptr, nullptr, ShowRemovalFailure, nullptr,
                                     nullptr};
  if (device == nullptr || !RemoveChosenDevice(reservations, devices, device, callbacks)) return 0;
  rows.showDevice(rows.context, row, device);  // blank: the record no longer counts
  rows.setChecked(rows.context, row, 0);
  return 1;
}

int32_t SaveRemovedRows(PortReservations* reservations, bool administrator) {
  const RepairCallbacks callbacks = {&administrator, nullptr, nullptr, nullptr, ShowFailedSave,
                                     nullptr};
  return SaveRepairs(reservations, callbacks);
}

void RepairStatusText(RepairKind kind, const RepairResult& result, char16_t* text,
                      uint32_t units) {
  text[0] = 0;
  if (result.refused != kChangeAllowed) {
    TextCopy(text, units, u" ");
    TextAppend(text, units, RefusalText(result.refused));
    return;
  }
  if (kind == kClearRepair && result.saveFailed) {
    TextCopy(text, units, u" ComDB could not be written; the list shows what is stored");
    return;
  }
  int32_t count = kind == kClearRepair ? result.freed : result.removed;
  TextCopy(text, units, kind == kClearRepair ? u" reservation of " : u" ");
  TextAppendSigned(text, units, count);
  TextAppend(text, units, kind == kClearRepair ? u" port" : u" device");
  if (count != 1) TextAppend(text, units, u"s");
  TextAppend(text, units, u" removed");
  if (result.saveFailed) TextAppend(text, units, u"; ComDB could not be written");
}
