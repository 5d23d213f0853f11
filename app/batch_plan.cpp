// The batch face of the number plan: /apply FILE makes this machine match
// the plan, telling each thing it does (or, with /n, would do) as a line;
// /export [FILE] writes this machine's plan.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/com_name.h"
#include "base/error_name.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/plan_apply.h"
#include "core/plan_export.h"
#include "core/plan_file.h"

namespace {

BatchRun* Run(void* context) { return static_cast<BatchRun*>(context); }
bool DryRun(void* context) { return Run(context)->switches.dryRunSwitch != 0; }

// "skipped COM7 location PCIROOT(0)#PCI(1400)": no serial port present.
void ReportSkipped(void*, const PlanRule& rule) {
  char16_t line[kPlanLineUnits + 16];
  TextCopy(line, Units(line), u"skipped ");
  char16_t rest[kPlanLineUnits];
  PlanRuleLine(rule.port, rule.key, rule.identity, rest, Units(rest));
  TextAppend(line, Units(line), rest);
  WriteLine(kOsStandardOutput, line);
}

void ReportBlocked(void* context, const PlanBlock& block) {
  char16_t line[kFailureTextUnits];
  DescribePlanBlock(block, line, Units(line));
  WriteLine(kOsStandardError, line);
  NoteCode(Run(context), block.kind == kBlockRefused && block.refusal == kNotAdministrator
                             ? kExitNotAdmin
                             : block.kind == kBlockRefused ? kExitNotRead : kExitPlanBlocked);
}

void ReportRemoved(void* context, const PortDevice* device) {
  ReportLine(DryRun(context) ? u"would remove" : u"removed", device->portNumber, device);
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
  char16_t line[64];
  TextCopy(line, Units(line), DryRun(context) ? u"would grow ComDB to " : u"grew ComDB to ");
  TextAppendSigned(line, Units(line), ports);
  TextAppend(line, Units(line), u" ports");
  WriteLine(kOsStandardOutput, line);
  NoteCode(Run(context), DryRun(context) ? kExitWouldChange : kExitSuccess);
}

void ReportMoved(void* context, const PortDevice* device, int32_t from, int32_t to,
                 const MoveResult& result) {
  BatchRun* run = Run(context);
  ReportLine(DryRun(context) ? u"would move" : u"moved", from, device, to);
  if (result.outcome == kMovedNotReleased) {
    TellFailure(*run, result.failure, device);
    NoteCode(run, kExitNotWritten);
  } else if (result.outcome == kMovedRestartNeeded) {
    char16_t line[64 + kDeviceIdUnits];
    TextCopy(line, Units(line), u"Restart Windows for ");
    TextAppend(line, Units(line), device->deviceInstanceId);
    TextAppend(line, Units(line), u" to take its new number");
    WriteLine(kOsStandardError, line);
    NoteCode(run, kExitRestartNeeded);
  } else {
    NoteCode(run, DryRun(context) ? kExitWouldChange : kExitSuccess);
  }
}

void ReportMoveFailed(void* context, const PortDevice* device, int32_t to,
                      const MoveResult& result) {
  BatchRun* run = Run(context);
  if (result.outcome == kMoveFailedUndone || result.outcome == kMoveFailedNotUndone) {
    TellFailure(*run, result.failure, device);
  } else {
    char16_t line[kFailureTextUnits];
    DescribeMoveRefusal(result, device->deviceInstanceId, 0, device, to, line, Units(line));
    WriteLine(kOsStandardError, line);
  }
  NoteCode(run, result.outcome == kMoveFailedNotUndone ? kExitMoveNotUndone : kExitMoveFailed);
}

// "moved COM3 ROOT\PORTS\0001 back to COM5".
void ReportMovedBack(void* context, const PortDevice* device, int32_t from, int32_t to,
                     int32_t ok) {
  char16_t line[64 + kDeviceIdUnits], number[16];
  if (ok) {
    TextCopy(line, Units(line), u"moved ");
    ComName(from, number, Units(number));
    TextAppend(line, Units(line), number);
    TextAppend(line, Units(line), u" ");
    TextAppend(line, Units(line), device->deviceInstanceId);
    TextAppend(line, Units(line), u" back to ");
    ComName(to, number, Units(number));
    TextAppend(line, Units(line), number);
    WriteLine(kOsStandardOutput, line);
    return;
  }
  TextCopy(line, Units(line), device->deviceInstanceId);
  TextAppend(line, Units(line), u": could not be moved back; its settings need a look");
  WriteLine(kOsStandardError, line);
  NoteCode(Run(context), kExitMoveNotUndone);
}

void ReportWaiting(void* context, const PortDevice* device, int32_t from, int32_t to) {
  char16_t line[96 + kDeviceIdUnits];
  char16_t number[16];
  TextCopy(line, Units(line), u"Restart Windows, then apply the plan again: ");
  TextAppend(line, Units(line), device->deviceInstanceId);
  TextAppend(line, Units(line), u" is still to take ");
  ComName(to, number, Units(number));
  TextAppend(line, Units(line), number);
  WriteLine(kOsStandardError, line);
  (void)from;
  NoteCode(Run(context), kExitRestartNeeded);
}

}  // namespace

