#include "core/attached_modems.h"

#include "base/com_name.h"
#include "base/memory.h"
#include "base/text.h"

static const char16_t kAttachedTo[] = u"AttachedTo";

// The longest AttachedTo read: room for a name kept in a larger zeroed
// buffer, as some installers write it.
const uint32_t kValueBytes = 512;

// AttachedTo as text up to its first zero, when it is a REG_SZ short
// enough to be a port's name; empty otherwise.
static void ReadAttachedTo(OsKey key, char16_t* text) {
  char16_t value[kValueBytes / sizeof(char16_t) + 1] = {};
  uint32_t type = 0, size = kValueBytes;  // the unit behind it ends it
  text[0] = 0;
  if (OsRegQueryValue(key, kAttachedTo, &type, value, &size) == kOsErrorSuccess &&
      type == kOsRegSz && TextLength(value) < kPortNameUnits) {
    TextCopy(text, kPortNameUnits, value);
  }
}

// Whether the modem's driver key names the port; 0 when that cannot be
// told, or it names the port and cannot be written (*error says why). A
// modem without a driver (none installed) has no such key, and is attached
// to nothing.
static int32_t ReadModem(OsDeviceSet set, OsDeviceData* data, int32_t port, AttachedModem* modem,
                         bool* attached, uint32_t* error) {
  *attached = false;
  char16_t driver[64];
  int32_t result = OsGetDeviceProperty(set, data, kDevPropDriver, driver, sizeof driver);
  if (result != kOsErrorSuccess && result != kOsErrorInsufficientBuffer) return 1;
  OsKey key;
  int32_t status = OsOpenDeviceKey(set, data, kOsDriverKey, kOsKeyQueryValue, &key);
  if (status == kOsErrorSuccess) {
    ReadAttachedTo(key, modem->attachedTo);
    OsRegCloseKey(key);
    *attached = PortNumberOfName(modem->attachedTo) == port;
    if (!*attached) return 1;
    status = OsOpenDeviceKey(set, data, kOsDriverKey, kOsKeySetValue, &key);
    if (status == kOsErrorSuccess) {
      OsRegCloseKey(key);
      return 1;
    }
  }
  *error = static_cast<uint32_t>(status);
  return 0;
}

int32_t FindAttachedModems(const PortDeviceList* list, int32_t port, AttachedModems* found,
                           uint32_t* error, char16_t* modemId) {
  found->modems = nullptr;
  found->count = found->moved = 0;
  int32_t capacity = 0;
  for (uint32_t m = 0;; m++) {
    AttachedModem modem = {};
    modem.data.size = sizeof modem.data;
    // The set the inventory walked whole: it ends only past its last member.
    if (OsEnumDevice(list->deviceInfoSet, m, &modem.data) != kOsErrorSuccess) break;
    if (!IsModemMember(&modem.data)) continue;
    bool attached = false;
    int32_t ok = ReadModem(list->deviceInfoSet, &modem.data, port, &modem, &attached, error);
    if (!ok || attached) ReadDeviceId(modem.data.devInst, modem.deviceId);
    if (!ok) {
      TextCopy(modemId, kDeviceIdUnits, modem.deviceId);
      ReleaseAttachedModems(found);
      return 0;
    }
    if (!attached) continue;
    if (found->count == capacity) {
      capacity = capacity == 0 ? 4 : 2 * capacity;
      found->modems = static_cast<AttachedModem*>(MemResize(
          found->modems, sizeof(AttachedModem) * found->count, sizeof(AttachedModem) * capacity));
    }
    found->modems[found->count++] = modem;
  }
  return 1;
}

int32_t MoveAttachedModems(OsDeviceSet set, AttachedModems* found, int32_t to, uint32_t* error) {
  char16_t name[kPortNameUnits];
  ComName(to, name, Units(name));
  for (; found->moved < found->count; found->moved++) {
    int32_t status =
        WriteDeviceText(set, &found->modems[found->moved].data, kOsDriverKey, kAttachedTo, name);
    if (status != kOsErrorSuccess) {
      *error = static_cast<uint32_t>(status);
      return 0;
    }
  }
  return 1;
}

int32_t RestoreAttachedModems(OsDeviceSet set, AttachedModems* found) {
  int32_t restored = 1;
  for (int32_t i = found->moved; i-- > 0;) {
    AttachedModem& modem = found->modems[i];
    restored &= WriteDeviceText(set, &modem.data, kOsDriverKey, kAttachedTo, modem.attachedTo) ==
                kOsErrorSuccess;
  }
  found->moved = 0;
  return restored;
}

// The modems found are a plain record passed by pointer: freed here and
// nowhere else.
void ReleaseAttachedModems(AttachedModems* found) {
  MemFree(found->modems);
  found->modems = nullptr;
  found->count = found->moved = 0;
}

void NumbersModemsName(const PortDeviceList* list, bool* named) {
  for (uint32_t m = 0;; m++) {
    OsDeviceData data = {};
    data.size = sizeof data;
    if (OsEnumDevice(list->deviceInfoSet, m, &data) != kOsErrorSuccess) break;
    if (!IsModemMember(&data)) continue;
    OsKey key;
    if (OsOpenDeviceKey(list->deviceInfoSet, &data, kOsDriverKey, kOsKeyQueryValue, &key) !=
        kOsErrorSuccess) {
      continue;
    }
    char16_t attachedTo[kPortNameUnits];
    ReadAttachedTo(key, attachedTo);
    OsRegCloseKey(key);
    int32_t port = PortNumberOfName(attachedTo);
    if (port >= 1 && port <= kHighestPortNumber) named[port] = true;
  }
}
