#include "app/batch.h"

#include "app/process.h"
#include "core/port_reservations.h"
#include "platform/os.h"

int32_t RunBatch(BatchSwitches) {
  if (!isAdmin) {
    OsMessageBox(0, u"Error: Admin privileges are required", u"Varnick",
                 kOsMbOk | kOsMbIconError);
    return kExitNotAdmin;
  }
  // The models live until the process ends, right after the repairs.
  static PortReservations reservations;
  Load(&reservations);
  return kExitSuccess;
}
