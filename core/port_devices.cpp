#include "core/port_devices.h"

#include "app/memory.h"
#include "app/text.h"
#include "core/registry_values.h"

static const char16_t kPortsClass[] = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
static const char16_t kModemClass[] = u"{4D36E96D-E325-11CE-BFC1-08002BE10318}";

// Reads a text property into a field of `units` units. A value stored without
// its terminator could fill the field to the last unit, so that unit is
// always cleared: a well-formed value keeps its terminator there anyway.
static uint32_t ReadTextProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                                 char16_t* field, uint32_t units) {
  uint32_t result = OsGetDeviceProperty(set, data, property, field, units * sizeof(char16_t));
  field[units - 1] = 0;
  return result;
}

static bool IsSerialClass(OsDeviceSet set, const OsDeviceData* data) {
  char16_t guid[53] = {};  // one unit beyond the 104 bytes read keeps it terminated
  if (OsGetDeviceProperty(set, data, kDevPropClassGuid, guid, 104) != kCrSuccess) return false;
  return OsCompareTextNoCase(guid, kPortsClass) == 0 || OsCompareTextNoCase(guid, kModemClass) == 0;
}

enum PortNameRead { kNoPortName, kPortNameTaken, kPortNameUnknown };

// The longest PortName value read: far beyond any name, room for one kept
// in a larger zeroed buffer by whoever wrote it.
const uint32_t kPortNameValueBytes = 512;

// PortName into a field of kPortNameUnits: the value's text up to its first zero,
// taken when it has at most thirteen characters and begins with "COM".
// Unknown when a value is there that could not be read whole: its device
// may hold a number that would then look unused.
static PortNameRead ReadPortName(const char16_t* deviceId, char16_t* portName) {
  // Room for the whole path of any ID the ID buffer holds.
  char16_t path[308];
  TextCopy(path, Units(path), u"System\\CurrentControlSet\\Enum\\");
  TextAppend(path, Units(path), deviceId);
  TextAppend(path, Units(path), u"\\Device Parameters");
  MemFill(portName, 0, kPortNameUnits * sizeof(char16_t));
  uint32_t size = 0;
  if (!QueryRegValueSize(kOsLocalMachine, path, u"PortName", &size)) {
    return OsGetLastError() == static_cast<uint32_t>(kOsErrorFileNotFound) ? kNoPortName
                                                                            : kPortNameUnknown;
  }
  if (size > kPortNameValueBytes) return kNoPortName;  // no name is that long
  char16_t value[kPortNameValueBytes / sizeof(char16_t) + 1] = {};
  if (ReadRegBinary(kOsLocalMachine, path, u"PortName", reinterpret_cast<uint8_t*>(value), size) !=
      size) {
    return kPortNameUnknown;  // failed, or changed since it was measured
  }
  uint32_t length = TextLength(value);
  if (length == 0 || length >= kPortNameUnits) return kNoPortName;
  TextCopy(portName, kPortNameUnits, value);
  // Case-sensitive: com3 is not taken.
  return portName[0] == u'C' && portName[1] == u'O' && portName[2] == u'M' ? kPortNameTaken
                                                                         : kNoPortName;
}

static void FillRecord(PortDevice* d, OsDeviceSet set, const OsDeviceData* data) {
  d->portNumber = TextToInt(d->portName + 3);
  if (OsQueryDosDevice(d->portName, d->kernelName, Units(d->kernelName)) == 0) d->kernelName[0] = 0;
  d->kernelName[Units(d->kernelName) - 1] = 0;
  ReadTextProperty(set, data, kDevPropClass, d->className, Units(d->className));
  if (ReadTextProperty(set, data, kDevPropFriendlyName, d->deviceText, Units(d->deviceText)) !=
      kCrSuccess) {
    d->deviceText[0] = 0;
    ReadTextProperty(set, data, kDevPropDeviceDesc, d->deviceText, Units(d->deviceText));
  }
  if (OsGetDevNodeStatus(d->deviceNode, &d->nodeStatus, &d->problemCode) == kCrNoSuchDevinst) {
    d->problemCode = kProblemNotPresent;
  }
}

