// A number plan's file, which a task running as SYSTEM reads from wherever
// an administrator put it: any bytes are read or refused without harm, a
// plan read holds only rules that can be applied, and its rules written
// back as a plan's lines read again as they were.
#include <stddef.h>
#include <stdint.h>

#include "base/com_name.h"
#include "base/memory.h"
#include "base/text.h"
#include "core/number_plan.h"
#include "tests/fuzz/fuzz_support.h"

static bool Terminated(const char16_t* field, size_t units) {
  for (size_t i = 0; i < units; i++) {
    if (field[i] == 0) return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kPlanMostBytes + 1) return 0;
  NumberPlan plan;
  PlanError error;
  int32_t read = ReadNumberPlan(data, static_cast<uint32_t>(size), &plan, &error);
  char16_t description[200];
  DescribePlanError(error, description, Units(description));
  FUZZ_CHECK(Terminated(error.word, Units(error.word)));
  if (read == 0) {
    FUZZ_CHECK(error.fault != kPlanOk && plan.rules == nullptr && plan.ruleCount == 0);
    FUZZ_CHECK(description[0] != 0);
    return 0;
  }
  FUZZ_CHECK(error.fault == kPlanOk && plan.ruleCount >= 0 && plan.ruleCount <= kHighestPortNumber);
  FUZZ_CHECK((plan.ruleCount == 0) == (plan.rules == nullptr));
  static bool taken[kHighestPortNumber + 1];
  for (bool& t : taken) t = false;
  // The rules written back, a line each.
  uint32_t textUnits = static_cast<uint32_t>(plan.ruleCount) * kPlanLineUnits + 1;
  auto* text = static_cast<char16_t*>(MemAlloc(textUnits * sizeof(char16_t)));
  uint32_t at = 0;
  int32_t lastLine = 0;
  for (int32_t i = 0; i < plan.ruleCount; i++) {
    const PlanRule& rule = plan.rules[i];
    FUZZ_CHECK(rule.port >= 1 && rule.port <= kHighestPortNumber && !taken[rule.port]);
    taken[rule.port] = true;
    FUZZ_CHECK(rule.key == kPlanLocation || rule.key == kPlanInstance || rule.key == kPlanHardware);
    FUZZ_CHECK(Terminated(rule.identity, kPlanIdentityUnits) && rule.identity[0] != 0);
    FUZZ_CHECK(rule.line > lastLine);
    lastLine = rule.line;
    char16_t line[kPlanLineUnits];
    FUZZ_CHECK(PlanRuleLine(rule.port, rule.key, rule.identity, line, Units(line)) == 1);
    at += TextCopy(text + at, textUnits - at, line);
    at += TextCopy(text + at, textUnits - at, u"\n");
  }
  uint32_t needed = Utf8OfText(text, nullptr, 0);
  auto* bytes = static_cast<uint8_t*>(MemAlloc(needed + 1));
  FUZZ_CHECK(Utf8OfText(text, bytes, needed) == needed);
  NumberPlan again;
  PlanError againError;
  FUZZ_CHECK(ReadNumberPlan(bytes, needed, &again, &againError) == 1);
  FUZZ_CHECK(again.ruleCount == plan.ruleCount);
  for (int32_t i = 0; i < plan.ruleCount; i++) {
    const PlanRule& a = plan.rules[i];
    const PlanRule& b = again.rules[i];
    FUZZ_CHECK(a.port == b.port && a.key == b.key && b.line == i + 1);
    FUZZ_CHECK(MemCompare(a.identity, b.identity, (TextLength(a.identity) + 1) * sizeof(char16_t)) == 0);
  }
  ReleaseNumberPlan(&again);
  ReleaseNumberPlan(&plan);
  MemFree(bytes);
  MemFree(text);
  return 0;
}
