#include "core/port_move.h"

#include "base/text.h"
#include "core/failure_report.h"

static bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int32_t PortNumberOfName(const char16_t* name) {
  const char16_t* com = u"com";
  for (int i = 0; i < 3; i++) {
    if (TextFoldAscii(name[i]) != com[i]) return 0;
  }
  // Up to five digits: no number beyond that is a port (ComDB ends at 4096).
  uint32_t length = 0;
  while (IsDigit(name[3 + length]) && length < 6) length++;
  if (length == 0 || length > 5 || name[3 + length] != 0) return 0;
  return TextToInt(name + 3);
}

PortDevice* FindNamedDevice(const PortDeviceList* devices, const char16_t* name,
                            int32_t* ambiguous) {
  *ambiguous = 0;
  int32_t port = PortNumberOfName(name);
  PortDevice* found = nullptr;
  for (int32_t i = 0; i < devices->deviceCount; i++) {
    PortDevice* d = devices->devices[i];
    if (d->deviceNode == 0) continue;
    if (port != 0 ? d->serialPort && d->portNumber == port
                  : OsCompareTextNoCase(d->deviceInstanceId, name) == 0) {
      if (found != nullptr) {
        *ambiguous = 1;
        return nullptr;
      }
      found = d;
    }
  }
  return found;
}

// "(COM" and the number, for the end of a friendly name.
static void NameSuffix(int32_t port, char16_t* text, uint32_t units) {
  TextCopy(text, units, u"(COM");
  TextAppendSigned(text, units, port);
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

namespace {

const uint32_t kNoSuchDevice = 0xE000020B;  // ERROR_NO_SUCH_DEVINST
const uint32_t kGeneralFailure = 31;        // ERROR_GEN_FAILURE
const uint32_t kNameUnits = 256;

// One move's steps, each undone in reverse when a later one fails.
struct Move {
  PortReservations* reservations;
  PortDeviceList* devices;
  PortDevice* device;
  int32_t from, to;
  OsDeviceData data;
  int32_t claimed;          // the target was free, and is claimed
  int32_t portNameWritten;
  int32_t friendlyRenamed;
  int32_t released;
  int32_t restartNeeded;
  char16_t portName[kPortNameUnits];
  char16_t oldFriendly[kNameUnits];
  char16_t newFriendly[kNameUnits];

  // 0 when every step was done; else the system's error of the one that
  // failed (GEN_FAILURE where it gave none), the steps before it standing.
  uint32_t Steps() {
    OsDeviceSet set = devices->deviceInfoSet;
    if (!FetchDeviceData(devices, device, &data)) return kNoSuchDevice;
    Failure failure;
    int32_t wasFree = !reservations->reservedFlags[to - 1];
    SetPortReserved(reservations, to, 1);
    if (!SaveClaimingFreshly(reservations, &failure)) return Error(failure.errorCode);
    claimed = wasFree;
    if (int32_t status = OsSetDevicePortName(set, &data, portName)) return Error(status);
    portNameWritten = 1;
    if (OsGetDeviceProperty(set, &data, kDevPropFriendlyName, oldFriendly, sizeof oldFriendly) ==
            kCrSuccess &&
        (oldFriendly[kNameUnits - 1] = 0,
         RenamedFriendlyName(oldFriendly, from, to, newFriendly, kNameUnits))) {
      if (!OsSetDeviceFriendlyName(set, &data, newFriendly)) return Error(OsGetLastError());
      friendlyRenamed = 1;
    }
    if (OtherDeviceOn(devices, device, from) == nullptr) {
      SetPortReserved(reservations, from, 0);
      if (!Save(reservations, &failure)) return Error(failure.errorCode);
      released = 1;
    }
    if (device->problemCode != kProblemNotPresent &&
        !OsRestartDevice(set, &data, &restartNeeded)) {
      return Error(OsGetLastError());
    }
    // Until the machine restarts, the driver still names the port by its
    // old number: that stays reserved, or the class installer could give
    // it to the next adapter plugged in.
    if (restartNeeded && released) {
      SetPortReserved(reservations, from, 1);
      if (Save(reservations)) released = 0;
    }
    return 0;
  }

  static uint32_t Error(uint32_t code) { return code != 0 ? code : kGeneralFailure; }

  // 1 when every step done was undone. The old number is claimed back as
  // a move claims: one another took meanwhile is not counted as claimed.
  int32_t Undo() {
    OsDeviceSet set = devices->deviceInfoSet;
    int32_t undone = 1;
    if (released) {
      SetPortReserved(reservations, from, 1);
      undone &= SaveClaimingFreshly(reservations, nullptr);
    }
    if (friendlyRenamed) undone &= OsSetDeviceFriendlyName(set, &data, oldFriendly) != 0;
    if (portNameWritten) undone &= OsSetDevicePortName(set, &data, device->portName) == 0;
    if (claimed) {
      SetPortReserved(reservations, to, 0);
      undone &= Save(reservations);
    }
    return undone;
  }
};

}  // namespace

MoveResult MoveDevice(PortReservations* reservations, PortDeviceList* devices,
                      PortDevice* device, int32_t target, int32_t dryRun) {
  MoveResult result = {};
  result.refusal = RefuseChange(reservations, devices, 1);
  if (result.refusal != kChangeAllowed) {
    result.outcome = kModelsUntrusted;
  } else if (device == nullptr || device->deviceNode == 0 || !device->serialPort) {
    result.outcome = kNotASerialPort;
  } else if (target == device->portNumber) {
    result.outcome = kNothingToMove;
  } else if (target < 1 || target > reservations->portCount) {
    result.outcome = kTargetOutOfRange;
  } else if ((result.holder = OtherDeviceOn(devices, device, target)) != nullptr) {
    result.outcome = kTargetHeld;
  }
  if (result.refusal != kChangeAllowed || result.outcome != kMoved) return result;

  Move move = {};
  move.reservations = reservations;
  move.devices = devices;
  move.device = device;
  move.from = device->portNumber;
  move.to = target;
  TextCopy(move.portName, kPortNameUnits, u"COM");
  TextAppendSigned(move.portName, kPortNameUnits, target);
  if (dryRun) {
    // Taken as done, so that the moves after it are checked against it.
    SetPortReserved(reservations, target, 1);
    if (OtherDeviceOn(devices, device, move.from) == nullptr) {
      SetPortReserved(reservations, move.from, 0);
    }
  } else if (uint32_t error = move.Steps()) {
    result.outcome = move.Undo() ? kMoveFailedUndone : kMoveFailedNotUndone;
    result.failure.kind = kMoveFailed;
    result.failure.errorCode = error;
    TextCopy(result.failure.deviceId, kDeviceIdUnits, device->deviceInstanceId);
    return result;
  }
  // The record follows the device onto its new number.
  device->portNumber = target;
  TextCopy(device->portName, kPortNameUnits, move.portName);
  if (move.friendlyRenamed) TextCopy(device->deviceText, Units(device->deviceText), move.newFriendly);
  if (move.restartNeeded) result.outcome = kMovedRestartNeeded;
  return result;
}

void DescribeMoveRefusal(const MoveResult& result, const char16_t* name, int32_t ambiguous,
                         const PortDevice* device, int32_t target, char16_t* text,
                         uint32_t units) {
  text[0] = 0;
  char16_t number[16];
  TextCopy(number, Units(number), u"COM");
  TextAppendSigned(number, Units(number), target);
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
      TextAppend(text, units, result.holder->deviceInstanceId);
      break;
    case kModelsUntrusted:
      TextCopy(text, units, RefusalText(result.refusal));
      break;
    default:
      break;
  }
}