int32_t Enumerate(PortDeviceList* list) {
  Clear(list);
  list->deviceInfoSet = OsGetAllDevices();
  if (list->deviceInfoSet == 0) return 0;
  for (uint32_t m = 0;; m++) {
    OsDeviceData data = {};
    data.size = sizeof data;
    if (!OsEnumDevice(list->deviceInfoSet, m, &data)) break;
    if (!IsSerialClass(list->deviceInfoSet, &data)) continue;
    char16_t deviceId[kDeviceIdUnits] = {};
    if (OsGetDeviceId(data.devInst, deviceId, kDeviceIdUnits) != kCrSuccess) {
      list->incomplete = 1;
      continue;
    }
    deviceId[kDeviceIdUnits - 1] = 0;
    char16_t portName[kPortNameUnits];  // read before a record exists: most members are skipped
    PortNameRead read = ReadPortName(deviceId, portName);
    if (read == kPortNameUnknown) list->incomplete = 1;
    if (read != kPortNameTaken) continue;
    // The array is fixed; devices beyond it are left out rather than
    // written past its end, and the numbers they hold are then unknown. No
    // real system comes near this many.
    if (list->deviceCount == kDeviceCapacity) {
      list->incomplete = 1;
      break;
    }
    auto* d = static_cast<PortDevice*>(MemAlloc(sizeof(PortDevice)));  // zero-filled
    list->devices[list->deviceCount] = d;
    d->memberIndex = static_cast<int32_t>(m);
    d->deviceNode = data.devInst;
    TextCopy(d->portName, kPortNameUnits, portName);
    TextCopy(d->deviceInstanceId, kDeviceIdUnits, deviceId);
    FillRecord(d, list->deviceInfoSet, &data);
    list->deviceCount++;
  }
  return list->deviceCount;
}

PortDevice* FindByPort(const PortDeviceList* list, int32_t portNumber) {
  PortDevice* candidate = nullptr;
  for (int32_t i = 0; i < list->deviceCount; i++) {
    PortDevice* d = list->devices[i];
    if (d == nullptr || d->deviceNode == 0 || d->portNumber != portNumber) continue;
    if (d->problemCode == 0) return d;
    candidate = d;
  }
  return candidate;
}

void Clear(PortDeviceList* list) {
  for (int32_t i = 0; i < list->deviceCount; i++) {
    if (list->devices[i] != nullptr) MemFree(list->devices[i]);
    list->devices[i] = nullptr;
  }
  list->deviceCount = 0;
  list->incomplete = 0;
  if (list->deviceInfoSet != 0) {
    OsDestroyDeviceSet(list->deviceInfoSet);
    list->deviceInfoSet = 0;
  }
}

static int32_t Failed(Failure* failure, FailureKind kind, uint32_t errorCode,
                      const char16_t* deviceId) {
  failure->kind = kind;
  failure->errorCode = errorCode;
  TextCopy(failure->deviceId, kDeviceIdUnits, deviceId);
  return 0;
}

int32_t RemoveDevice(OsDeviceSet set, OsDeviceData* data, Failure* failure) {
  Failed(failure, kNoFailure, 0, u"");
  if (data == nullptr || data->devInst == 0) return 0;
  // The class installer may rewrite the data in place (a global removal can
  // leave it empty): the check afterwards uses the node as it was.
  const OsDevNode node = data->devInst;
  if (!OsSetRemoveParams(set, data)) return 0;
  char16_t deviceId[kDeviceIdUnits] = {};
  if (OsGetDeviceId(node, deviceId, kDeviceIdUnits) != kCrSuccess) {
    return Failed(failure, kDeviceIdUnreadable, OsGetLastError(), u"");
  }
  deviceId[kDeviceIdUnits - 1] = 0;
  if (!OsCallRemoveInstaller(set, data)) {
    return Failed(failure, kRemovalFailed, OsGetLastError(), deviceId);
  }
  // The installer's word alone is not trusted: only a node that can no
  // longer be read or located counts as removed.
  char16_t again[kDeviceIdUnits] = {};
  if (OsGetDeviceId(node, again, kDeviceIdUnits) != kCrSuccess) return 1;
  again[kDeviceIdUnits - 1] = 0;
  if (OsLocateDevNode(again) != kCrSuccess) return 1;
  return Failed(failure, kDeviceStillThere, 0, again);
}

static int32_t FetchMember(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data) {
  MemFill(data, 0, sizeof *data);
  data->size = sizeof *data;
  return OsEnumDevice(set, memberIndex, data);
}

int32_t FetchDeviceData(const PortDeviceList* list, const PortDevice* device, OsDeviceData* data) {
  if (device == nullptr || device->deviceNode == 0 || list->deviceInfoSet == 0) return 0;
  // Should a removal ever take its member out of the set, later members
  // would move down: an index alone is not trusted to name the device.
  if (device->memberIndex >= 0 &&
      FetchMember(list->deviceInfoSet, static_cast<uint32_t>(device->memberIndex), data) &&
      data->devInst == device->deviceNode) {
    return 1;
  }
  for (uint32_t m = 0; FetchMember(list->deviceInfoSet, m, data); m++) {
    if (data->devInst == device->deviceNode) return 1;
  }
  MemFill(data, 0, sizeof *data);
  return 0;
}

int32_t RemoveListedDevice(PortDeviceList* list, PortDevice* device, Failure* failure) {
  OsDeviceData data;
  if (!FetchDeviceData(list, device, &data)) return Failed(failure, kNoFailure, 0, u"");
  if (!RemoveDevice(list->deviceInfoSet, &data, failure)) return 0;
  device->deviceNode = 0;
  return 1;
}
