#include "ui/plans.h"

#include "base/memory.h"
#include "base/text.h"
#include "core/change_lines.h"
#include "core/plan_apply.h"
#include "core/plan_export.h"
#include "core/plan_file.h"
#include "platform/os.h"
#include "ui/failure_box.h"
#include "ui/moves.h"

namespace {

void AddLine(PlanPreview* p, const char16_t* line) {
  uint32_t length = TextLength(line) + 1;
  if (p->used + length > p->room) {
    p->room = 2 * (p->used + length) + 256;
    p->text = static_cast<char16_t*>(
        MemResize(p->text, p->used * sizeof(char16_t), p->room * sizeof(char16_t)));
  }
  MemCopy(p->text + p->used, line, length * sizeof(char16_t));
  p->used += length;
}

void AppendLines(PlanPreview* to, const PlanPreview& from) {
  for (const char16_t* line = NextPreviewLine(from, nullptr); line != nullptr;
       line = NextPreviewLine(from, line)) {
    AddLine(to, line);
  }
}

// A dry run's lines as they come: what stops the plan apart, to go first.
struct DryRun {
  PlanPreview stops;
  PlanPreview rest;
  bool administrator;
};

DryRun* Of(void* context) { return static_cast<DryRun*>(context); }

void SeeSkipped(void* context, const PlanRule& rule) {
  char16_t line[kChangeLineUnits];
  PlanSkippedLine(rule, line, Units(line));
  AddLine(&Of(context)->rest, line);
}

void SeeBlocked(void* context, const PlanBlock& block) {
  char16_t line[kChangeLineUnits];
  DescribePlanBlock(block, line, Units(line));
  AddLine(&Of(context)->stops, line);
}

void SeeRemoved(void* context, const PortDevice* device) {
  char16_t line[kChangeLineUnits];
  PlanRemovedLine(true, device, line, Units(line));
  AddLine(&Of(context)->rest, line);
}

void SeeGrown(void* context, int32_t ports, const Failure*) {
  char16_t line[kChangeLineUnits];
  PlanGrownLine(true, ports, line, Units(line));
  AddLine(&Of(context)->rest, line);
}

void SeeMoved(void* context, const PortDevice* device, int32_t from, int32_t to,
              const MoveResult& result) {
  char16_t line[kChangeLineUnits];
  PlanMovedLine(true, device, from, to, line, Units(line));
  AddLine(&Of(context)->rest, line);
  if (result.outcome == kMovedRestartNeeded) {
    PlanRestartLine(device, line, Units(line));
    AddLine(&Of(context)->rest, line);
  }
}

// A move the dry run finds refused when it comes to it stops the plan as
// a block does: applied, it would be undone.
void SeeMoveFailed(void* context, const PortDevice* device, int32_t to, const MoveResult& result) {
  char16_t line[kChangeLineUnits];
  PlanMoveFailedLine(device, to, result, Of(context)->administrator, line, Units(line));
  AddLine(&Of(context)->stops, line);
}

void SeeWaiting(void* context, const PortDevice* device, int32_t, int32_t to) {
  char16_t line[kChangeLineUnits];
  PlanWaitingLine(device, to, line, Units(line));
  AddLine(&Of(context)->rest, line);
}

bool SameLines(const PlanPreview& a, const PlanPreview& b) {
  return a.used == b.used &&
         (a.used == 0 || MemCompare(a.text, b.text, a.used * sizeof(char16_t)) == 0);
}

// The real run's boxes. Restarts of Windows are told once, at the end.
struct WindowRun {
  bool administrator;
  char16_t waiting[kChangeLineUnits * 4];
};

void Box(const char16_t* text, uint32_t icon) {
  OsMessageBox(0, text, u"Varnick", kOsMbOk | icon);
}

void ShowFailure(bool administrator, Failure failure, const PortDevice* device) {
  NameFailureDevice(&failure, device);
  ShowFailureBox(failure, administrator);
}

WindowRun* RunOf(void* context) { return static_cast<WindowRun*>(context); }

void ShowBlocked(void*, const PlanBlock& block) {
  char16_t text[kChangeLineUnits];
  DescribePlanBlock(block, text, Units(text));
  bool refused = block.kind == kBlockRefused && block.refusal == kNotAdministrator;
  OsMessageBox(0, text, refused ? u"Error" : u"Varnick", kOsMbOk | kOsMbIconError);
}

void ShowRemovalFailed(void* context, const Failure& failure, const PortDevice* device) {
  ShowFailure(RunOf(context)->administrator, failure, device);
}

void ShowGrown(void* context, int32_t, const Failure* failure) {
  if (failure != nullptr) ShowFailure(RunOf(context)->administrator, *failure, nullptr);
}

void ShowMoved(void* context, const PortDevice* device, int32_t, int32_t,
               const MoveResult& result) {
  // A restart is told once, at the end.
  if (result.outcome == kMovedRestartNeeded) return;
  MoveResult named = result;
  NameFailureDevice(&named.failure, device);
  ShowMoveMade(named, RunOf(context)->administrator);
}

void ShowMoveFailed(void* context, const PortDevice* device, int32_t to, const MoveResult& result) {
  MoveResult shown = result;
  NameFailureDevice(&shown.failure, device);
  ShowMoveNotMade(device, to, shown, RunOf(context)->administrator);
}

void ShowMovedBack(void*, const PortDevice* device, int32_t from, int32_t to, int32_t ok) {
  if (ok) return;
  char16_t text[kChangeLineUnits];
  PlanMovedBackLine(device, from, to, ok, text, Units(text));
  Box(text, kOsMbIconError);
}

void NoteWaiting(void* context, const PortDevice* device, int32_t, int32_t to) {
  WindowRun* run = RunOf(context);
  char16_t line[kChangeLineUnits];
  PlanWaitingLine(device, to, line, Units(line));
  if (run->waiting[0] != 0) TextAppend(run->waiting, Units(run->waiting), u"\n");
  TextAppend(run->waiting, Units(run->waiting), line);
}

}  // namespace