void RunBatchPlan(BatchRun* run, PortReservations* reservations, PortDeviceList* devices) {
  NumberPlan plan;
  PlanError error;
  uint32_t systemError;
  if (!LoadPlanFile(run->switches.planPath, &plan, &error, &systemError)) {
    char16_t line[kFailureTextUnits];
    if (error.fault != kPlanOk) {
      DescribePlanError(error, line, Units(line));
    } else {
      char16_t name[32];
      TextCopy(line, Units(line), u"The plan cannot be read: ");
      TextWidenAscii(name, Units(name), ErrorName(systemError));
      TextAppend(line, Units(line), name);
    }
    WriteLine(kOsStandardError, line);
    NoteCode(run, kExitPlanUnread);
    return;
  }
  const PlanCallbacks callbacks = {run,       ReportSkipped,    ReportBlocked,
                                   ReportRemoved, ReportRemovalFailed, ReportGrown,
                                   ReportMoved, ReportMoveFailed, ReportMovedBack,
                                   ReportWaiting};
  PlanRequest request = {&plan, run->switches.dryRunSwitch != 0, run->administrator,
                         run->switches.planPath};
  ApplyPlan(reservations, devices, request, callbacks);
  ReleaseNumberPlan(&plan);
}

namespace {

// The lines of an exported plan, as UTF-8 with CR LF ends.
struct ExportText {
  uint8_t* bytes;
  uint32_t size, capacity;
};

void ExportLine(void* context, const char16_t* text) {
  auto* out = static_cast<ExportText*>(context);
  uint32_t needed = Utf8OfText(text, nullptr, 0) + 2;
  if (out->size + needed > out->capacity) {
    uint32_t capacity = 2 * (out->size + needed) + 256;
    auto* grown = static_cast<uint8_t*>(MemAlloc(capacity));
    if (out->bytes != nullptr) {
      MemCopy(grown, out->bytes, out->size);
      MemFree(out->bytes);
    }
    out->bytes = grown;
    out->capacity = capacity;
  }
  out->size += Utf8OfText(text, out->bytes + out->size, out->capacity - out->size);
  out->bytes[out->size++] = '\r';
  out->bytes[out->size++] = '\n';
}

void PrintLine(void*, const char16_t* text) { WriteLine(kOsStandardOutput, text); }

}  // namespace

void RunBatchExport(BatchRun* run, PortDeviceList* devices) {
  if (run->switches.exportPath[0] == 0) {
    ExportPlan(devices, PrintLine, nullptr);
  } else {
    ExportText text = {nullptr, 0, 0};
    ExportPlan(devices, ExportLine, &text);
    int32_t status = SavePlanFile(run->switches.exportPath, text.bytes, text.size, OsRunsElevated());
    if (text.bytes != nullptr) MemFree(text.bytes);
    if (status != kOsErrorSuccess) {
      char16_t line[kWordUnits + 64], name[32];
      TextCopy(line, Units(line), u"The plan could not be written to ");
      TextAppendOneLine(line, Units(line), run->switches.exportPath);
      TextAppend(line, Units(line), u": ");
      TextWidenAscii(name, Units(name), ErrorName(static_cast<uint32_t>(status)));
      TextAppend(line, Units(line), name);
      WriteLine(kOsStandardError, line);
      NoteCode(run, kExitOutputFailed);
    }
  }
  if (!InventoryBuilt(devices)) {
    WriteLine(kOsStandardError, u"The device list could not be read whole; devices may be missing");
    NoteCode(run, kExitNotRead);
  }
}
