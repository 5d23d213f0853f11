// The serial device inventory: every device of the Ports and Modem setup
// classes, present or not, whose PortName is a COM name, and every port a
// running driver has named, of whatever class.
#pragma once

#include <stdint.h>

#include "base/memory.h"
#include "core/failure.h"
#include "platform/os.h"

const uint32_t kPortNameUnits = 14;  // COM4096 fits
// The value of a device's hardware key that names its port.
extern const char16_t kPortNameValue[];

struct PortIdentity;  // core/port_identity.h
struct Journal;       // core/journal.h

struct PortDevice {
  OsDevNode deviceNode;     // 0 once the device was removed
  int32_t portNumber;       // from portName after "COM"
  uint32_t nodeStatus;
  uint32_t problemCode;     // 45 when the node is not present
  char16_t deviceInstanceId[kDeviceIdUnits];
  char16_t portName[kPortNameUnits];  // COM3; up to thirteen characters
  char16_t kernelName[260]; // target of the DOS name, \Device\Serial0
  char16_t deviceText[256]; // friendly name, else device description
  char16_t className[64];
  int32_t memberIndex;      // index in the list's device-information set
  int32_t serialPort;       // of the Ports setup class; a modem's number stays its own
  // A port a running driver named (a live name), which no device record
  // stands for: its kernel name, "(in use)" as its text, no node.
  int32_t liveName;
  // A live name whose number a device of the list carries that runs
  // without a problem, and that no other value names: that device's driver
  // named it, and it holds nothing the device does not.
  int32_t liveNameOfDevice;
  // What a number plan knows a serial port by; null until ReadIdentities.
  PortIdentity* identity;
};

const int32_t kDeviceCapacity = 10240;
const int32_t kRecordsPerBlock = 64;

struct PortDeviceList {
  PortDevice* devices[kDeviceCapacity];
  int32_t deviceCount;
  OsDeviceSet deviceInfoSet;  // 0 when none is held
  // A serial or modem device whose ID or port name could not be read (for
  // another reason than there being none): which number it holds is unknown.
  int32_t incomplete;
  // The records, kRecordsPerBlock to an allocation: every allocation has
  // the whole heap checked, which one by one would cost a scan of
  // thousands of devices more than the system's own enumeration.
  PortDevice* blocks[kDeviceCapacity / kRecordsPerBlock];
  // The ports running drivers have named (HARDWARE\DEVICEMAP\SERIALCOMM),
  // one record a number, whatever the driver's class: drivers of other
  // classes than the two listed name ports too, and such a number is in
  // use though no device record carries it.
  PortDevice* liveNames;
  int32_t liveNameCount;
  PortIdentity* identities;  // ReadIdentities': one a device
  // Where each removal, move and plan applied over the list is recorded;
  // null for nowhere. The face sets it; enumerating and clearing keep it.
  Journal* journal;
};

// What a scan reads of each device. The repairs need only its number,
// node, presence and ID; the list and the listing show its kernel name,
// description and class too.
enum DeviceDetail { kRepairDetail, kShownDetail };

// Rebuilds the list from the system; returns deviceCount. With
// kRepairDetail the records' kernelName, deviceText and className stay empty.
int32_t Enumerate(PortDeviceList* list, DeviceDetail detail = kShownDetail);
// Whether the last Enumerate read the system's device list whole. When it
// could not, ports look as if no device held them that may well be held,
// which must never be taken for the truth: nothing may be freed or removed
// on it.
inline int32_t InventoryBuilt(const PortDeviceList* list) {
  return list->deviceInfoSet != 0 && !list->incomplete;
}
// The device chosen for a port: the first working one, else the last with a
// problem code; null when no device carries the number.
PortDevice* FindByPort(const PortDeviceList* list, int32_t portNumber);
// The live name of a port; null when no running driver named it.
PortDevice* FindLiveName(const PortDeviceList* list, int32_t portNumber);
// What holds a port, as its row shows it: the device chosen for it, else
// its live name where that is no listed device's; null for neither.
PortDevice* FindHolder(const PortDeviceList* list, int32_t portNumber);
// Whether a running driver that none of the listed present devices stands
// for uses the number: such a number is never freed, whatever becomes of
// the devices, and never given to another device.
int32_t InLiveUse(const PortDeviceList* list, int32_t portNumber);
// Whether a running driver names the number now, read afresh: 1 too when
// that cannot be read.
int32_t NamedLive(int32_t port);
// Whether a record is a serial port present now: a number plan's and its
// export's ports are these alone.
inline bool PresentSerialPort(const PortDevice* d) {
  return d->deviceNode != 0 && d->serialPort && d->problemCode != kProblemNotPresent;
}
// Whether a record shows something that holds its number: a device not
// removed, or a live name.
inline bool HoldsItsNumber(const PortDevice* d) {
  return d != nullptr && (d->deviceNode != 0 || d->liveName);
}
// Whether a member of a device-information set is of the Modem setup class.
int32_t IsModemMember(const OsDeviceData* data);
// Releases the list's blocks and its device set; the list is then empty.
void Clear(PortDeviceList* list);
// A device list of a scope's own, released with its set when the scope ends.
typedef HeldRecord<PortDeviceList, Clear> HeldDeviceList;
// A node's device instance ID into id (kDeviceIdUnits), ended within it
// however long; 1 when the system gave one. On failure *error (when given)
// holds the system's error.
int32_t ReadDeviceId(OsDevNode node, char16_t* id, uint32_t* error = nullptr);
// Sets a text value of the device's hardware or driver key (PortName,
// a modem's AttachedTo); the system's status.
int32_t WriteDeviceText(OsDeviceSet set, OsDeviceData* data, OsDeviceKeyKind kind,
                        const char16_t* name, const char16_t* text);

// Removes one device through its class installer and checks that its node
// is gone; 1 when it is. Every failure is recorded in *failure for the
// caller to report; the window shows none of those before the installer
// was called (kRemovalNotStarted), batch mode writes them all.
int32_t RemoveDevice(OsDeviceSet set, OsDeviceData* data, Failure* failure);

// The SetupAPI data of a record's device, from the list's set: at the
// record's member index when the member there is still the record's node,
// else wherever the set now holds that node. 0 for a removed record, or
// when the set no longer holds the node, so that no other device is ever
// handed on in its place.
int32_t FetchDeviceData(const PortDeviceList* list, const PortDevice* device, OsDeviceData* data);
// Removes a record's device and marks the record removed (deviceNode 0);
// 1 on success. A device that cannot be fetched counts as a failure that
// never reached the installer.
int32_t RemoveListedDevice(PortDeviceList* list, PortDevice* device, Failure* failure);
