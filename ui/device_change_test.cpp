#include "ui/device_change.h"

#include <gtest/gtest.h>
#include <string.h>

#include <vector>

namespace {

const uint8_t kPorts[16] = {0xE0, 0xD1, 0xE0, 0x86, 0x89, 0x80, 0xD0, 0x11,
                            0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73};
const uint8_t kModem[16] = {0xAA, 0x89, 0x70, 0x2C, 0x0E, 0x2E, 0xD1, 0x11,
                            0xB1, 0x14, 0x00, 0xC0, 0x4F, 0xC2, 0xAA, 0xE4};
const uint8_t kMouse[16] = {0x4C, 0xE4, 0x8D, 0x37, 0xEF, 0x56, 0xD1, 0x11,
                            0xBC, 0x8C, 0x00, 0xA0, 0xC9, 0x14, 0x05, 0xDD};

// A record of exactly `size` bytes as another process sends it: the heap
// block ends where the record says, so reading past it is caught.
std::vector<uint8_t> Record(uint32_t size, uint32_t type, const uint8_t* guid) {
  std::vector<uint8_t> full(32, 0);
  memcpy(&full[0], &size, 4);
  memcpy(&full[4], &type, 4);
  memcpy(&full[12], guid, 16);
  full.resize(size < 4 ? 4 : size);
  return full;
}

TEST(DeviceChange, OnlyWatchedInterfacesOfAWholeRecordRefresh) {
  const struct {
    uint32_t event, size, type;
    const uint8_t* guid;
    int32_t refresh;
  } cases[] = {
      {0x8000, 32, 5, kPorts, 1},
      {0x8004, 28, 5, kModem, 1},  // just the class, no name
      {0x8000, 32, 5, kMouse, 0},
      {0x8000, 32, 3, kPorts, 0},  // a port broadcast
      {0x8001, 32, 5, kPorts, 0},  // a query, not a change
      {0x8000, 27, 5, kPorts, 0},  // too short for its class
      {0x8000, 8, 5, kPorts, 0},
      {0x8000, 4, 5, kPorts, 0},   // no device type
      {0x8000, 0, 5, kPorts, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.event << std::dec << ", " << c.size << " bytes");
    std::vector<uint8_t> record = Record(c.size, c.type, c.guid);
    EXPECT_EQ(c.refresh, IsWatchedDeviceChange(c.event, record.data()));
  }
  EXPECT_EQ(0, IsWatchedDeviceChange(0x8000, nullptr));
}

}  // namespace
