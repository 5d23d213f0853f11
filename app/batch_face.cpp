#include "app/batch_face.h"

#include "app/output.h"
#include "base/text.h"
#include "core/change_lines.h"
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
  char16_t line[kChangeLineUnits];
  DescribePortChange(verb, port, device, to, line, Units(line));
  WriteLine(kOsStandardOutput, line);
}
