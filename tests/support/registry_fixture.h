// Seeding and reading registry values below HKEY_LOCAL_MACHINE for the unit
// tests, on the real registry under Wine or on the simulated one natively.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Whether tests may change the registry here: the simulated one, or Wine's
// (the test command runs the Windows tests only in its own prefix). On a real Windows machine this is false, and the
// tests that would change its COM Name Arbiter key (the machine's own port
// database) skip themselves; the helpers below then change nothing either.
bool TestRegistryIsDisposable();

void TestRegSetValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                     const std::vector<uint8_t>& data);
void TestRegDeleteKey(const std::u16string& path);
// False when the value is missing.
bool TestRegGetValue(const std::u16string& path, const std::u16string& name, uint32_t* type,
                     std::vector<uint8_t>* data);
