#include "core/change_conditions.h"

ChangeRefusal RefuseChange(const PortReservations* reservations, const PortDeviceList* devices,
                           int32_t needsPortDatabase) {
  if (reservations->storedValueTooLong) return kPortDatabaseTooLong;
  if (devices != nullptr && !InventoryBuilt(devices)) return kNoDeviceList;
  if (needsPortDatabase && reservations->storedValueUnread) return kNoPortDatabase;
  return kChangeAllowed;
}
