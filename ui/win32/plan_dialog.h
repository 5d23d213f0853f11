// The preview of a number plan: the plan's file, the lines of its dry run
// (what applying it does, what stops it first), OK to apply it and Cancel.
#pragma once

#include <stdint.h>

#include "core/number_plan.h"
#include "ui/plans.h"
#include "ui/win32/window_state.h"

// Modal, owned by the main window, while the session's rows are held. The
// outcome of OK (kPlanApplied or kPlanNotApplied); kPlanNotApplied too
// for Cancel.
PlanConfirmation PreviewAndApplyPlan(MainWindow& w, const char16_t* path, const NumberPlan* plan);
