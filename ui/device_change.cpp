#include "ui/device_change.h"

#include "base/memory.h"

// DEV_BROADCAST_DEVICEINTERFACE_W: size, device type and a reserved field,
// then the interface class; the GUIDs as they are stored in memory.
static const uint32_t kTypeOffset = 4;
static const uint32_t kClassOffset = 12;
static const uint32_t kDeviceInterfaceType = 5;  // DBT_DEVTYP_DEVICEINTERFACE
static const uint8_t kWatchedClasses[3][16] = {
    // {86E0D1E0-8089-11D0-9CE4-08003E301F73}, COM port interfaces
    {0xE0, 0xD1, 0xE0, 0x86, 0x89, 0x80, 0xD0, 0x11, 0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73},
    // {4D36E978-E325-11CE-BFC1-08002BE10318}, the Ports setup class
    {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18},
    // {2C7089AA-2E0E-11D1-B114-00C04FC2AAE4}, modem interfaces
    {0xAA, 0x89, 0x70, 0x2C, 0x0E, 0x2E, 0xD1, 0x11, 0xB1, 0x14, 0x00, 0xC0, 0x4F, 0xC2, 0xAA, 0xE4},
};

int32_t IsWatchedDeviceChange(uintptr_t event, const void* record) {
  if (event != kDeviceArrival && event != kDeviceRemoveComplete) return 0;
  if (record == nullptr) return 0;
  const uint8_t* bytes = static_cast<const uint8_t*>(record);
  uint32_t size, type;
  MemCopy(&size, bytes, sizeof size);
  if (size < kClassOffset + 16) return 0;
  MemCopy(&type, bytes + kTypeOffset, sizeof type);
  if (type != kDeviceInterfaceType) return 0;
  for (const uint8_t* watched : kWatchedClasses) {
    if (MemCompare(bytes + kClassOffset, watched, 16) == 0) return 1;
  }
  return 0;
}
