// The window's face of the number plan (core/plan_apply.h): a preview that
// lists what applying the plan would do, the lines /n /apply writes; the
// apply itself, with boxes for what went wrong as a move's window face
// shows them; and this machine's plan exported into a file.
#pragma once

#include <stdint.h>

#include "core/number_plan.h"
#include "ui/port_session.h"

struct PlanPreview {
  // The lines, each ended with a zero, one after the other.
  char16_t* text;
  uint32_t used, room;
  // The plan cannot be applied on this machine as it is: its first lines
  // say why.
  bool blocked;
  // OK may apply it: nothing blocks it, and the process may change the
  // system (else a first line says it may not).
  bool mayApply;
};

// The plan's dry run on models of its own, read from the system now (a dry
// run marks in its models what it would change): the lines of /n /apply,
// those that block the plan first; a plan that changes nothing says so.
void PreviewPlan(const NumberPlan* plan, bool administrator, PlanPreview* preview);
void ReleasePlanPreview(PlanPreview* preview);
// The preview's first line for null, else the line after the one given;
// null after the last.
const char16_t* NextPreviewLine(const PlanPreview& preview, const char16_t* line);

enum PlanConfirmation {
  kPlanApplied,     // every change made (or left for a restart of Windows)
  kPlanChanged,     // the machine changed: *preview now shows what applying does now
  kPlanNotApplied,  // refused, blocked or failed: a box has said why
};

// OK in the preview, while the session's rows are held: the plan's dry
// run once more on the machine as it is now. Where its lines differ from
// the preview's, the preview takes the new ones and nothing is changed, so
// that nothing is applied that the user has not seen. Otherwise the plan
// is applied on the session's models, read afresh, with a box for each
// failure; the list then needs a refresh.
// path: the plan's file, as the journal records it.
PlanConfirmation ConfirmPlan(PortSession* session, const NumberPlan* plan, const char16_t* path,
                             PlanPreview* preview);

// Writes this machine's plan into the file, as UTF-8; 1 when it was
// written, else a box has said why not. A device list not read whole is
// written all the same, and a box says that devices may be missing.
int32_t ExportPlanFile(const char16_t* path);
