// The scheduled task that keeps a number plan with nobody at the machine:
// its name, and its whole definition in Task Scheduler's XML, the form a
// person can read and review before it is registered.
#pragma once

#include <stdint.h>

extern const char16_t kPlanTaskName[];  // "Varnick number plan"
// The author the task is registered with: a task of the name by any other
// author is not Varnick's, and is never replaced or deleted.
extern const char16_t kPlanTaskAuthor[];
// Who may read, run or change the task: SYSTEM and Administrators alone.
extern const char16_t kPlanTaskSddl[];  // "D:P(A;;FA;;;SY)(A;;FA;;;BA)"

// The definition: runs as SYSTEM with no user logged on; at start-up,
// after about two minutes, once the devices are enumerated, and whenever
// the Kernel-PnP configuration log says a device was configured (of the
// Ports class; event 400) or started (event 410); runs queue instead of
// running side by side, run on battery, and are stopped after ten minutes;
// only SYSTEM and Administrators may read or change it. It runs
// "COMPANION /apply "PLAN" /q", passing nothing of the event on. The text
// goes into text (units, always terminated, cut where it does not fit;
// text may be null); returns the whole text's length.
uint32_t PlanTaskXml(const char16_t* companion, const char16_t* plan, char16_t* text,
                     uint32_t units);
