#include "core/change_lines.h"

#include "base/com_name.h"
#include "base/text.h"

void DescribePortChange(const char16_t* verb, int32_t port, const PortDevice* device, int32_t to,
                        char16_t* text, uint32_t units) {
  char16_t name[16];
  TextCopy(text, units, verb);
  TextAppend(text, units, u" ");
  ComName(port, name, Units(name));
  TextAppend(text, units, name);
  if (device != nullptr) {
    TextAppend(text, units, u" ");
    TextAppend(text, units, device->deviceInstanceId);
  }
  if (to != 0) {
    TextAppend(text, units, u" to ");
    ComName(to, name, Units(name));
    TextAppend(text, units, name);
  }
}

void PlanSkippedLine(const PlanRule& rule, char16_t* text, uint32_t units) {
  char16_t rest[kPlanLineUnits];
  PlanRuleLine(rule.port, rule.key, rule.identity, rest, Units(rest));
  TextCopy(text, units, u"skipped ");
  TextAppend(text, units, rest);
}

void PlanRemovedLine(bool dryRun, const PortDevice* device, char16_t* text, uint32_t units) {
  DescribePortChange(dryRun ? u"would remove" : u"removed", device->portNumber, device, 0, text,
                     units);
}

void PlanGrownLine(bool dryRun, int32_t ports, char16_t* text, uint32_t units) {
  TextCopy(text, units, dryRun ? u"would grow ComDB to " : u"grew ComDB to ");
  TextAppendSigned(text, units, ports);
  TextAppend(text, units, u" ports");
}

void PlanMovedLine(bool dryRun, const PortDevice* device, int32_t from, int32_t to, char16_t* text,
                   uint32_t units) {
  DescribePortChange(dryRun ? u"would move" : u"moved", from, device, to, text, units);
}

void PlanRestartLine(const PortDevice* device, char16_t* text, uint32_t units) {
  TextCopy(text, units, u"Restart Windows for ");
  TextAppend(text, units, device->deviceInstanceId);
  TextAppend(text, units, u" to take its new number");
}

void PlanMoveFailedLine(const PortDevice* device, int32_t to, const MoveResult& result,
                        bool administrator, char16_t* text, uint32_t units) {
  if (result.outcome == kMoveFailedUndone || result.outcome == kMoveFailedNotUndone) {
    Failure failure = result.failure;
    NameFailureDevice(&failure, device);
    DescribeFailureLine(failure, administrator, text, units);
  } else {
    DescribeMoveRefusal(result, device->deviceInstanceId, 0, device, to, text, units);
  }
}

void PlanMovedBackLine(const PortDevice* device, int32_t from, int32_t to, int32_t ok,
                       char16_t* text, uint32_t units) {
  if (ok) {
    DescribePortChange(u"moved", from, device, 0, text, units);
    char16_t name[16];
    TextAppend(text, units, u" back to ");
    ComName(to, name, Units(name));
    TextAppend(text, units, name);
    return;
  }
  TextCopy(text, units, device->deviceInstanceId);
  TextAppend(text, units, u": could not be moved back; its settings need a look");
}

void PlanWaitingLine(const PortDevice* device, int32_t to, char16_t* text, uint32_t units) {
  char16_t name[16];
  TextCopy(text, units, u"Restart Windows, then apply the plan again: ");
  TextAppend(text, units, device->deviceInstanceId);
  TextAppend(text, units, u" is still to take ");
  ComName(to, name, Units(name));
  TextAppend(text, units, name);
}
