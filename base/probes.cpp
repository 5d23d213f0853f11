#include "base/probes.h"

#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"

void DescribeOsVersion(const OsVersionNumbers& n, OsVersionInfo* v) {
  MemFill(v, 0, sizeof *v);
  v->major = static_cast<int32_t>(n.major);
  v->minor = static_cast<int32_t>(n.minor);
  v->versionCode = (v->major / 10) * 0x1000 + (v->major % 10) * 0x100 +
                   (v->minor / 10) * 0x10 + (v->minor % 10);
  if (v->major >= 5) TextCopy(v->platformName, 16, u"x64");
}

void ReadOsVersion(OsVersionInfo* version) {
  OsVersionNumbers numbers = {};
  OsReadVersionNumbers(&numbers);
  DescribeOsVersion(numbers, version);
}

void DescribeProgramVersion(uint32_t ms, uint32_t ls, ProgramVersion* v) {
  MemFill(v, 0, sizeof *v);
  v->major = static_cast<uint16_t>(ms >> 16);
  v->minor = static_cast<uint16_t>(ms & 0xFFFF);
  v->build = static_cast<uint16_t>(ls >> 16);
  v->revision = static_cast<uint16_t>(ls & 0xFFFF);
  v->versionMS = ms;
  const uint16_t parts[4] = {v->major, v->minor, v->build, v->revision};
  for (int i = 0; i < 4; i++) {
    if (i > 0) TextAppend(v->fullText, 16, u".");
    TextAppendUnsigned(v->fullText, 16, parts[i]);
  }
  for (int i = 0; i < 3; i++) {
    if (i > 0) TextAppend(v->shortText, 16, u".");
    TextAppendUnsigned(v->shortText, 16, parts[i]);
  }
  if (v->revision >= 10) {
    TextAppend(v->shortText, 16, u".");
    TextAppendUnsigned(v->shortText, 16, v->revision);
  }
}

int32_t ReadProgramVersion(const char16_t* path, ProgramVersion* version) {
  uint32_t ms = 0, ls = 0;
  int32_t status = OsReadFileVersion(path, &ms, &ls);
  // Without the library the record is left as it is.
  if (status == kOsErrorModNotFound || status == kOsErrorProcNotFound) return 0;
  if (status != kOsErrorSuccess) {
    MemFill(version, 0, sizeof *version);
    return 0;
  }
  DescribeProgramVersion(ms, ls, version);
  return 1;
}

int32_t IsRestorePointAvailable() {
  return osVersion.major * 256 + osVersion.minor >= 0x0501;
}
