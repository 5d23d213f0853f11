#include "platform/sim/sim_state.h"

#include <string.h>

#include "platform/cr_errors.h"

const char16_t kSimPortsClass[] = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
const char16_t kSimModemClass[] = u"{4d36e96d-e325-11ce-bfc1-08002be10318}";

static std::u16string ParametersPath(const std::u16string& deviceId) {
  return u"System\\CurrentControlSet\\Enum\\" + deviceId + u"\\Device Parameters";
}

// The driver key the system would give the device: under its class, by
// the device's place in the tree.
static std::u16string DriverPath(int index) {
  std::u16string number = u"0000";
  for (int i = 3, n = index; i >= 0; i--, n /= 10) number[i] = static_cast<char16_t>(u'0' + n % 10);
  return u"System\\CurrentControlSet\\Control\\Class\\" + sim.devices.at(index).device.classGuid +
         u"\\" + number;
}

int SimAddDevice(const SimDevice& device) {
  sim.devices.push_back(SimDeviceState{device, false});
  int index = static_cast<int>(sim.devices.size()) - 1;
  if (device.hasPortName) SimRegSetString(ParametersPath(device.deviceId), u"PortName", device.portName);
  if (!device.attachedTo.empty()) SimRegSetString(DriverPath(index), u"AttachedTo", device.attachedTo);
  if (device.namesLive && device.present) SimAddLiveName(device.kernelName, device.portName);
  return index;
}

// A REG_SZ value's text, up to its first zero.
static std::u16string TextOf(const std::vector<uint8_t>& bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size() && (bytes[i] | bytes[i + 1]) != 0; i += 2) {
    text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
  }
  return text;
}

std::u16string SimAttachedTo(int index) {
  std::vector<uint8_t> bytes = SimRegValue(DriverPath(index), u"AttachedTo");
  return bytes.empty() ? u"-" : TextOf(bytes);
}

static const char16_t kLiveNames[] = u"HARDWARE\\DEVICEMAP\\SERIALCOMM";

void SimAddLiveName(const std::u16string& kernelName, const std::u16string& portName) {
  SimRegSetString(kLiveNames, kernelName, portName);
}

std::u16string SimLiveName(const std::u16string& kernelName) {
  return SimRegHasValue(kLiveNames, kernelName) ? TextOf(SimRegValue(kLiveNames, kernelName)) : u"-";
}

int SimAddPort(const std::u16string& portName, bool present) {
  SimDevice d;
  d.classGuid = kSimPortsClass;
  d.deviceId = u"ACPI\\PNP0501\\" + std::u16string(1, static_cast<char16_t>(u'0' + sim.devices.size() % 10)) +
               u"_" + portName;
  d.portName = portName;
  d.friendlyName = u"Communications Port (" + portName + u")";
  d.description = u"Communications Port";
  d.className = u"Ports";
  d.present = present;
  d.kernelName = present ? u"\\Device\\Serial" + portName.substr(3) : u"";
  return SimAddDevice(d);
}

bool SimDeviceRemoved(int index) { return sim.devices.at(index).removed; }
int SimRemovalCount() { return sim.removalCount; }
int SimOpenDeviceSets() { return static_cast<int>(sim.deviceSets.size()); }
void SimFailDeviceSet(bool fail) { sim.failDeviceSet = fail; }
void SimFailDeviceEnum(uint32_t memberIndex, int32_t status) {
  sim.enumFailIndex = memberIndex;
  sim.enumFailStatus = status;
}
void SimRemovalShiftsSets(bool shift) { sim.removalShiftsSets = shift; }
void SimInstallerEmptiesData(bool empties) { sim.installerEmptiesData = empties; }

// The device behind a node handle, or null when it no longer exists.
static SimDeviceState* Node(OsDevNode node) {
  if (node == 0 || node > sim.devices.size()) return nullptr;
  SimDeviceState* d = &sim.devices[node - 1];
  return d->removed && !d->device.stillLocatable ? nullptr : d;
}

