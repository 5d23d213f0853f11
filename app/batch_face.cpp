#include "app/batch_face.h"

#include "app/output.h"
#include "base/com_name.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "ui/failure_box.h"

void NoteCode(BatchRun* run, ExitCode code) { run->code = GraverExitCode(run->code, code); }

void Tell(const BatchRun& run, const char16_t* caption, const char16_t* text) {
  WriteLine(kOsStandardError, text);
  // A box nobody can answer would hold the run for ever.
  if (run.boxesShown) OsMessageBox(0, text, caption, kOsMbOk | kOsMbIconError);
}

void TellFailure(const BatchRun& run, Failure failure, const PortDevice* device) {
  if (failure.deviceId[0] == 0 && device != nullptr) {
    TextCopy(failure.deviceId, kDeviceIdUnits, device->deviceInstanceId);
  }
  char16_t line[kFailureTextUnits];
  DescribeFailureLine(failure, run.administrator, line, Units(line));
  WriteLine(kOsStandardError, line);
  if (run.boxesShown) ShowFailureBox(failure, run.administrator);
}

void ReportLine(const char16_t* verb, int32_t port, const PortDevice* device, int32_t to) {
  char16_t line[48 + kDeviceIdUnits] = {};
  char16_t name[16];
  TextCopy(line, Units(line), verb);
  TextAppend(line, Units(line), u" ");
  ComName(port, name, Units(name));
  TextAppend(line, Units(line), name);
  if (device != nullptr) {
    TextAppend(line, Units(line), u" ");
    TextAppend(line, Units(line), device->deviceInstanceId);
  }
  if (to != 0) {
    TextAppend(line, Units(line), u" to ");
    ComName(to, name, Units(name));
    TextAppend(line, Units(line), name);
  }
  WriteLine(kOsStandardOutput, line);
}
