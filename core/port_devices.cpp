#include "core/port_devices.h"

#include "base/com_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/journal.h"
#include "core/registry_values.h"

const char16_t kPortNameValue[] = u"PortName";

// Reads a text property into a field of `units` units. A value stored without
// its terminator could fill the field to the last unit, so that unit is
// always cleared: a well-formed value keeps its terminator there anyway.
static int32_t ReadTextProperty(OsDeviceSet set, const OsDeviceData* data, uint32_t property,
                                char16_t* field, uint32_t units) {
  int32_t status = OsGetDeviceProperty(set, data, property, field, units * sizeof(char16_t));
  field[units - 1] = 0;
  return status;
}

// The Ports and Modem setup classes as the enumeration hands over each
// member's class, read from its ClassGUID: the fields of the GUID in memory
// order. Comparing these costs no call for the many members of other classes.
static const uint8_t kPortsClass[16] = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                                        0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
static const uint8_t kModemClass[16] = {0x6D, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                                        0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};

static bool IsSerialClass(const OsDeviceData* data) {
  return MemCompare(data->classGuid, kPortsClass, 16) == 0 ||
         MemCompare(data->classGuid, kModemClass, 16) == 0;
}

int32_t IsModemMember(const OsDeviceData* data) {
  return MemCompare(data->classGuid, kModemClass, 16) == 0;
}

enum PortNameRead { kNoPortName, kPortNameTaken, kPortNameUnknown };

// The longest PortName value read: far beyond any name, room for one kept
// in a larger zeroed buffer by whoever wrote it.
const uint32_t kPortNameValueBytes = 512;

// PortName into a field of kPortNameUnits: the value's text up to its first zero,
// taken when it has at most thirteen characters and begins with "COM".
// Unknown when a value is there that could not be read: its device may
// hold a number that would then look unused.
static PortNameRead ReadPortName(const char16_t* deviceId, char16_t* portName) {
  // Room for the whole path of any ID the ID buffer holds.
  char16_t path[308];
  TextCopy(path, Units(path), u"System\\CurrentControlSet\\Enum\\");
  TextAppend(path, Units(path), deviceId);
  TextAppend(path, Units(path), u"\\Device Parameters");
  MemFill(portName, 0, kPortNameUnits * sizeof(char16_t));
  // One read into room for any name, the unit after it a terminator.
  char16_t value[kPortNameValueBytes / sizeof(char16_t) + 1] = {};
  int32_t status;
  ReadRegBinary(kOsLocalMachine, path, kPortNameValue, reinterpret_cast<uint8_t*>(value),
                kPortNameValueBytes, &status);
  // None, or longer than any name.
  if (status == kOsErrorFileNotFound || status == kOsErrorMoreData) return kNoPortName;
  if (status != kOsErrorSuccess) return kPortNameUnknown;
  uint32_t length = TextLength(value);
  if (length == 0 || length >= kPortNameUnits) return kNoPortName;
  TextCopy(portName, kPortNameUnits, value);
  // Case-sensitive: com3 is not taken.
  return portName[0] == u'C' && portName[1] == u'O' && portName[2] == u'M' ? kPortNameTaken
                                                                         : kNoPortName;
}

static void FillRecord(PortDevice* d, OsDeviceSet set, const OsDeviceData* data,
                       DeviceDetail detail) {
  d->portNumber = TextToInt(d->portName + 3);
  if (detail == kShownDetail) {
    uint32_t stored;
    if (OsQueryDosDevice(d->portName, d->kernelName, Units(d->kernelName), &stored) !=
        kOsErrorSuccess) {
      d->kernelName[0] = 0;
    }
    d->kernelName[Units(d->kernelName) - 1] = 0;
    ReadTextProperty(set, data, kDevPropClass, d->className, Units(d->className));
    if (ReadTextProperty(set, data, kDevPropFriendlyName, d->deviceText, Units(d->deviceText)) !=
        kOsErrorSuccess) {
      d->deviceText[0] = 0;
      ReadTextProperty(set, data, kDevPropDeviceDesc, d->deviceText, Units(d->deviceText));
    }
  }
  // NOT_FOUND: the node is not present (CR_NO_SUCH_DEVNODE).
  if (OsGetDevNodeStatus(d->deviceNode, &d->nodeStatus, &d->problemCode) == kOsErrorNotFound) {
    d->problemCode = kProblemNotPresent;
  }
}

int32_t ReadDeviceId(OsDevNode node, char16_t* id, uint32_t* error) {
  int32_t status = OsGetDeviceId(node, id, kDeviceIdUnits);
  if (status != kOsErrorSuccess) {
    if (error != nullptr) *error = static_cast<uint32_t>(status);
    return 0;
  }
  id[kDeviceIdUnits - 1] = 0;  // an ID that filled the buffer ends within it
  return 1;
}

