#include "core/plan_file.h"

#include "base/error_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "platform/os.h"

int32_t LoadPlanFile(const char16_t* path, NumberPlan* plan, PlanError* error,
                     uint32_t* systemError) {
  *plan = NumberPlan{nullptr, 0};
  *error = PlanError{};
  OsFile file;
  int32_t status = OsOpenFileToRead(path, &file);
  if (status == kOsErrorSuccess) {
    OsFileFacts facts;
    status = OsGetFileFacts(file, &facts);
    if (status == kOsErrorSuccess && facts.size > kPlanMostBytes) {
      error->fault = kPlanTooLarge;  // told as the reader tells it, without reading it
    } else if (status == kOsErrorSuccess) {
      uint32_t size = static_cast<uint32_t>(facts.size);
      HeapBlock<uint8_t> bytes(size + 1);
      if (size != 0) status = OsReadFileStart(file, bytes.Get(), size);
      if (status == kOsErrorSuccess) ReadNumberPlan(bytes.Get(), size, plan, error);
    }
    OsCloseFile(file);
  }
  *systemError = static_cast<uint32_t>(status);
  return status == kOsErrorSuccess && error->fault == kPlanOk;
}

int32_t SavePlanFile(const char16_t* path, const uint8_t* bytes, uint32_t size, bool elevated) {
  OsFile file;
  int32_t status = OsOpenFileToReplace(path, &file);
  if (status != kOsErrorSuccess) return status;
  OsFileFacts facts;
  const uint32_t kNotPlain = kOsFileAttributeReparsePoint | kOsFileAttributeDirectory;
  status = OsGetFileFacts(file, &facts);
  if (status == kOsErrorSuccess && elevated &&
      ((facts.attributes & kNotPlain) != 0 || facts.links != 1)) {
    status = kOsErrorCantAccessFile;
  }
  if (status == kOsErrorSuccess) status = OsReplaceFileContent(file, bytes, size);
  OsCloseFile(file);
  return status;
}

void DescribePlanLoadFailure(const PlanError& error, uint32_t systemError, char16_t* text,
                             uint32_t units) {
  if (error.fault != kPlanOk) {
    DescribePlanError(error, text, units);
    return;
  }
  char16_t name[32];
  TextCopy(text, units, u"The plan cannot be read: ");
  TextWidenAscii(name, Units(name), ErrorName(systemError));
  TextAppend(text, units, name);
}

void DescribePlanSaveFailure(const char16_t* path, int32_t status, char16_t* text, uint32_t units) {
  char16_t name[32];
  TextCopy(text, units, u"The plan could not be written to ");
  TextAppendOneLine(text, units, path);
  TextAppend(text, units, u": ");
  TextWidenAscii(name, Units(name), ErrorName(static_cast<uint32_t>(status)));
  TextAppend(text, units, name);
}
