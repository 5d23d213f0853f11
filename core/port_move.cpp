#include "core/port_move.h"

#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/journal.h"

PortDevice* FindNamedDevice(const PortDeviceList* devices, const char16_t* name,
                            int32_t* ambiguous) {
  *ambiguous = 0;
  int32_t port = PortNumberOfName(name);
  PortDevice* found = nullptr;
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    PortDevice* d = devices->devices[i];
    if (d->deviceNode == 0) continue;
    if (port != 0 ? d->serialPort && d->portNumber == port
                  : TextCompareAsciiNoCase(d->deviceInstanceId, name) == 0) {
      if (found != nullptr) {
        *ambiguous = 1;
        return nullptr;
      }
      found = d;
    }
  }
  return found;
}

// "(COMn)", for the end of a friendly name.
static void NameSuffix(int32_t port, char16_t* text, uint32_t units) {
  char16_t name[16];
  ComName(port, name, Units(name));
  TextCopy(text, units, u"(");
  TextAppend(text, units, name);
  TextAppend(text, units, u")");
}

int32_t RenamedFriendlyName(const char16_t* name, int32_t from, int32_t to, char16_t* renamed,
                            uint32_t units) {
  char16_t old[16], now[16];
  NameSuffix(from, old, Units(old));
  NameSuffix(to, now, Units(now));
  uint32_t length = TextLength(name), oldLength = TextLength(old);
  if (length < oldLength) return 0;
  for (uint32_t i = 0; i < oldLength; i++) {
    if (name[length - oldLength + i] != old[i]) return 0;
  }
  uint32_t kept = length - oldLength;
  if (kept + TextLength(now) + 1 > units) return 0;  // would be cut: left as it is
  for (uint32_t i = 0; i < kept; i++) renamed[i] = name[i];
  renamed[kept] = 0;
  TextAppend(renamed, units, now);
  return 1;
}

// Another device that carries the number, chosen as FindByPort chooses:
// a working one first.
static const PortDevice* OtherDeviceOn(const PortDeviceList* devices, const PortDevice* device,
                                       int32_t port) {
  const PortDevice* other = nullptr;
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    const PortDevice* d = devices->devices[i];
    if (d == device || d->deviceNode == 0 || d->portNumber != port) continue;
    if (d->problemCode == 0) return d;
    other = d;
  }
  return other;
}

// Why the move may not be made on these models; kMoved when it may.
static MoveOutcome Refuse(const PortReservations* reservations, const PortDeviceList* devices,
                          const PortDevice* device, int32_t target, bool takeBack,
                          MoveResult* result) {
  result->refusal = RefuseChange(reservations, devices, true, true);
  if (result->refusal != kChangeAllowed) return kChangeRefused;
  if (device == nullptr || device->deviceNode == 0 || !device->serialPort) return kNotASerialPort;
  if (target == device->portNumber) return kNothingToMove;
  if (target < 1 || target > reservations->portCount) return kTargetOutOfRange;
  // A live name that a device carrying the number gave it goes with that
  // device (which holds the number itself while it is there); any other
  // running driver's holds it.
  const PortDevice* holder = OtherDeviceOn(devices, device, target);
  if (holder != nullptr) {
    TextCopy(result->holder, kDeviceIdUnits, holder->deviceInstanceId);
  } else if (!takeBack && InLiveUse(devices, target)) {
    holder = FindLiveName(devices, target);
    TextCopy(result->holder, kDeviceIdUnits, holder->kernelName);
  }
  return holder != nullptr ? kTargetHeld : kMoved;
}

// Whether the old number is free to go once the device has left it.
static bool Releasable(const PortDeviceList* devices, const PortDevice* device, int32_t port) {
  return OtherDeviceOn(devices, device, port) == nullptr && !InLiveUse(devices, port);
}

// The device's record in a list read afresh, by its instance ID.
static PortDevice* FindAgain(const PortDeviceList* devices, const PortDevice* device) {
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    PortDevice* d = devices->devices[i];
    if (d->deviceNode != 0 && TextCompareAsciiNoCase(d->deviceInstanceId, device->deviceInstanceId) == 0) {
      return d;
    }
  }
  return nullptr;
}

namespace {

const uint32_t kNameUnits = 256;

// One move's steps on the system as it was read just before them, each
// undone in reverse when a later one fails.
struct Move {
  HeldReservations storedNow;
  HeldDeviceList devicesNow;
  PortReservations* stored;  // storedNow's
  PortDeviceList* devices;   // devicesNow's
  PortDevice* device;  // in devices
  int32_t from, to;
  int32_t staleTarget;  // the caller's model had the target reserved with nothing on it
  bool takeBack;        // see MoveRequest
  OsDeviceData data;
  AttachedModems modems;
  int32_t claimed;  // the target was free, and is claimed
  int32_t portNameWritten;
  int32_t friendlyRenamed;
  int32_t restartTried;
  bool restartNeeded;
  char16_t portName[kPortNameUnits];
  char16_t oldFriendly[kNameUnits];
  char16_t newFriendly[kNameUnits];

