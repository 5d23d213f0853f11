#include "app/batch.h"

#include "app/failure_report.h"
#include "app/memory.h"
#include "app/process.h"
#include "core/change_conditions.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"
#include "platform/os.h"

// Frees every number in range that no device carries; a non-present device
// counts as a device. Writes back when at least one number had none.
static void ClearNumbersWithoutDevice(PortReservations* reservations, const PortDeviceList* devices) {
  int32_t count = 0;
  for (int32_t p = 1; p <= reservations->portCount; p++) {
    if (FindByPort(devices, p) == nullptr) {
      SetPortReserved(reservations, p, 0);
      count++;
    }
  }
  if (count != 0) Save(reservations);
}

// Removes every non-present device, going on past failures; frees a number
// only when no other device carries it. Returns 1 when every removal worked.
static int32_t RemoveEveryNonPresentDevice(PortReservations* reservations, PortDeviceList* devices) {
  int32_t allRemoved = 1;
  int32_t removedCount = 0;
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    PortDevice* d = devices->devices[i];
    if (d->deviceNode == 0 || d->problemCode != kProblemNotPresent) continue;
    Failure failure;
    if (!RemoveListedDevice(devices, d, &failure)) {
      if (failure.kind != kNoFailure) ShowFailureBox(failure);
      allRemoved = 0;
      continue;
    }
    removedCount++;
    if (FindByPort(devices, d->portNumber) == nullptr) SetPortReserved(reservations, d->portNumber, 0);
  }
  if (removedCount != 0) Save(reservations);
  return allRemoved;
}

static int32_t RunRepairs(BatchSwitches switches, PortReservations* reservations,
                          PortDeviceList* devices) {
  if (switches.clearSwitch) ClearNumbersWithoutDevice(reservations, devices);
  if (switches.removeSwitch && !RemoveEveryNonPresentDevice(reservations, devices)) {
    return kExitRemovalFailed;
  }
  return kExitSuccess;
}

int32_t RunBatch(BatchSwitches switches) {
  if (!isAdmin) {
    OsMessageBox(0, u"Error: Admin privileges are required", u"Varnick",
                 kOsMbOk | kOsMbIconError);
    return kExitNotAdmin;
  }
  // Both models are loaded once, before either repair.
  PortReservations reservations = {};
  Load(&reservations);
  auto* devices = static_cast<PortDeviceList*>(MemAlloc(sizeof(PortDeviceList)));
  Enumerate(devices);

  int32_t code = RefuseChange(&reservations, devices, switches.clearSwitch) != kChangeAllowed
                     ? kExitNotRead
                     : RunRepairs(switches, &reservations, devices);
  Clear(devices);
  MemFree(devices);
  Clear(&reservations);
  return code;
}