int32_t WriteDeviceText(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        const char16_t* name, const char16_t* text) {
  OsKey key;
  int32_t status = OsOpenDeviceKey(set, data, kind, kOsKeySetValue, &key);
  if (status != kOsErrorSuccess) return status;
  status = OsRegSetValue(key, name, kOsRegSz, text, (TextLength(text) + 1) * sizeof(char16_t));
  OsRegCloseKey(key);
  return status;
}

// The next record, zero-filled, from the current block or a new one.
static PortDevice* NewRecord(PortDeviceList* list) {
  int32_t i = list->deviceCount;
  PortDevice** block = &list->blocks[i / kRecordsPerBlock];
  if (*block == nullptr) {
    *block = static_cast<PortDevice*>(MemAlloc(sizeof(PortDevice) * kRecordsPerBlock));
  }
  return &(*block)[i % kRecordsPerBlock];
}

const char16_t kLiveNamesPath[] = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";
// The longest value name the registry holds, its terminator included.
const uint32_t kValueNameUnits = 16384;

// The live name a value of SERIALCOMM gives: its name the kernel name, its
// data the port's name, up to its first zero (a driver may store it in a
// larger zeroed buffer). 0 for data that is no COM name the database could
// hold.
static int32_t ReadLiveName(OsKey key, uint32_t index, char16_t* name, PortDevice* record,
                            int32_t* status) {
  char16_t data[kPortNameValueBytes / sizeof(char16_t) + 1] = {};
  uint32_t type = 0, size = kPortNameValueBytes;  // the unit behind it ends it
  *status = OsRegEnumValue(key, index, name, kValueNameUnits, &type, data, &size);
  if (*status == kOsErrorMoreData) {  // data longer than any name
    *status = kOsErrorSuccess;
    return 0;
  }
  if (*status != kOsErrorSuccess || type != kOsRegSz) return 0;
  int32_t port = PortNumberOfName(data);
  if (port < 1 || port > kHighestPortNumber) return 0;
  record->portNumber = port;
  ComName(port, record->portName, kPortNameUnits);
  TextCopy(record->kernelName, Units(record->kernelName), name);
  TextCopy(record->deviceText, Units(record->deviceText), u"(in use)");
  record->memberIndex = -1;
  record->liveName = 1;
  return 1;
}

// Whether a device's own driver is the one that named its number: a
// device running without a problem carries it, and no other value names
// it too. A live name of a device that is stopped, failed or not there is
// some other driver's.
static bool OwnLiveName(const PortDeviceList* list, int32_t port, int32_t values) {
  if (values != 1) return false;
  for (int32_t k = 0; k < list->deviceCount; k++) {
    const PortDevice* device = list->devices[k];
    if (device->portNumber == port && device->problemCode == 0 &&
        (device->nodeStatus & kDevNodeStarted) != 0) {
      return true;
    }
  }
  return false;
}

// Every port a running driver named, a record a number, the first value
// that names it giving its kernel name. A key that is missing names none;
// one that cannot be read leaves the list incomplete.
static void ReadLiveNames(PortDeviceList* list) {
  OsKey key;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kLiveNamesPath, kOsKeyQueryValue, &key);
  if (status == kOsErrorFileNotFound) return;
  if (status != kOsErrorSuccess) {
    list->incomplete = 1;
    return;
  }
  HeapBlock<char16_t> name(kValueNameUnits);
  // How many values name each number, counted up to two.
  HeapBlock<uint8_t> values(kHighestPortNumber + 1);
  int32_t capacity = 0;
  for (uint32_t index = 0;; index++) {
    PortDevice record = {};
    if (!ReadLiveName(key, index, name.Get(), &record, &status)) {
      if (status == kOsErrorSuccess) continue;
      if (status != kOsErrorNoMoreItems) list->incomplete = 1;
      break;
    }
    uint8_t& count = values[record.portNumber];
    if (count++ != 0) {
      count = 2;
      continue;
    }
    if (list->liveNameCount == capacity) {
      capacity = capacity == 0 ? 8 : 2 * capacity;
      list->liveNames = static_cast<PortDevice*>(MemResize(
          list->liveNames, sizeof(PortDevice) * list->liveNameCount, sizeof(PortDevice) * capacity));
    }
    list->liveNames[list->liveNameCount++] = record;
  }
  for (int32_t i = 0; i < list->liveNameCount; i++) {
    PortDevice* d = &list->liveNames[i];
    d->liveNameOfDevice = OwnLiveName(list, d->portNumber, values[d->portNumber]);
  }
  OsRegCloseKey(key);
}

int32_t NamedLive(int32_t port) {
  OsKey key;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kLiveNamesPath, kOsKeyQueryValue, &key);
  if (status == kOsErrorFileNotFound) return 0;
  if (status != kOsErrorSuccess) return 1;
  HeapBlock<char16_t> name(kValueNameUnits);
  int32_t named = 0;
  for (uint32_t index = 0; !named; index++) {
    PortDevice record = {};
    if (ReadLiveName(key, index, name.Get(), &record, &status)) {
      named = record.portNumber == port;
    } else if (status != kOsErrorSuccess) {
      named = status != kOsErrorNoMoreItems;  // unreadable: it may be
      break;
    }
  }
  OsRegCloseKey(key);
  return named;
}

