// The lines that tell what a change of the system did, or with a dry run
// would do: batch mode writes them, and the window's preview of a number
// plan lists those of a dry run. One home, so that both faces say the same.
#pragma once

#include <stdint.h>

#include "core/failure_report.h"
#include "core/number_plan.h"
#include "core/port_move.h"

// Room for any of these lines.
const uint32_t kChangeLineUnits = kFailureTextUnits;
static_assert(kChangeLineUnits >= kPlanLineUnits + 16, "a skipped rule's line");

// "freed COM5"; "removed COM7 ROOT\PORTS\0001"; "moved COM5 ROOT\PORTS\0001
// to COM3": the verb, the port's name, the device's ID where one is given,
// and where to where a number is given.
void DescribePortChange(const char16_t* verb, int32_t port, const PortDevice* device, int32_t to,
                        char16_t* text, uint32_t units);

// A plan run's lines, for what its callbacks tell (core/plan_apply.h):
// "skipped COM7 location PCIROOT(0)#PCI(1400)".
void PlanSkippedLine(const PlanRule& rule, char16_t* text, uint32_t units);
// "would remove COM3 ROOT\PORTS\0002" (dry), "removed ...".
void PlanRemovedLine(bool dryRun, const PortDevice* device, char16_t* text, uint32_t units);
// "would grow ComDB to 1024 ports" (dry), "grew ComDB to 1024 ports".
void PlanGrownLine(bool dryRun, int32_t ports, char16_t* text, uint32_t units);
// "would move COM5 ROOT\PORTS\0001 to COM3" (dry), "moved ...".
void PlanMovedLine(bool dryRun, const PortDevice* device, int32_t from, int32_t to, char16_t* text,
                   uint32_t units);
// "Restart Windows for ROOT\PORTS\0001 to take its new number".
void PlanRestartLine(const PortDevice* device, char16_t* text, uint32_t units);
// The move that failed, or was refused when it came to it: the failure as
// one line, or why.
void PlanMoveFailedLine(const PortDevice* device, int32_t to, const MoveResult& result,
                        bool administrator, char16_t* text, uint32_t units);
// "moved COM3 ROOT\PORTS\0001 back to COM5"; where it could not be, "...:
// could not be moved back; its settings need a look".
void PlanMovedBackLine(const PortDevice* device, int32_t from, int32_t to, int32_t ok,
                       char16_t* text, uint32_t units);
// "Restart Windows, then apply the plan again: ROOT\PORTS\0001 is still to
// take COM3".
void PlanWaitingLine(const PortDevice* device, int32_t to, char16_t* text, uint32_t units);
