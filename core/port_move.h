// Giving a serial port another COM number, the way the system's Ports class
// installer gives one, in steps, in this order:
//  1. the target must be free of every other device, present or not; a
//     number reserved with no device is stale, and may be taken;
//  2. the target is claimed in the COM port database (a stale reservation
//     as it stands; a number reserved since ComDB was read is another's);
//  3. PortName in the device's hardware key becomes COMb;
//  4. a friendly name that ends in "(COMa)" comes to end in "(COMb)";
//  5. the old number is released, unless another device carries it too;
//  6. a present device is restarted, so that its driver takes the name;
//     where the system asks for the machine's restart first, the old
//     number stays reserved until then, as the driver still uses it.
// A step that fails undoes the ones before it, so that the device never
// has no number, or one that another device holds. Modems keep theirs.
// Both faces call this: batch mode's /m and the window's dialog.
#pragma once

#include <stdint.h>

#include "core/change_conditions.h"
#include "core/failure.h"
#include "core/port_devices.h"
#include "core/port_reservations.h"

enum MoveOutcome {
  kMoved = 0,
  kMovedRestartNeeded,  // the system asks for the machine's restart first
  kNothingToMove,       // the device has that number already
  kNotASerialPort,      // no device, a removed one, or a modem
  kTargetOutOfRange,    // a number ComDB does not cover
  kTargetHeld,          // another device carries the number
  kModelsUntrusted,     // the device list or ComDB could not be read whole
  kMoveFailedUndone,    // a step failed; what was done is undone
  kMoveFailedNotUndone, // a step failed, and not all that was done could be undone
};

struct MoveResult {
  MoveOutcome outcome;
  const PortDevice* holder;  // kTargetHeld: the device that carries the number
  ChangeRefusal refusal;     // kModelsUntrusted: why
  Failure failure;           // a failed move: the step's error and the device
};

// Checks the move and, unless dryRun, makes it. Afterwards the models hold
// the device on its new number (a failed move: on its old one).
MoveResult MoveDevice(PortReservations* reservations, PortDeviceList* devices,
                      PortDevice* device, int32_t target, int32_t dryRun);

// Why a move was not made, as one line: "COM3 is held by ROOT\PORTS\0001",
// "No serial port device: COM7" and the like (name: what the user named
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
// The number of a "COMn" text (any case), 0 for any other text.
int32_t PortNumberOfName(const char16_t* name);
