// The repairs, as one operation that batch mode and the window share:
// clearing the reservations that no device holds and removing devices that
// are not present. It works over the two models and tells what happens
// through callbacks, which are all that differs between the two faces:
// batch mode writes lines and chooses an exit code, the window updates its
// rows and shows boxes.
//
// Where the two faces' rules differ, the rule is a parameter, named for
// what it decides:
// - Which stale devices a removal takes (RemovalScope). Batch mode (/r)
//   removes every device that is not present, in the inventory's order,
//   even beside a working device of the same number, and frees a number
//   once no device carries it any more. The window's button works port by
//   port in the list's order, and only while the device chosen for the port
//   is not present: a number a working device holds keeps every device; two
//   stale devices of one number go one after the other, and the number is
//   freed when none is left. It frees the numbers that no device carries
//   at all on the way, too.
// - When a clear writes ComDB (ClearSave). Batch mode (/c) writes whenever
//   a number in range has no device, which also creates a missing ComDB;
//   the window's button writes only when it freed a reserved number.
// A removal writes ComDB when it removed a device; otherwise what it freed
// is not written, and the model goes back to what is stored. A dry run
// takes every removal as done, and writes nothing. Neither step ever frees
// a number a running driver uses that no listed present device stands for
// (InLiveUse): its row shows "(in use)".
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/failure.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"

enum RemovalScope { kEveryNonPresentDevice, kWhereNoWorkingDevice };
enum ClearSave { kSaveWhenANumberHasNoDevice, kSaveWhatWasFreed };

// Any callback may be null: that face has nothing to do there.
struct RepairCallbacks {
  void* context;
  // A reserved number was freed in the model (in a dry run: would be).
  void (*freed)(void* context, int32_t port);
  // A device was removed (in a dry run: would be); next is what now holds
  // its number (FindHolder), null for nothing.
  void (*removed)(void* context, const PortDevice* device, PortDevice* next);
  // A removal failed; the device stays.
  void (*failed)(void* context, const Failure& failure, const PortDevice* device);
  // ComDB was written after a step that changed the model (ok 1), or could
  // not be, as failure says (ok 0).
  void (*saved)(void* context, int32_t ok, const Failure& failure);
  // Asked before each removal: nonzero stops the removals there (Ctrl+C).
  int32_t (*stop)(void* context);
};

struct RepairRequest {
  int32_t clear;   // clear the reservations no device holds
  int32_t remove;  // remove devices that are not present (after the clear)
  int32_t dryRun;
  bool administrator;  // the process may change the system (a dry run needs not)
  RemovalScope scope;
  ClearSave clearSave;
  // The ports in the order kWhereNoWorkingDevice works them (the list's);
  // null for 1 up to the model's port count.
  const int32_t* ports;
  int32_t portCount;
};

struct RepairResult {
  ChangeRefusal refused;  // kChangeAllowed, or why nothing was done
  int32_t freed;          // reserved numbers freed
  int32_t removed;        // devices removed
  int32_t removalFailed;  // a removal failed
  int32_t saveFailed;     // a write was due and ComDB does not hold it
  int32_t unsaved;        // numbers were freed that no write was due for
  int32_t stopped;        // the callbacks' stop ended the removals
};

// The clear step first, then the removals. Refused as a whole, before
// anything is done, when the process may not change the system, the
// device list could not be read whole, ComDB is longer than Windows
// writes, or (with the clear) ComDB could not be read.
RepairResult RunRepairs(PortReservations* reservations, PortDeviceList* devices,
                        const RepairRequest& request, const RepairCallbacks& callbacks);

// Removes one chosen device, present or not, and frees its number even
// where another device carries it too (the window's Delete); the write is
// SaveRepairs', once every chosen device is done. 1 when removed.
int32_t RemoveChosenDevice(PortReservations* reservations, PortDeviceList* devices,
                           PortDevice* device, const RepairCallbacks& callbacks);
// Writes what the removals freed; 1 when ComDB holds it.
int32_t SaveRepairs(PortReservations* reservations, const RepairCallbacks& callbacks);