int32_t Enumerate(PortDeviceList* list, DeviceDetail detail) {
  Clear(list);
  if (OsGetAllDevices(&list->deviceInfoSet) != kOsErrorSuccess) return 0;
  for (uint32_t m = 0;; m++) {
    OsDeviceData data = {};
    data.size = sizeof data;
    int32_t status = OsEnumDevice(list->deviceInfoSet, m, &data);
    if (status != kOsErrorSuccess) {
      // Members the enumeration could not hand over hold numbers unknown.
      if (status != kOsErrorNoMoreItems) list->incomplete = 1;
      break;
    }
    if (!IsSerialClass(&data)) continue;
    char16_t deviceId[kDeviceIdUnits] = {};
    if (!ReadDeviceId(data.devInst, deviceId)) {
      list->incomplete = 1;
      continue;
    }
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
    PortDevice* d = NewRecord(list);
    list->devices[list->deviceCount] = d;
    d->memberIndex = static_cast<int32_t>(m);
    d->serialPort = MemCompare(data.classGuid, kPortsClass, 16) == 0;
    d->deviceNode = data.devInst;
    TextCopy(d->portName, kPortNameUnits, portName);
    TextCopy(d->deviceInstanceId, kDeviceIdUnits, deviceId);
    FillRecord(d, list->deviceInfoSet, &data, detail);
    list->deviceCount++;
  }
  ReadLiveNames(list);
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

PortDevice* FindLiveName(const PortDeviceList* list, int32_t portNumber) {
  for (int32_t i = 0; i < list->liveNameCount; i++) {
    if (list->liveNames[i].portNumber == portNumber) return &list->liveNames[i];
  }
  return nullptr;
}

PortDevice* FindHolder(const PortDeviceList* list, int32_t portNumber) {
  PortDevice* device = FindByPort(list, portNumber);
  if (device != nullptr) return device;
  // A present device's own live name goes with the device.
  PortDevice* live = FindLiveName(list, portNumber);
  return live != nullptr && !live->liveNameOfDevice ? live : nullptr;
}

int32_t InLiveUse(const PortDeviceList* list, int32_t portNumber) {
  const PortDevice* live = FindLiveName(list, portNumber);
  return live != nullptr && !live->liveNameOfDevice;
}

// The list is a plain record passed by pointer, too large for the stack:
// its blocks and its device set are freed here and nowhere else.
void Clear(PortDeviceList* list) {
  for (int32_t i = 0; i < list->deviceCount; i++) list->devices[i] = nullptr;
  MemFree(list->liveNames);
  list->liveNames = nullptr;
  list->liveNameCount = 0;
  MemFree(list->identities);
  list->identities = nullptr;
  for (PortDevice*& block : list->blocks) {
    MemFree(block);
    block = nullptr;
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
  if (data == nullptr || data->devInst == 0) return Failed(failure, kRemovalNotStarted, 0, u"");
  // The class installer may rewrite the data in place (a global removal can
  // leave it empty): the check afterwards uses the node as it was.
  const OsDevNode node = data->devInst;
  if (int32_t status = OsSetRemoveParams(set, data)) {
    return Failed(failure, kRemovalNotStarted, static_cast<uint32_t>(status), u"");
  }
  char16_t deviceId[kDeviceIdUnits] = {};
  uint32_t error;
  if (!ReadDeviceId(node, deviceId, &error)) return Failed(failure, kDeviceIdUnreadable, error, u"");
  if (int32_t status = OsCallRemoveInstaller(set, data)) {
    return Failed(failure, kRemovalFailed, static_cast<uint32_t>(status), deviceId);
  }
  // The installer's word alone is not trusted: only a node that can no
  // longer be read or located counts as removed.
  char16_t again[kDeviceIdUnits] = {};
  if (!ReadDeviceId(node, again)) return 1;
  if (OsLocateDevNode(again) != kOsErrorSuccess) return 1;
  return Failed(failure, kDeviceStillThere, 0, again);
}

// Whether the set holds a member at the index.
static bool FetchMember(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data) {
  MemFill(data, 0, sizeof *data);
  data->size = sizeof *data;
  return OsEnumDevice(set, memberIndex, data) == kOsErrorSuccess;
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
  if (!FetchDeviceData(list, device, &data)) return Failed(failure, kRemovalNotStarted, 0, u"");
  const JournalEntry entry = {kJournalRemove, device->deviceInstanceId, device->portNumber, 0,
                              nullptr};
  JournalIntent(list->journal, entry);
  int32_t removed = RemoveDevice(list->deviceInfoSet, &data, failure);
  JournalOutcomeOf(list->journal, entry, removed != 0, failure->errorCode);
  if (!removed) return 0;
  device->deviceNode = 0;
  return 1;
}