  // The system read again, and the move checked on it; kMoved when it may
  // be made.
  MoveOutcome ReadAgain(const PortDevice* named, MoveResult* result) {
    stored = storedNow.Get();
    devices = devicesNow.Get();
    Load(stored);
    Enumerate(devices, kRepairDetail);
    device = FindAgain(devices, named);
    MoveOutcome outcome = Refuse(stored, devices, device, to, takeBack, result);
    if (outcome != kMoved) return outcome;
    from = device->portNumber;
    uint32_t error = 0;
    if (!FetchDeviceData(devices, device, &data)) return kNotASerialPort;
    if (!FindAttachedModems(devices, from, &modems, &error, result->holder)) {
      result->failure.errorCode = error;
      return kModemLocked;
    }
    return kMoved;
  }

  // 0 when every step up to the restart was done; else the system's error
  // of the one that failed, the steps before it standing.
  uint32_t Steps(Failure* failure) {
    OsDeviceSet set = devices->deviceInfoSet;
    if (stored->reservedFlags[to - 1]) {
      // Still reserved with nothing on it: stale, and taken as it stands.
      // Reserved since the caller looked: claimed by another meanwhile (the
      // class installer, for an adapter just plugged in).
      if (!staleTarget) return kOsErrorSharingViolation;
    } else {
      SetPortReserved(stored, to, 1);
      if (!SaveClaimingFreshly(stored, failure)) {
        // Refused by the save itself (ComDB no longer read whole, or now
        // too short for the number), it has no system error to give.
        return failure->errorCode != 0 ? failure->errorCode : kOsErrorGenFailure;
      }
      claimed = 1;
    }
    if (int32_t status = WriteDeviceText(set, &data, kOsHardwareKey, kPortNameValue, portName)) {
      return status;
    }
    portNameWritten = 1;
    if (OsGetDeviceProperty(set, &data, kDevPropFriendlyName, oldFriendly, sizeof oldFriendly) ==
            kOsErrorSuccess &&
        (oldFriendly[kNameUnits - 1] = 0,
         RenamedFriendlyName(oldFriendly, from, to, newFriendly, kNameUnits))) {
      if (int32_t status = OsSetDeviceFriendlyName(set, &data, newFriendly)) return status;
      friendlyRenamed = 1;
    }
    uint32_t error = 0;
    if (!MoveAttachedModems(set, &modems, to, &error)) return error;
    if (device->problemCode != kProblemNotPresent && !takeBack) {
      restartTried = 1;
      if (int32_t status = OsRestartDevice(set, &data, &restartNeeded)) return status;
    }
    return 0;
  }

  // 1 when every step done was undone. The new number is given back only
  // where nothing uses it any more: PortName names the old one again, and
  // no running driver (this device's, half restarted) names the new one.
  int32_t Undo() {
    OsDeviceSet set = devices->deviceInfoSet;
    int32_t undone = RestoreAttachedModems(set, &modems);
    if (friendlyRenamed) {
      undone &= OsSetDeviceFriendlyName(set, &data, oldFriendly) == kOsErrorSuccess;
    }
    bool named = false;
    if (portNameWritten) {
      named = WriteDeviceText(set, &data, kOsHardwareKey, kPortNameValue, device->portName) !=
              kOsErrorSuccess;
      named |= restartTried && NamedLive(to);
    }
    undone &= !named;
    if (claimed && !named) {
      SetPortReserved(stored, to, 0);
      undone &= Save(stored);
    }
    return undone;
  }

  // The old number, once the device has taken the new one: released,
  // unless another device holds it too, or a driver still names it (this
  // one's until the machine restarts, or one that left its name behind).
  // 0 when the release failed, as *failure says.
  int32_t ReleaseOld(Failure* failure) {
    if (restartNeeded || !Releasable(devices, device, from) || NamedLive(from)) return 1;
    SetPortReserved(stored, from, 0);
    return Save(stored, failure);
  }

  void Release() { ReleaseAttachedModems(&modems); }
};

}  // namespace

// What came of a move that was begun, as the journal records it.
static const char16_t* MoveResultWord(MoveOutcome outcome) {
  switch (outcome) {
    case kMovedRestartNeeded:
      return kJournalRestartNeeded;
    case kMovedNotReleased:
      return kJournalNotReleased;
    case kMoveFailedUndone:
      return kJournalUndone;
    case kMoveFailedNotUndone:
      return kJournalNotAllUndone;
    default:
      return kJournalDone;
  }
}

