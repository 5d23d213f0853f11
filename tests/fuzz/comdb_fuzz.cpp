// ComDB of any type and length, read with or without a failure: what is
// modelled and counted, and that a save never writes what was not read,
// writes back unchanged what was, and changes exactly the bit edited.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "core/port_reservations.h"
#include "platform/sim/sim.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  SimReset();
  const uint32_t type = data[0] % 12;
  const uint8_t faults = data[1];
  const uint32_t edited = data[2] | data[3] << 8;
  std::vector<uint8_t> stored(data + 4, data + size);
  SimRegSetValue(kComArbiterPath, kComDbName, type, stored);
  if (faults & 1) SimRegFail(kSimRegQuerySize, 5, 1, kComDbName);
  if (faults & 2) SimRegFail(kSimRegQueryData, 5, (faults >> 4) % 5, kComDbName);
  if (faults & 4) SimRegFail(kSimRegSet, 5, 1, kComDbName);

  PortReservations model = {};
  int32_t ports = Load(&model);
  FUZZ_CHECK(ports == model.portCount);
  if (faults & 1) {
    FUZZ_CHECK(ports == 256 && model.storedValueUnread);
  } else {
    FUZZ_CHECK(ports == 8 * static_cast<int32_t>(stored.size() < kLargestComDbBytes ? stored.size()
                                                                                  : kLargestComDbBytes));
  }
  int32_t reserved = CountReserved(&model);
  FUZZ_CHECK(reserved >= 0 && reserved <= ports);
  for (int32_t i = 0; i < ports; i++) FUZZ_CHECK(model.reservedFlags[i] == 0 || model.reservedFlags[i] == 1);

  if (ports > 0) model.reservedFlags[edited % ports] ^= 1;
  int written = SimRegWriteCount();
  int32_t saved = Save(&model);
  std::vector<uint8_t> after = SimRegValue(kComArbiterPath, kComDbName);
  if (model.storedValueUnread || !saved) {
    // Never written over what was not read whole.
    FUZZ_CHECK(!saved && after == stored && SimRegWriteCount() == written);
  } else {
    FUZZ_CHECK(after.size() == stored.size());
    for (size_t j = 0; j < stored.size(); j++) {
      uint8_t expected = stored[j];
      if (j == (edited % ports) / 8) expected ^= static_cast<uint8_t>(1u << ((edited % ports) % 8));
      FUZZ_CHECK(after[j] == expected);
    }
  }
  Clear(&model);
  return 0;
}