// A CR_ code, as the configuration manager answers.
static uint32_t CopyText(const std::u16string& text, void* buffer, uint32_t bytes) {
  if ((text.size() + 1) * sizeof(char16_t) > bytes) return kCrBufferSmall;
  auto* out = static_cast<char16_t*>(buffer);
  for (size_t i = 0; i < text.size(); i++) out[i] = text[i];
  out[text.size()] = 0;
  return kCrSuccess;
}

int32_t OsGetAllDevices(OsDeviceSet* set) {
  *set = 0;
  if (sim.failDeviceSet) return kOsErrorNotEnoughMemory;
  *set = sim.nextDeviceSet++;
  std::vector<int>& members = sim.deviceSets[*set];
  for (size_t i = 0; i < sim.devices.size(); i++) {
    if (!sim.devices[i].removed) members.push_back(static_cast<int>(i));
  }
  return kOsErrorSuccess;
}

void OsDestroyDeviceSet(OsDeviceSet set) { sim.deviceSets.erase(set); }

static int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The class as SetupAPI hands it over with each member: the device's
// ClassGUID text as a GUID, all zero when it is no GUID.
static void ClassGuidBytes(const std::u16string& text, uint8_t* bytes) {
  memset(bytes, 0, 16);
  // Where each byte's two digits stand, in memory order: Data1 to Data3
  // little-endian, Data4 as written.
  static const int kAt[16] = {7, 5, 3, 1, 12, 10, 17, 15, 20, 22, 25, 27, 29, 31, 33, 35};
  if (text.size() != 38 || text[0] != u'{' || text[9] != u'-' || text[14] != u'-' ||
      text[19] != u'-' || text[24] != u'-' || text[37] != u'}') {
    return;
  }
  uint8_t parsed[16];
  for (int i = 0; i < 16; i++) {
    int high = HexDigit(text[kAt[i]]), low = HexDigit(text[kAt[i] + 1]);
    if (high < 0 || low < 0) return;
    parsed[i] = static_cast<uint8_t>(high << 4 | low);
  }
  memcpy(bytes, parsed, 16);
}

int32_t OsEnumDevice(OsDeviceSet set, uint32_t memberIndex, OsDeviceData* data) {
  auto found = sim.deviceSets.find(set);
  if (found == sim.deviceSets.end()) return kOsErrorInvalidHandle;
  if (data->size != sizeof(OsDeviceData)) return 1784;  // ERROR_INVALID_USER_BUFFER
  if (memberIndex == sim.enumFailIndex) return sim.enumFailStatus;
  if (memberIndex >= found->second.size()) return kOsErrorNoMoreItems;
  int device = found->second[memberIndex];
  data->devInst = static_cast<OsDevNode>(device + 1);
  ClassGuidBytes(sim.devices[device].device.classGuid, data->classGuid);
  return kOsErrorSuccess;
}

// The device calls answer as the configuration manager does, its CR_ code
// mapped as the Windows build maps it.
static uint32_t ReadProperty(const OsDeviceData* data, uint32_t property, void* buffer,
                             uint32_t bytes) {
  SimDeviceState* d = Node(data->devInst);
  if (d == nullptr) return kCrNoSuchDevnode;
  const std::u16string* text = nullptr;
  std::u16string driver, list;
  switch (property) {
    case kDevPropHardwareId:
      for (const std::u16string& id : d->device.hardwareIds) list += id + std::u16string(1, u'\0');
      if (list.empty()) return kCrNoSuchValue;
      text = &list;  // the list's own last terminator follows
      break;
    case kDevPropDriver:
      if (!d->device.attachedTo.empty() || d->device.driverKeyReadStatus != 0) {
        driver = d->device.classGuid + u"\\0000";
      }
      text = &driver;
      break;
    case kDevPropClass: text = &d->device.className; break;
    case kDevPropFriendlyName: text = &d->device.friendlyName; break;
    case kDevPropDeviceDesc: text = &d->device.description; break;
  }
  if (text == nullptr || text->empty()) return kCrNoSuchValue;
  return CopyText(*text, buffer, bytes);
}