// The move's outcome, the caller's models brought up to date.
static MoveResult MoveAsAsked(PortReservations* reservations, PortDeviceList* devices,
                              const MoveRequest& request) {
  MoveResult result = {};
  PortDevice* device = request.device;
  int32_t target = request.target;
  char16_t portName[kPortNameUnits];
  ComName(target, portName, kPortNameUnits);
  if (!request.administrator && !request.dryRun) {
    result.refusal = kNotAdministrator;
    result.outcome = kChangeRefused;
    return result;
  }
  if (request.dryRun) {
    // The models as the moves before it left them: it reads nothing again.
    result.outcome = Refuse(reservations, devices, device, target, request.takeBack, &result);
    if (result.outcome != kMoved) return result;
    AttachedModems modems;
    uint32_t error = 0;
    if (!FindAttachedModems(devices, device->portNumber, &modems, &error, result.holder)) {
      result.failure.errorCode = error;
      result.outcome = kModemLocked;
      return result;
    }
    ReleaseAttachedModems(&modems);
    // Taken as done, so that the moves after it are checked against it.
    SetPortReserved(reservations, target, 1);
    if (Releasable(devices, device, device->portNumber)) {
      SetPortReserved(reservations, device->portNumber, 0);
    }
  } else if (device == nullptr || device->deviceNode == 0 || !device->serialPort) {
    result.outcome = kNotASerialPort;
    return result;
  } else {
    // Checked on what is stored now, whatever the caller's models say.
    Move move = {};
    move.to = target;
    move.takeBack = request.takeBack;
    move.staleTarget = target >= 1 && target <= reservations->portCount &&
                       reservations->reservedFlags[target - 1] &&
                       (request.takeBack || FindHolder(devices, target) == nullptr);
    TextCopy(move.portName, kPortNameUnits, portName);
    result.outcome = move.ReadAgain(device, &result);
    if (result.outcome == kMoved) {
      // Recorded once the move stands the check on what is stored: one
      // refused changes nothing. The move's own saves, on its own model,
      // record nothing: the move stands for them, and moving the device
      // back frees and claims for itself.
      const JournalEntry entry = {kJournalMove, device->deviceInstanceId, move.from, target, nullptr};
      JournalIntent(devices->journal, entry);
      if (uint32_t error = move.Steps(&result.failure)) {
        result.outcome = move.Undo() ? kMoveFailedUndone : kMoveFailedNotUndone;
        result.failure.kind = kMoveFailed;
        result.failure.errorCode = error;
        TextCopy(result.failure.deviceId, kDeviceIdUnits, device->deviceInstanceId);
      } else if (!move.ReleaseOld(&result.failure)) {
        result.outcome = kMovedNotReleased;
      } else if (move.restartNeeded) {
        result.outcome = kMovedRestartNeeded;
      }
      if (move.friendlyRenamed && result.outcome != kMoveFailedUndone &&
          result.outcome != kMoveFailedNotUndone) {
        TextCopy(device->deviceText, Units(device->deviceText), move.newFriendly);
      }
      JournalOutcome(devices->journal, entry, MoveResultWord(result.outcome));
    }
    move.Release();
    // What is stored now, whatever came of it.
    Load(reservations);
    if (result.outcome != kMoved && result.outcome != kMovedRestartNeeded &&
        result.outcome != kMovedNotReleased) {
      return result;
    }
  }
  // The record follows the device onto its new number.
  device->portNumber = target;
  TextCopy(device->portName, kPortNameUnits, portName);
  return result;
}

MoveResult RunMove(PortReservations* reservations, PortDeviceList* devices,
                   const MoveRequest& request, const MoveCallbacks& callbacks) {
  int32_t from = request.device != nullptr ? request.device->portNumber : 0;
  MoveResult result = MoveAsAsked(reservations, devices, request);
  bool moved = result.outcome == kMoved || result.outcome == kMovedRestartNeeded ||
               result.outcome == kMovedNotReleased;
  if (moved && callbacks.moved != nullptr) {
    callbacks.moved(callbacks.context, request.device, from, result);
  } else if (!moved && callbacks.notMoved != nullptr) {
    callbacks.notMoved(callbacks.context, request.device, result);
  }
  return result;
}

void DescribeMoveRefusal(const MoveResult& result, const char16_t* name, int32_t ambiguous,
                         const PortDevice* device, int32_t target, char16_t* text,
                         uint32_t units) {
  text[0] = 0;
  char16_t number[16];
  ComName(target, number, Units(number));
  switch (result.outcome) {
    case kNotASerialPort:
      TextCopy(text, units, ambiguous ? u"More than one serial port device carries "
                            : device != nullptr ? u"Not a serial port device: "
                                                : u"No serial port device: ");
      TextAppendOneLine(text, units, name);  // whatever the name the user gave holds
      break;
    case kTargetOutOfRange:
      TextCopy(text, units, number);
      TextAppend(text, units, u" is beyond the numbers ComDB covers");
      break;
    case kTargetHeld:
      TextCopy(text, units, number);
      TextAppend(text, units, u" is held by ");
      TextAppend(text, units, result.holder);
      break;
    case kModemLocked: {
      char16_t error[32];
      TextWidenAscii(error, Units(error), ErrorName(result.failure.errorCode));
      TextCopy(text, units, u"The modem ");
      TextAppend(text, units, result.holder);
      TextAppend(text, units, u" attached to ");
      ComName(device != nullptr ? device->portNumber : 0, number, Units(number));
      TextAppend(text, units, number);
      TextAppend(text, units, u" cannot be changed: ");
      TextAppend(text, units, error);
      break;
    }
    case kChangeRefused:
      TextCopy(text, units, RefusalText(result.refusal));
      break;
    default:
      break;
  }
}
