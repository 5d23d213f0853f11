// The batch face of the number plan: /apply FILE makes this machine match
// the plan, telling each thing it does (or, with /n, would do) as a line;
// /export [FILE] writes this machine's plan.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/failure_report.h"
#include "core/plan_apply.h"
#include "core/plan_export.h"
#include "core/plan_file.h"

namespace {

BatchRun* Run(void* context) { return static_cast<BatchRun*>(context); }
bool DryRun(void* context) { return Run(context)->switches.dryRunSwitch != 0; }

void ReportSkipped(void*, const PlanRule& rule) {
  char16_t line[kChangeLineUnits];
  PlanSkippedLine(rule, line, Units(line));
  WriteLine(kOsStandardOutput, line);
}

void ReportBlocked(void* context, const PlanBlock& block) {
  char16_t line[kChangeLineUnits];
  DescribePlanBlock(block, line, Units(line));
  WriteLine(kOsStandardError, line);
  NoteCode(Run(context), block.kind == kBlockRefused && block.refusal == kNotAdministrator
                             ? kExitNotAdmin
                             : block.kind == kBlockRefused ? kExitNotRead : kExitPlanBlocked);
}

void ReportRemoved(void* context, const PortDevice* device) {
  char16_t line[kChangeLineUnits];
  PlanRemovedLine(DryRun(context), device, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  NoteCode(Run(context), DryRun(context) ? kExitWouldChange : kExitSuccess);
}

void ReportRemovalFailed(void* context, const Failure& failure, const PortDevice* device) {
  TellFailure(*Run(context), failure, device);
  NoteCode(Run(context), kExitRemovalFailed);
}

void ReportGrown(void* context, int32_t ports, const Failure* failure) {
  if (failure != nullptr) {
    TellFailure(*Run(context), *failure, nullptr);
    NoteCode(Run(context), kExitNotWritten);
    return;
  }
  char16_t line[kChangeLineUnits];
  PlanGrownLine(DryRun(context), ports, line, Units(line));
  WriteLine(kOsStandardOutput, line);
  NoteCode(Run(context), DryRun(context) ? kExitWouldChange : kExitSuccess);
}

void ReportMovedBack(void* context, const PortDevice* device, int32_t from, int32_t to,
                     int32_t ok) {
  char16_t line[kChangeLineUnits];
  PlanMovedBackLine(device, from, to, ok, line, Units(line));
  WriteLine(ok ? kOsStandardOutput : kOsStandardError, line);
  if (!ok) NoteCode(Run(context), kExitMoveNotUndone);
}

void ReportWaiting(void* context, const PortDevice* device, int32_t, int32_t to) {
  char16_t line[kChangeLineUnits];
  PlanWaitingLine(device, to, line, Units(line));
  WriteLine(kOsStandardError, line);
  NoteCode(Run(context), kExitRestartNeeded);
}

}  // namespace

bool LoadBatchPlan(BatchRun* run, const char16_t* path, NumberPlan* plan) {
  PlanError error;
  uint32_t systemError;
  if (LoadPlanFile(path, plan, &error, &systemError)) return true;
  char16_t line[kChangeLineUnits];
  DescribePlanLoadFailure(error, systemError, line, Units(line));
  WriteLine(kOsStandardError, line);
  NoteCode(run, kExitPlanUnread);
  return false;
}

bool CheckBatchPlan(BatchRun* run, const char16_t* path) {
  NumberPlan plan;
  if (!LoadBatchPlan(run, path, &plan)) return false;
  // The models of this moment, read afresh: a dry run changes them.
  HeldReservations reservationsNow;
  HeldDeviceList devicesNow;
  PortReservations* reservations = reservationsNow.Get();
  PortDeviceList* devices = devicesNow.Get();
  Load(reservations);
  Enumerate(devices, kRepairDetail);
  PlanCallbacks callbacks = {};
  callbacks.context = run;
  callbacks.blocked = ReportBlocked;
  PlanRequest request = {&plan, true, run->administrator, nullptr};
  bool passed = !ApplyPlan(reservations, devices, request, callbacks).blocked;
  ReleaseNumberPlan(&plan);
  return passed;
}

void RunBatchPlan(BatchRun* run, PortReservations* reservations, PortDeviceList* devices) {
  NumberPlan plan;
  if (!LoadBatchPlan(run, run->switches.planPath, &plan)) return;
  const PlanCallbacks callbacks = {run,       ReportSkipped,    ReportBlocked,
                                   ReportRemoved, ReportRemovalFailed, ReportGrown,
                                   ReportRunMove, ReportRunMoveFailed, ReportMovedBack,
                                   ReportWaiting};
  PlanRequest request = {&plan, run->switches.dryRunSwitch != 0, run->administrator,
                         run->switches.planPath};
  ApplyPlan(reservations, devices, request, callbacks);
  ReleaseNumberPlan(&plan);
}

namespace {

void PrintLine(void*, const char16_t* text) { WriteLine(kOsStandardOutput, text); }

}  // namespace

void RunBatchExport(BatchRun* run, PortDeviceList* devices) {
  if (run->switches.exportPath[0] == 0) {
    ExportPlan(devices, PrintLine, nullptr);
  } else {
    HeapBlock<uint8_t> text;
    uint32_t size = ExportPlanText(devices, &text);
    int32_t status = SavePlanFile(run->switches.exportPath, text.Get(), size, OsRunsElevated());
    if (status != kOsErrorSuccess) {
      char16_t line[kChangeLineUnits];
      DescribePlanSaveFailure(run->switches.exportPath, status, line, Units(line));
      WriteLine(kOsStandardError, line);
      NoteCode(run, kExitOutputFailed);
    }
  }
  if (!InventoryBuilt(devices)) {
    WriteLine(kOsStandardError, u"The device list could not be read whole; devices may be missing");
    NoteCode(run, kExitNotRead);
  }
}
