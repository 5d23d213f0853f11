#include "platform/sim/sim.h"
#include "tests/support/registry_fixture.h"

bool TestRegistryIsDisposable() { return true; }

void TestRegSetValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                     const std::vector<uint8_t>& data) {
  SimRegSetValue(path, name, type, data);
}

void TestRegDeleteKey(const std::u16string& path) { SimRegDeleteKey(path); }

bool TestRegGetValue(const std::u16string& path, const std::u16string& name, uint32_t* type,
                     std::vector<uint8_t>* data) {
  if (!SimRegHasValue(path, name)) return false;
  *data = SimRegValue(path, name, type);
  return true;
}
