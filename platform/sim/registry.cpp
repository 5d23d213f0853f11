#include <string.h>

#include <iterator>

#include "platform/sim/sim_state.h"

namespace {

std::u16string Fold(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return text;
}

// Ancestors exist whenever a descendant does, as in the real registry.
void AddKeyPath(const std::u16string& folded) {
  for (size_t at = folded.find(u'\\'); at != std::u16string::npos; at = folded.find(u'\\', at + 1)) {
    sim.keys[folded.substr(0, at)];
  }
  sim.keys[folded];
}

bool TakeFailure(SimRegCall call, int32_t* status, const char16_t* valueName = nullptr) {
  SimFailure& f = sim.failures[call];
  if (f.times <= 0) return false;
  if (!f.value.empty() && (valueName == nullptr || Fold(valueName) != f.value)) return false;
  f.times--;
  *status = f.status;
  return true;
}

int32_t Open(OsKey root, const char16_t* path, uint32_t access, OsKey* key, bool create) {
  *key = 0;
  int32_t status;
  if (TakeFailure(create ? kSimRegCreate : kSimRegOpen, &status)) return status;
  std::u16string folded = Fold(path != nullptr ? path : u"");
  if (root != kOsLocalMachine) {
    auto parent = sim.handles.find(root);
    if (parent == sim.handles.end()) return 6;  // ERROR_INVALID_HANDLE
    folded = parent->second.path + u"\\" + folded;
  }
  if (sim.keys.count(folded) == 0) {
    if (!create) return kOsErrorFileNotFound;
    AddKeyPath(folded);
  }
  OsKey handle = sim.nextHandle++;
  sim.handles[handle] = SimHandle{folded, access};
  *key = handle;
  return kOsErrorSuccess;
}

}  // namespace

void SimRegSetValue(const std::u16string& path, const std::u16string& name, uint32_t type,
                    const std::vector<uint8_t>& data) {
  AddKeyPath(Fold(path));
  sim.keys[Fold(path)][Fold(name)] = SimValue{type, data, name};
}

void SimRegSetString(const std::u16string& path, const std::u16string& name,
                     const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  SimRegSetValue(path, name, kOsRegSz, bytes);
}

void SimRegCreateKey(const std::u16string& path) { AddKeyPath(Fold(path)); }

void SimRegDeleteKey(const std::u16string& path) {
  std::u16string folded = Fold(path);
  for (auto it = sim.keys.begin(); it != sim.keys.end();) {
    bool under = it->first == folded || it->first.compare(0, folded.size() + 1, folded + u"\\") == 0;
    it = under ? sim.keys.erase(it) : std::next(it);
  }
}

void SimRegDeleteValue(const std::u16string& path, const std::u16string& name) {
  auto key = sim.keys.find(Fold(path));
  if (key != sim.keys.end()) key->second.erase(Fold(name));
}

bool SimRegHasValue(const std::u16string& path, const std::u16string& name) {
  auto key = sim.keys.find(Fold(path));
  return key != sim.keys.end() && key->second.count(Fold(name)) != 0;
}

std::vector<uint8_t> SimRegValue(const std::u16string& path, const std::u16string& name,
                                 uint32_t* type) {
  auto key = sim.keys.find(Fold(path));
  if (key == sim.keys.end() || key->second.count(Fold(name)) == 0) return {};
  const SimValue& value = key->second[Fold(name)];
  if (type != nullptr) *type = value.type;
  return value.data;
}

void SimRegFail(SimRegCall call, int32_t status, int times, const std::u16string& valueName) {
  sim.failures[call] = SimFailure{status, times, Fold(valueName)};
}

void SimRegBeforeDataRead(std::function<void()> hook, const std::u16string& valueName) {
  sim.beforeDataRead = std::move(hook);
  sim.beforeDataReadValue = Fold(valueName);
}
int SimRegWriteCount() { return sim.writeCount; }
int SimRegOpenKeyCount() { return static_cast<int>(sim.handles.size()); }

int32_t OsRegOpenKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key) {
  return Open(root, path, access, key, false);
}

int32_t OsRegCreateKey(OsKey root, const char16_t* path, uint32_t access, OsKey* key) {
  return Open(root, path, access, key, true);
}