void PreviewPlan(const NumberPlan* plan, bool administrator, PlanPreview* preview) {
  *preview = {};
  HeldReservations reservationsNow;
  HeldDeviceList devicesNow;
  PortReservations* reservations = reservationsNow.Get();
  PortDeviceList* devices = devicesNow.Get();
  Load(reservations);
  // Its lines name devices by ID and live names by kernel name, as batch
  // mode's do: nothing of what only the list shows is read.
  Enumerate(devices, kRepairDetail);
  DryRun run = {{}, {}, administrator};
  // Without the rights every move would be refused: the dry run shows what
  // applying would do with them, under a first line that says they lack.
  if (!administrator) AddLine(&run.stops, RefusalText(kNotAdministrator));
  const PlanCallbacks callbacks = {&run,       SeeSkipped,    SeeBlocked, SeeRemoved,
                                   nullptr,    SeeGrown,      SeeMoved,   SeeMoveFailed,
                                   nullptr,    SeeWaiting};
  PlanResult result = ApplyPlan(reservations, devices, PlanRequest{plan, true, true, nullptr}, callbacks);
  preview->blocked = result.blocked || result.failedMove != kMoved;
  preview->mayApply = !preview->blocked && administrator;
  AppendLines(preview, run.stops);
  AppendLines(preview, run.rest);
  if (!preview->blocked && result.removed == 0 && result.grownTo == 0 && result.moved == 0 &&
      result.waiting == 0) {
    AddLine(preview, u"This machine matches the plan: applying it changes nothing.");
  }
  ReleasePlanPreview(&run.stops);
  ReleasePlanPreview(&run.rest);
}

// A preview is a plain record passed by pointer, kept by the dialog while
// it is up: its text is freed here and nowhere else.
void ReleasePlanPreview(PlanPreview* preview) {
  MemFree(preview->text);
  *preview = {};
}

const char16_t* NextPreviewLine(const PlanPreview& preview, const char16_t* line) {
  const char16_t* next = line == nullptr ? preview.text : line + TextLength(line) + 1;
  return next != nullptr && next < preview.text + preview.used ? next : nullptr;
}

PlanConfirmation ConfirmPlan(PortSession* session, const NumberPlan* plan, const char16_t* path,
                             PlanPreview* preview) {
  PlanPreview now;
  PreviewPlan(plan, session->administrator, &now);
  if (!SameLines(now, *preview)) {
    ReleasePlanPreview(preview);
    *preview = now;
    return kPlanChanged;
  }
  ReleasePlanPreview(&now);
  if (!preview->mayApply) return kPlanNotApplied;
  // The session's models are as old as the preview: the plan is applied on
  // the machine as it is now.
  ReloadPorts(session);
  WindowRun run = {session->administrator, {}};
  const PlanCallbacks callbacks = {&run,          nullptr,        ShowBlocked,
                                   nullptr,       ShowRemovalFailed, ShowGrown,
                                   ShowMoved,     ShowMoveFailed, ShowMovedBack,
                                   NoteWaiting};
  PlanResult result = ApplyPlan(session->reservations, session->devices,
                                PlanRequest{plan, false, session->administrator, path}, callbacks);
  if (run.waiting[0] != 0) {
    Box(run.waiting, kOsMbIconInformation);
  } else if (result.restartNeeded) {
    Box(u"The devices take their new numbers once Windows has restarted.", kOsMbIconInformation);
  }
  bool failed = result.blocked || result.removalFailed || result.growthFailed ||
                result.failedMove != kMoved;
  return failed ? kPlanNotApplied : kPlanApplied;
}

int32_t ExportPlanFile(const char16_t* path) {
  HeapBlock<uint8_t> text;
  uint32_t size;
  bool whole;
  {  // the device set let go before any box
    HeldDeviceList devicesNow;
    PortDeviceList* devices = devicesNow.Get();
    Enumerate(devices, kShownDetail);
    size = ExportPlanText(devices, &text);
    whole = InventoryBuilt(devices) != 0;
  }
  int32_t status = SavePlanFile(path, text.Get(), size, OsRunsElevated());
  if (status != kOsErrorSuccess) {
    char16_t line[kChangeLineUnits];
    DescribePlanSaveFailure(path, status, line, Units(line));
    Box(line, kOsMbIconError);
    return 0;
  }
  if (!whole) {
    Box(u"The device list could not be read whole; devices may be missing from the plan.",
        kOsMbIconError);
  }
  return 1;
}