int32_t OsGetDeviceProperty(OsDeviceSet, const OsDeviceData* data, uint32_t property,
                            void* buffer, uint32_t bytes) {
  return Win32ErrorOfCr(ReadProperty(data, property, buffer, bytes));
}

static uint32_t ReadDeviceId(OsDevNode node, char16_t* buffer, uint32_t units) {
  SimDeviceState* d = Node(node);
  if (d == nullptr) return kCrNoSuchDevnode;
  if (d->device.idUnreadable || d->device.idReads == 0) return kCrInvalidDevnode;
  if (d->device.idReads > 0) d->device.idReads--;
  return CopyText(d->device.deviceId, buffer, units * sizeof(char16_t));
}

int32_t OsGetDeviceId(OsDevNode node, char16_t* buffer, uint32_t units) {
  return Win32ErrorOfCr(ReadDeviceId(node, buffer, units));
}

int32_t OsGetDevNodeStatus(OsDevNode node, uint32_t* status, uint32_t* problem) {
  SimDeviceState* d = Node(node);
  if (d == nullptr || !d->device.present) return Win32ErrorOfCr(kCrNoSuchDevnode);
  *status = d->device.status;
  *problem = d->device.problem;
  return kOsErrorSuccess;
}

int32_t OsLocateDevNode(const char16_t* deviceId) {
  for (size_t i = 0; i < sim.devices.size(); i++) {
    if (Node(static_cast<OsDevNode>(i + 1)) != nullptr &&
        OsCompareTextNoCase(sim.devices[i].device.deviceId.c_str(), deviceId) == 0) {
      return kOsErrorSuccess;
    }
  }
  return Win32ErrorOfCr(kCrNoSuchDevnode);
}

int32_t OsQueryDosDevice(const char16_t* name, char16_t* buffer, uint32_t units,
                         uint32_t* stored) {
  *stored = 0;
  for (const SimDeviceState& d : sim.devices) {
    if (!d.removed && d.device.present && !d.device.kernelName.empty() &&
        d.device.portName == name && CopyText(d.device.kernelName, buffer, units * 2) == kCrSuccess) {
      *stored = static_cast<uint32_t>(d.device.kernelName.size() + 2);  // with both terminators
      return kOsErrorSuccess;
    }
  }
  return kOsErrorFileNotFound;
}

int32_t OsSetRemoveParams(OsDeviceSet set, OsDeviceData* data) {
  SimDeviceState* d = Node(data->devInst);
  if (sim.deviceSets.count(set) != 0 && d != nullptr && !d->device.refuseRemoveParams) {
    return kOsErrorSuccess;
  }
  return kOsErrorNoSuchDevinst;
}

int32_t OsCallRemoveInstaller(OsDeviceSet, OsDeviceData* data) {
  SimDeviceState* d = Node(data->devInst);
  if (d == nullptr) return kOsErrorNoSuchDevinst;
  if (d->device.installerError != 0) return static_cast<int32_t>(d->device.installerError);
  d->removed = true;
  sim.removalCount++;
  if (sim.removalCount == sim.interruptAfterRemovals) sim.interrupted = true;
  SimRegDeleteKey(u"System\\CurrentControlSet\\Enum\\" + d->device.deviceId);
  if (sim.removalShiftsSets) {
    int index = static_cast<int>(data->devInst) - 1;
    for (auto& set : sim.deviceSets) {
      std::vector<int>& members = set.second;
      for (size_t i = 0; i < members.size(); i++) {
        if (members[i] == index) {
          members.erase(members.begin() + static_cast<long>(i));
          break;
        }
      }
    }
  }
  if (sim.installerEmptiesData) data->devInst = 0;
  return kOsErrorSuccess;
}