int32_t OsRegQueryValue(OsKey key, const char16_t* name, uint32_t* type, void* data,
                        uint32_t* size) {
  auto handle = sim.handles.find(key);
  if (handle == sim.handles.end()) return 6;
  if ((handle->second.access & kOsKeyQueryValue) == 0) return kOsErrorAccessDenied;
  if (data != nullptr && sim.beforeDataRead &&
      (sim.beforeDataReadValue.empty() || Fold(name != nullptr ? name : u"") == sim.beforeDataReadValue)) {
    sim.beforeDataRead();
  }
  int32_t status;
  if (TakeFailure(data != nullptr ? kSimRegQueryData : kSimRegQuerySize, &status, name)) {
    return status;
  }
  auto stored = sim.keys.find(handle->second.path);
  if (stored == sim.keys.end()) return 1018;  // ERROR_KEY_DELETED
  auto value = stored->second.find(Fold(name != nullptr ? name : u""));
  if (value == stored->second.end()) return kOsErrorFileNotFound;
  if (type != nullptr) *type = value->second.type;
  uint32_t length = static_cast<uint32_t>(value->second.data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kOsErrorSuccess;
  }
  uint32_t room = *size;
  *size = length;
  if (length > room) return kOsErrorMoreData;
  if (length != 0) memcpy(data, value->second.data.data(), length);
  return kOsErrorSuccess;
}

int32_t OsRegSetValue(OsKey key, const char16_t* name, uint32_t type, const void* data,
                      uint32_t size) {
  auto handle = sim.handles.find(key);
  if (handle == sim.handles.end()) return 6;
  if ((handle->second.access & kOsKeySetValue) == 0) return kOsErrorAccessDenied;
  int32_t status;
  if (TakeFailure(kSimRegSet, &status, name)) return status;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  sim.keys[handle->second.path][Fold(name != nullptr ? name : u"")] =
      SimValue{type, std::vector<uint8_t>(bytes, bytes + size), name != nullptr ? name : u""};
  sim.writeCount++;
  return kOsErrorSuccess;
}

void OsRegCloseKey(OsKey key) { sim.handles.erase(key); }

// In the order of the names folded, which is as good as the system's own
// (it promises none).
int32_t OsRegEnumValue(OsKey key, uint32_t index, char16_t* name, uint32_t nameUnits,
                       uint32_t* type, void* data, uint32_t* size) {
  auto handle = sim.handles.find(key);
  if (handle == sim.handles.end()) return 6;
  if ((handle->second.access & kOsKeyQueryValue) == 0) return kOsErrorAccessDenied;
  int32_t status;
  if (TakeFailure(kSimRegEnum, &status)) return status;
  auto stored = sim.keys.find(handle->second.path);
  if (stored == sim.keys.end()) return 1018;  // ERROR_KEY_DELETED
  if (index >= stored->second.size()) return kOsErrorNoMoreItems;
  const SimValue& value = std::next(stored->second.begin(), index)->second;
  uint32_t length = static_cast<uint32_t>(value.data.size());
  if (value.name.size() + 1 > nameUnits || length > *size) {
    *size = length;
    return kOsErrorMoreData;
  }
  for (size_t i = 0; i < value.name.size(); i++) name[i] = value.name[i];
  name[value.name.size()] = 0;
  *type = value.type;
  *size = length;
  if (length != 0) memcpy(data, value.data.data(), length);
  return kOsErrorSuccess;
}

void SimRegOnWaitForChange(std::function<int32_t()> hook) { sim.onWaitForChange = hook; }

int32_t OsRegWaitForValueChange(OsKey key, OsEvent changed, OsEvent stop, bool* stopped) {
  *stopped = false;
  if (sim.handles.count(key) == 0 || sim.events.count(changed) == 0 || sim.events.count(stop) == 0) {
    return kOsErrorInvalidHandle;
  }
  if (sim.events[stop]) {
    *stopped = true;
    return kOsErrorSuccess;
  }
  int32_t status = sim.onWaitForChange ? sim.onWaitForChange() : kOsErrorSuccess;
  *stopped = sim.events[stop];
  return *stopped ? kOsErrorSuccess : status;
}
