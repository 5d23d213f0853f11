// A number plan: which COM number each serial port should carry, as a text
// file a person writes by hand or a machine exports. One rule a line,
//
//   COMn KEY IDENTITY
//
// KEY is location, instance or hardware (any case) and IDENTITY one word
// naming the port by its location path, the instance ID of the port or an
// ancestor, or a hardware ID. Blank lines and lines whose first non-blank
// character is "#" are skipped. Read as UTF-8 (with or without a byte
// order mark) or as UTF-16LE with its mark. A plan is read whole or not at
// all: one faulty line refuses it, so that nothing is changed by half.
#pragma once

#include <stdint.h>

enum PlanKey { kPlanLocation, kPlanInstance, kPlanHardware };

// An identity's room: at most 400 units and the terminating zero.
const uint32_t kPlanIdentityUnits = 401;
// The largest file read; a caller reads at most this much.
const uint32_t kPlanMostBytes = 1024 * 1024;
// Room for any rule's line: "COM4096 location " and the longest identity.
const uint32_t kPlanLineUnits = 420;

struct PlanRule {
  int32_t port;  // 1 to kHighestPortNumber
  PlanKey key;
  char16_t identity[kPlanIdentityUnits];  // as written, non-empty
  int32_t line;                           // its line in the file, from 1
};

// Rules from MemAlloc in file order, no two for one port; null for none.
struct NumberPlan {
  PlanRule* rules;
  int32_t ruleCount;
};

enum PlanFault {
  kPlanOk,
  kPlanTooLarge,       // over kPlanMostBytes
  kPlanNotText,        // a NUL character
  kPlanBadEncoding,    // word: "UTF-8" or "UTF-16"
  kPlanNotARule,       // not three words
  kPlanNoComName,      // word: the first word
  kPlanUnknownKey,     // word: the second word
  kPlanLongIdentity,   // over 400 units
  kPlanOddCharacter,   // a control character, or a blank other than space and tab
  kPlanNumberBeyond,   // word: the COM name as written
  kPlanNumberTwice,    // otherLine: the first rule's line; word: the COM name
};

struct PlanError {
  PlanFault fault;
  int32_t line;       // from 1; 0 for the file as a whole
  int32_t otherLine;  // 0 but for kPlanNumberTwice
  char16_t word[32];  // cut to its room
};

// The plan in a file's bytes: 1 with *plan holding its rules (none for a
// file of comments and blank lines), or 0 with *error saying why and
// nothing in *plan. Any bytes of any length are safe.
int32_t ReadNumberPlan(const uint8_t* bytes, uint32_t size, NumberPlan* plan, PlanError* error);
void ReleaseNumberPlan(NumberPlan* plan);
// One line: "line 3: not a rule (...)", "line 4: COM5000 is beyond
// COM4096", "lines 2 and 6: two rules for COM3", ...
void DescribePlanError(const PlanError& error, char16_t* text, uint32_t units);

// A rule's line as a plan holds it: "COM3 location PCIROOT(0)#PCI(1400)".
// Returns 1, or 0 with text empty when the rule cannot be written so that
// it reads back as it is: a port out of range, an identity that is empty,
// longer than 400 units, or holds a blank, a control character or half a
// surrogate pair, or text too small (kPlanLineUnits is enough).
int32_t PlanRuleLine(int32_t port, PlanKey key, const char16_t* identity, char16_t* text,
                     uint32_t units);
const char16_t* PlanKeyWord(PlanKey key);

// UTF-16 text, up to its zero, as UTF-8 bytes without a terminator: the
// number written into out (whole characters only, as many as capacity
// holds), or the number needed when out is null. Half a surrogate pair
// becomes U+FFFD.
uint32_t Utf8OfText(const char16_t* text, uint8_t* out, uint32_t capacity);
