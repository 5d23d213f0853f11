#include <string>

#include "platform/sim/sim_state.h"

namespace {

const char16_t kArbiter[] = u"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter";
const char16_t kValue[] = u"ComDB";
const int32_t kInvalidParameter = 87;
const uint32_t kMostPorts = 4096;

bool TakeFailure(SimPortDatabaseCall call, uint32_t port, int32_t* status) {
  auto found = sim.portDatabaseFailures.find(call);
  if (found == sim.portDatabaseFailures.end()) return false;
  SimPortDatabaseFailure& f = found->second;
  if (f.times <= 0 || (f.port != 0 && f.port != port)) return false;
  f.times--;
  *status = f.status;
  return true;
}

// Reads the value, sets or clears one bit and writes it back, each step
// through the registry as the system's routine does.
int32_t ChangeBit(uint32_t port, bool reserve) {
  if (port == 0 || port > kMostPorts) return kInvalidParameter;
  OsKey key;
  int32_t status = OsRegOpenKey(kOsLocalMachine, kArbiter, kOsKeyQueryValue | kOsKeySetValue, &key);
  if (status != kOsErrorSuccess) return status;
  uint32_t size = 0;
  status = OsRegQueryValue(key, kValue, nullptr, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  if (status == kOsErrorSuccess) status = OsRegQueryValue(key, kValue, nullptr, bytes.data(), &size);
  if (status == kOsErrorSuccess && (port - 1) / 8 >= size) status = kInvalidParameter;
  if (status == kOsErrorSuccess) {
    uint8_t bit = static_cast<uint8_t>(1u << ((port - 1) % 8));
    uint8_t& byte = bytes[(port - 1) / 8];
    if (reserve && (byte & bit) != 0) {
      status = kOsErrorSharingViolation;
    } else {
      byte = static_cast<uint8_t>(reserve ? byte | bit : byte & ~bit);
      status = OsRegSetValue(key, kValue, kOsRegBinary, bytes.data(), size);
    }
  }
  OsRegCloseKey(key);
  return status;
}

}  // namespace

void SimSetPortDatabaseAvailable(bool available) { sim.portDatabaseAvailable = available; }

void SimPortDatabaseFail(SimPortDatabaseCall call, int32_t status, int times, uint32_t port) {
  sim.portDatabaseFailures[call] = SimPortDatabaseFailure{status, times, port};
}

const std::vector<std::string>& SimPortDatabaseCalls() { return sim.portDatabaseCalls; }
int SimPortDatabasesOpen() { return sim.portDatabasesOpen; }

int32_t OsOpenPortDatabase(OsPortDatabase* database) {
  *database = 0;
  if (!sim.portDatabaseAvailable) return kOsPortDatabaseUnavailable;
  sim.portDatabaseCalls.push_back("open");
  int32_t status;
  // As on Windows, the routine's own failure never reads as no routines.
  if (TakeFailure(kSimPortDbOpen, 0, &status)) {
    return status != kOsPortDatabaseUnavailable ? status : kOsErrorGenFailure;
  }
  OsKey key;
  status = OsRegCreateKey(kOsLocalMachine, kArbiter, kOsKeyQueryValue | kOsKeySetValue, &key);
  if (status != kOsErrorSuccess) return status;
  uint32_t size = 0;
  status = OsRegQueryValue(key, kValue, nullptr, nullptr, &size);
  if (status == kOsErrorFileNotFound) {
    const uint8_t empty[32] = {};
    status = OsRegSetValue(key, kValue, kOsRegBinary, empty, sizeof empty);
  }
  OsRegCloseKey(key);
  if (status != kOsErrorSuccess) return status;
  sim.portDatabasesOpen++;
  *database = 0xC0DB;
  return kOsErrorSuccess;
}

int32_t OsClaimPort(OsPortDatabase, uint32_t port) {
  sim.portDatabaseCalls.push_back("claim " + std::to_string(port));
  int32_t status;
  if (TakeFailure(kSimPortDbClaim, port, &status)) return status;
  return ChangeBit(port, true);
}

int32_t OsReleasePort(OsPortDatabase, uint32_t port) {
  sim.portDatabaseCalls.push_back("release " + std::to_string(port));
  int32_t status;
  if (TakeFailure(kSimPortDbRelease, port, &status)) return status;
  return ChangeBit(port, false);
}

// The value grown with free numbers, as the system's routine grows it.
int32_t OsResizePortDatabase(OsPortDatabase, uint32_t ports) {
  sim.portDatabaseCalls.push_back("resize " + std::to_string(ports));
  int32_t status;
  if (TakeFailure(kSimPortDbResize, 0, &status)) return status;
  const int32_t kBadLength = 24;  // ERROR_BAD_LENGTH
  OsKey key;
  status = OsRegOpenKey(kOsLocalMachine, kArbiter, kOsKeyQueryValue | kOsKeySetValue, &key);
  if (status != kOsErrorSuccess) return status;
  uint32_t size = 0;
  status = OsRegQueryValue(key, kValue, nullptr, nullptr, &size);
  std::vector<uint8_t> bytes(size);
  if (status == kOsErrorSuccess) status = OsRegQueryValue(key, kValue, nullptr, bytes.data(), &size);
  if (status == kOsErrorSuccess &&
      (ports % 1024 != 0 || ports > kMostPorts || ports / 8 <= size)) {
    status = kBadLength;
  }
  if (status == kOsErrorSuccess) {
    bytes.resize(ports / 8, 0);
    status = OsRegSetValue(key, kValue, kOsRegBinary, bytes.data(), ports / 8);
  }
  OsRegCloseKey(key);
  return status;
}

void OsClosePortDatabase(OsPortDatabase) {
  sim.portDatabaseCalls.push_back("close");
  sim.portDatabasesOpen--;
}
