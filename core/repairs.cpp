#include "core/repairs.h"

namespace {

struct Run {
  PortReservations* reservations;
  PortDeviceList* devices;
  const RepairRequest& request;
  const RepairCallbacks& callbacks;
  RepairResult result;

  // Frees a reserved number the model covers, unless a running driver
  // uses it.
  void Free(int32_t port) {
    if (port < 1 || port > reservations->portCount || !reservations->reservedFlags[port - 1]) return;
    if (InLiveUse(devices, port)) return;
    SetPortReserved(reservations, port, 0);
    result.freed++;
    if (callbacks.freed != nullptr) callbacks.freed(callbacks.context, port);
  }

  // Removes the device, or takes it as removed in a dry run; 0 when the
  // removal failed, which is told.
  int32_t Remove(PortDevice* device) {
    Failure failure;
    if (request.dryRun) {
      device->deviceNode = 0;
    } else if (!RemoveListedDevice(devices, device, &failure)) {
      result.removalFailed = 1;
      if (callbacks.failed != nullptr) callbacks.failed(callbacks.context, failure, device);
      return 0;
    }
    result.removed++;
    if (callbacks.removed != nullptr) {
      callbacks.removed(callbacks.context, device, FindHolder(devices, device->portNumber));
    }
    return 1;
  }

  bool Stopped() {
    if (callbacks.stop != nullptr && callbacks.stop(callbacks.context)) result.stopped = 1;
    return result.stopped != 0;
  }

  // Ends a step: writes the model when the step is due to, else drops
  // what it freed, which no write is then due for.
  void Finish(bool due, int32_t freedBefore) {
    if (request.dryRun) return;
    if (due) {
      result.saveFailed |= !SaveRepairs(reservations, callbacks);
      return;
    }
    result.unsaved |= result.freed != freedBefore;
    ForgetChanges(reservations);
  }

  void FreeUnusedReservations() {
    int32_t withoutDevice = 0, freedBefore = result.freed;
    for (int32_t p = 1; p <= reservations->portCount; p++) {
      if (FindHolder(devices, p) != nullptr) continue;
      withoutDevice++;
      Free(p);
    }
    Finish(request.clearSave == kSaveWhenANumberHasNoDevice ? withoutDevice != 0
                                                            : result.freed != freedBefore,
           freedBefore);
  }

  void RemoveDevices() {
    int32_t removedBefore = result.removed, freedBefore = result.freed;
    if (request.scope == kEveryNonPresentDevice) {
      RemoveEveryNonPresentDevice();
    } else {
      RemoveWhereNoWorkingDevice();
    }
    Finish(result.removed != removedBefore, freedBefore);
  }

  void RemoveEveryNonPresentDevice() {
    for (int32_t i = 0; i < devices->deviceCount && !Stopped(); i++) {
      PortDevice* d = devices->devices[i];
      if (d->deviceNode == 0 || d->problemCode != kProblemNotPresent || !Remove(d)) continue;
      if (FindByPort(devices, d->portNumber) == nullptr) Free(d->portNumber);
    }
  }

  // A working device is always the one chosen for its port, so a port that
  // has one is never worked on; a failed removal ends the work on its port.
  void RemoveWhereNoWorkingDevice() {
    int32_t count = request.ports != nullptr ? request.portCount : reservations->portCount;
    for (int32_t k = 0; k < count && !Stopped(); k++) {
      int32_t port = request.ports != nullptr ? request.ports[k] : k + 1;
      PortDevice* d = FindByPort(devices, port);
      while (d != nullptr && d->problemCode == kProblemNotPresent && Remove(d)) {
        d = FindByPort(devices, port);
      }
      if (d == nullptr) Free(port);
    }
  }
};

}  // namespace

RepairResult RunRepairs(PortReservations* reservations, PortDeviceList* devices,
                        const RepairRequest& request, const RepairCallbacks& callbacks) {
  Run run = {reservations, devices, request, callbacks, {}};
  run.result.refused = RefuseChange(reservations, devices, request.clear != 0,
                                    request.administrator || request.dryRun);
  if (run.result.refused != kChangeAllowed) return run.result;
  if (request.clear) run.FreeUnusedReservations();
  if (request.remove && !run.Stopped()) run.RemoveDevices();
  return run.result;
}

int32_t RemoveChosenDevice(PortReservations* reservations, PortDeviceList* devices,
                           PortDevice* device, const RepairCallbacks& callbacks) {
  if (device == nullptr || device->deviceNode == 0) return 0;
  const RepairRequest request = {};
  Run run = {reservations, devices, request, callbacks, {}};
  if (!run.Remove(device)) return 0;
  // Freed even where another device carries the number: the user chose it.
  run.Free(device->portNumber);
  return 1;
}

int32_t SaveRepairs(PortReservations* reservations, const RepairCallbacks& callbacks) {
  Failure failure;
  int32_t ok = Save(reservations, &failure);
  if (callbacks.saved != nullptr) callbacks.saved(callbacks.context, ok, failure);
  return ok;
}