// The hardware key is the Device Parameters key the device's PortName is
// kept in; a driver key exists where a test gave the device one.
int32_t OsOpenDeviceKey(OsDeviceSet, OsDeviceData* data, OsDeviceKeyKind kind, uint32_t access,
                        OsKey* key) {
  *key = 0;
  SimDeviceState* d = Node(data->devInst);
  if (d == nullptr) return kOsErrorNoSuchDevinst;
  if (kind == kOsDriverKey && d->device.driverKeyReadStatus != 0) return d->device.driverKeyReadStatus;
  bool writing = (access & kOsKeySetValue) != 0;
  int32_t refused = kind == kOsDriverKey ? d->device.driverKeyWriteStatus : d->device.portNameWriteStatus;
  if (writing && refused != 0) return refused;
  std::u16string path = kind == kOsDriverKey ? DriverPath(static_cast<int>(data->devInst) - 1)
                                             : ParametersPath(d->device.deviceId);
  int32_t status = OsRegOpenKey(kOsLocalMachine, path.c_str(), access, key);
  return status == kOsErrorFileNotFound ? kOsErrorKeyDoesNotExist : status;
}

int32_t OsSetDeviceFriendlyName(OsDeviceSet, OsDeviceData* data, const char16_t* name) {
  SimDeviceState* d = Node(data->devInst);
  if (d == nullptr) return kOsErrorNoSuchDevinst;
  if (d->device.friendlyNameError != 0) return static_cast<int32_t>(d->device.friendlyNameError);
  d->device.friendlyName = name;
  return kOsErrorSuccess;
}

void SimDuringRestart(std::function<void()> hook) { sim.duringRestart = std::move(hook); }
void SimFailRestart(int n) { sim.failRestart = n; }

int32_t OsRestartDevice(OsDeviceSet, OsDeviceData* data, bool* restartNeeded) {
  if (sim.duringRestart) sim.duringRestart();
  SimDeviceState* d = Node(data->devInst);
  *restartNeeded = false;
  if (d == nullptr) return kOsErrorNoSuchDevinst;
  if (sim.failRestart > 0 && --sim.failRestart == 0) return kOsErrorAccessDenied;
  if (d->device.restartError != 0) return static_cast<int32_t>(d->device.restartError);
  sim.restarts.push_back(d->device.deviceId);
  *restartNeeded = d->device.restartNeeded;
  if (d->device.namesLive && !*restartNeeded) {
    // Stopped, the driver takes its name away; started, it names the port
    // by PortName as it stands now. One that leaves its old name behind
    // starts under another device name.
    std::u16string kernelName = d->device.kernelName;
    if (d->device.leavesLiveName) {
      kernelName += u"+";
    } else {
      SimRegDeleteValue(kLiveNames, kernelName);
    }
    SimAddLiveName(kernelName, SimDeviceAt(static_cast<int>(data->devInst) - 1).portName);
  }
  return kOsErrorSuccess;
}

// Its PortName as its hardware key holds it now.
const SimDevice& SimDeviceAt(int index) {
  SimDevice& d = sim.devices.at(index).device;
  std::vector<uint8_t> bytes = SimRegValue(ParametersPath(d.deviceId), u"PortName");
  if (!bytes.empty()) d.portName = TextOf(bytes);
  return d;
}
const std::vector<std::u16string>& SimRestarts() { return sim.restarts; }

int32_t OsGetLocationPath(OsDeviceSet, OsDeviceData* data, char16_t* path, uint32_t units) {
  path[0] = 0;
  SimDeviceState* d = Node(data->devInst);
  if (d == nullptr || !d->device.present || d->device.locationPath.empty()) return kOsErrorNotFound;
  if (d->device.locationPath.size() + 1 > units) return kOsErrorNotFound;
  CopyText(d->device.locationPath, path, units * sizeof(char16_t));
  return kOsErrorSuccess;
}

int32_t OsGetParentNode(OsDevNode node, OsDevNode* parent) {
  *parent = 0;
  SimDeviceState* d = Node(node);
  if (d == nullptr || d->device.parent < 0) return kOsErrorNotFound;
  *parent = static_cast<OsDevNode>(d->device.parent + 1);
  return kOsErrorSuccess;
}
