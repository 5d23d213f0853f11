#include "core/change_conditions.h"

ChangeRefusal RefuseChange(const PortReservations* reservations, const PortDeviceList* devices,
                           bool needsPortDatabase, bool administrator) {
  if (!administrator) return kNotAdministrator;
  if (reservations->storedValueTooLong) return kPortDatabaseTooLong;
  if (devices != nullptr && !InventoryBuilt(devices)) return kNoDeviceList;
  if (needsPortDatabase && reservations->storedValueUnread) return kNoPortDatabase;
  return kChangeAllowed;
}
