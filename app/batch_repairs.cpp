// The batch face of the repairs: a line for each number freed, once ComDB
// holds it (a dry run tells it at once), and for each device removed;
// failures on standard error, and in a box where one is shown. /r removes
// every device that is not present; /c writes ComDB whenever a number has
// no device, which creates a missing one.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/failure_report.h"
#include "core/repairs.h"

namespace {

struct BatchRepairs {
  const BatchRun* run;
  int32_t* freed;  // numbers freed since the last write
  int32_t freedCount;
  const PortReservations* stored;  // the model, which holds what is stored after a save
};

void ReportFreed(void* context, int32_t port) {
  auto* report = static_cast<BatchRepairs*>(context);
  if (report->run->switches.dryRunSwitch) {
    ReportLine(u"would free", port);
  } else {
    report->freed[report->freedCount++] = port;
  }
}

// As a plan's removal is told.
void ReportRemoved(void* context, const PortDevice* device, PortDevice*) {
  char16_t line[kChangeLineUnits];
  PlanRemovedLine(static_cast<BatchRepairs*>(context)->run->switches.dryRunSwitch, device, line,
                  Units(line));
  WriteLine(kOsStandardOutput, line);
}

void ReportFailed(void* context, const Failure& failure, const PortDevice* device) {
  TellFailure(*static_cast<BatchRepairs*>(context)->run, failure, device);
}

// A write may succeed in part (each number is released on its own):
// every number ComDB now holds free is told, then the failure.
void ReportSaved(void* context, int32_t ok, const Failure& failure) {
  auto* report = static_cast<BatchRepairs*>(context);
  for (int32_t i = 0; i < report->freedCount; i++) {
    int32_t port = report->freed[i];
    if (port <= report->stored->portCount && !report->stored->reservedFlags[port - 1]) {
      ReportLine(u"freed", port);
    }
  }
  if (!ok) {
    char16_t line[kFailureTextUnits];
    DescribeFailureLine(failure, report->run->administrator, line, Units(line));
    WriteLine(kOsStandardError, line);
  }
  report->freedCount = 0;
}

int32_t Interrupted(void*) { return OsInterruptRequested(); }

}  // namespace

void RunBatchRepairs(BatchRun* run, PortReservations* reservations, PortDeviceList* devices) {
  const BatchSwitches& switches = run->switches;
  HeapBlock<int32_t> freed(reservations->portCount + devices->deviceCount + 1);
  BatchRepairs report = {run, freed.Get(), 0, reservations};
  const RepairCallbacks callbacks = {&report, ReportFreed, ReportRemoved, ReportFailed,
                                     ReportSaved, Interrupted};
  RepairRequest request = {};
  request.clear = switches.clearSwitch;
  request.remove = switches.removeSwitch;
  request.dryRun = switches.dryRunSwitch;
  request.administrator = run->administrator;
  request.scope = kEveryNonPresentDevice;
  request.clearSave = kSaveWhenANumberHasNoDevice;
  RepairResult result = RunRepairs(reservations, devices, request, callbacks);
  if (result.refused != kChangeAllowed) {
    WriteLine(kOsStandardError, RefusalText(result.refused));
    NoteCode(run, result.refused == kNotAdministrator ? kExitNotAdmin : kExitNotRead);
  } else if (switches.dryRunSwitch) {
    NoteCode(run, result.freed + result.removed != 0 ? kExitWouldChange : kExitSuccess);
  } else {
    if (result.removalFailed) NoteCode(run, kExitRemovalFailed);
    if (result.saveFailed) NoteCode(run, kExitNotWritten);
  }
}
