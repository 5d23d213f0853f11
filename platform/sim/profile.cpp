// Profile files in memory, with the encodings the real functions use.
#include <string>

#include "platform/sim/sim_state.h"
#include "platform/sim/profile_codec.h"

static std::string Fold(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

static const std::string* Find(const char* file, const char* section, const char* key) {
  auto f = sim.profiles.find(Fold(file));
  if (f == sim.profiles.end()) return nullptr;
  auto s = f->second.find(Fold(section));
  if (s == f->second.end()) return nullptr;
  auto k = s->second.find(Fold(key));
  return k == s->second.end() ? nullptr : &k->second;
}

void SimProfileSet(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
  sim.profiles[Fold(file)][Fold(section)][Fold(key)] = value;
}

bool SimProfileGet(const std::string& file, const std::string& section, const std::string& key,
                   std::string* value) {
  const std::string* found = Find(file.c_str(), section.c_str(), key.c_str());
  if (found != nullptr) *value = *found;
  return found != nullptr;
}

void SimProfileClear() { sim.profiles.clear(); }
int SimProfileWriteCount() { return sim.profileWrites; }
void SimProfileFailWrites(int times) { sim.profileWriteFailures = times; }

int32_t OsProfileReadInt(const char* section, const char* key, int32_t fallback,
                         const char* file) {
  const std::string* value = Find(file, section, key);
  return value == nullptr || value->empty() ? fallback : ParseProfileInt(value->c_str());
}

int32_t OsProfileReadStruct(const char* section, const char* key, void* data, uint32_t size,
                            const char* file) {
  const std::string* value = Find(file, section, key);
  if (value == nullptr) return kOsErrorFileNotFound;
  return DecodeProfileStruct(value->c_str(), data, size) ? kOsErrorSuccess : kOsErrorInvalidData;
}

int32_t OsProfileWriteString(const char* section, const char* key, const char* value,
                             const char* file) {
  if (sim.profileWriteFailures > 0) {
    sim.profileWriteFailures--;
    return kOsErrorAccessDenied;
  }
  sim.profileWrites++;
  SimProfileSet(file, section, key, value);
  return kOsErrorSuccess;
}

int32_t OsProfileWriteStruct(const char* section, const char* key, const void* data,
                             uint32_t size, const char* file) {
  std::string text(2 * size + 3, '\0');
  EncodeProfileStruct(data, size, &text[0]);
  text.resize(2 * size + 2);
  return OsProfileWriteString(section, key, text.c_str(), file);
}
