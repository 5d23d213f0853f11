// Giving a serial port another COM number, the way the system's Ports class
// installer gives one. The move is first checked on the caller's models:
// the target must be free of every other device, present or not, and of
// every running driver (a number reserved with nothing on it is stale, and
// may be taken). Those models may have been read long before (the window's
// dialog stays up as long as the user likes), so ComDB, the devices and
// the live names are read again and checked again just before anything is
// written, and every modem attached to the port is found. Then, in order:
//  1. the target is claimed in the COM port database, unless it is still
//     reserved with nothing on it, when it is taken as it stands (a claim
//     the database refuses was another's meanwhile);
//  2. PortName in the device's hardware key becomes COMb, a friendly name
//     that ends in "(COMa)" comes to end in "(COMb)", and every attached
//     modem's AttachedTo names COMb;
//  3. a present device is restarted, so that its driver takes the name;
//  4. only then is the old number released (unless another device or a
//     running driver holds it too): until the restart the driver still uses
//     it, and the database hands out the lowest free number to the next
//     adapter plugged in. Where the system asks for the machine's restart
//     first, it stays reserved; a later clear frees it.
// A step of 1 to 3 that fails undoes those before it, which never has to
// claim anything back, so that the device never has no number, or one
// that another device holds. Modems keep their own numbers.
//
// One operation for both faces, as the repairs are: it works over the two
// models and tells what came of it through callbacks, which are all that
// differs between batch mode's /m (lines and an exit code) and the
// window's dialog (boxes, and the list showing the device on its new row).
// Whatever takes a number from the system goes through here.
#pragma once

#include <stdint.h>

#include "base/com_name.h"
#include "core/attached_modems.h"
#include "core/change_conditions.h"
#include "core/failure.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"

enum MoveOutcome {
  kMoved = 0,
  kMovedRestartNeeded,  // the system asks for the machine's restart first
  kMovedNotReleased,    // moved, but the old number could not be released (failure)
  kNothingToMove,       // the device has that number already
  kNotASerialPort,      // no device, a removed one, or a modem
  kTargetOutOfRange,    // a number ComDB does not cover
  kTargetHeld,          // another device, or a running driver, holds the number
  kModemLocked,         // an attached modem cannot follow (failure: why, holder: which)
  kChangeRefused,       // nothing may be changed (refusal: why)
  kMoveFailedUndone,    // a step failed; what was done is undone
  kMoveFailedNotUndone, // a step failed, and not all that was done could be undone
};

struct MoveResult {
  MoveOutcome outcome;
  // kTargetHeld: the instance ID of the device that holds the number, or
  // the kernel name a running driver gave it; kModemLocked: the modem's ID.
  char16_t holder[kDeviceIdUnits];
  ChangeRefusal refusal;     // kChangeRefused: why
  Failure failure;           // a failed move: the step's error and the device
};

struct MoveRequest {
  PortDevice* device;   // the caller's record of the device; null for none
  int32_t target;
  bool dryRun;
  bool administrator;   // whether the process may change the system (a dry run needs not)
  // A move taken back before Windows restarted: the device's driver still
  // names the target, its old number, which is its own and no holder, and
  // the device is not restarted (it takes that number anyway at the
  // restart).
  bool takeBack;
};

// Either callback may be null: that face has nothing to do there.
struct MoveCallbacks {
  void* context;
  // The device has its new number (in a dry run: would have): kMoved,
  // kMovedRestartNeeded, or kMovedNotReleased (result.failure says why the
  // old number stays reserved). from is the number it left.
  void (*moved)(void* context, const PortDevice* device, int32_t from, const MoveResult& result);
  // It has not: refused before anything changed, already on the number, or
  // failed and undone (result.outcome says which).
  void (*notMoved)(void* context, const PortDevice* device, const MoveResult& result);
};

// Checks the move and, unless a dry run, makes it. Afterwards the caller's
// reservations hold what is stored, and its record of the device the
// device's number (a failed move: the old one). A dry run writes nothing
// and reads nothing again: the models take the move as done, so that
// later moves are checked against it.
MoveResult RunMove(PortReservations* reservations, PortDeviceList* devices,
                   const MoveRequest& request, const MoveCallbacks& callbacks);

// Why a move was not made, as one line: "COM3 is held by ROOT\PORTS\0001",
// "COM1 is held by \Device\Serial0", "No serial port device: COM7" and
// the like (name: what the user named
// the device by; ambiguous: more than one serial port carries it). Empty
// for a move made, or one that failed (a Failure, described as removals'
// are).
void DescribeMoveRefusal(const MoveResult& result, const char16_t* name, int32_t ambiguous,
                         const PortDevice* device, int32_t target, char16_t* text,
                         uint32_t units);

// The friendly name given the new number: one that ends in "(COMfrom)"
// ends in "(COMto)" instead; 0 for any other name, which stays as it is.
int32_t RenamedFriendlyName(const char16_t* name, int32_t from, int32_t to, char16_t* renamed,
                            uint32_t units);

// The device a script names: "COMa" (any case) for the one serial port
// that carries COMa, else a device instance ID, compared without regard to
// case. Null when there is none, or (*ambiguous set) more than one serial
// port carries the number.
PortDevice* FindNamedDevice(const PortDeviceList* devices, const char16_t* name,
                            int32_t* ambiguous);
