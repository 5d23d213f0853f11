// The batch face of the scheduled task that keeps a number plan applied:
// /autoapply FILE keeps copies of the program and the plan where only
// SYSTEM and Administrators can change them, and registers the task that
// runs them at start-up and whenever a device is configured or started;
// /n /autoapply FILE prints the task's definition; /autoapply off removes
// the task and the copies; /autoapply alone tells what is kept.
#include "app/batch_face.h"
#include "app/output.h"
#include "base/error_name.h"
#include "base/memory.h"
#include "base/process.h"
#include "base/text.h"
#include "core/failure_report.h"
#include "core/kept_folder.h"
#include "core/plan_file.h"
#include "core/task_definition.h"

namespace {

const char16_t kChannel[] = u"Microsoft-Windows-Kernel-PnP/Configuration";
const char16_t kQuotedName[] = u"\"Varnick number plan\"";
const int32_t kTaskRunning = 0x00041301;   // SCHED_S_TASK_RUNNING
const int32_t kTaskHasNotRun = 0x00041303;  // SCHED_S_TASK_HAS_NOT_RUN

// A line of up to five parts; those after the first are the machine's
// (paths, names) and are kept to one line.
void Say(int32_t stream, const char16_t* a, const char16_t* b = u"", const char16_t* c = u"",
         const char16_t* d = u"", const char16_t* e = u"") {
  char16_t line[4 * kKeptPathUnits];
  TextCopy(line, Units(line), a);
  const char16_t* parts[] = {b, c, d, e};
  for (const char16_t* part : parts) TextAppendOneLine(line, Units(line), part);
  WriteLine(stream, line);
}

void Refuse(BatchRun* run, ExitCode code, const char16_t* a, const char16_t* b = u"",
            const char16_t* c = u"", const char16_t* d = u"", const char16_t* e = u"") {
  Say(kOsStandardError, a, b, c, d, e);
  NoteCode(run, code);
}

const char16_t* NameOf(int32_t error, char16_t* name, uint32_t units) {
  TextWidenAscii(name, units, ErrorName(static_cast<uint32_t>(error)));
  return name;
}

void RefuseKept(BatchRun* run, const KeptResult& result) {
  char16_t line[2 * kKeptPathUnits];
  DescribeKeptResult(result, line, Units(line));
  Refuse(run, kExitNotRegistered, line);
}

enum TaskOwner { kNoTask, kVarnicksTask, kOthersTask, kTaskUnknown };

TaskOwner ReadPlanTask(BatchRun* run, OsTaskFacts* facts) {
  int32_t status = OsReadTask(kPlanTaskName, facts);
  if (status == kOsErrorFileNotFound) return kNoTask;
  if (status != kOsErrorSuccess) {
    char16_t name[32];
    Refuse(run, kExitNotRegistered, u"Task Scheduler cannot be asked for the task ", kQuotedName,
           u": ", NameOf(status, name, Units(name)));
    return kTaskUnknown;
  }
  return TextEqual(facts->author, kPlanTaskAuthor) ? kVarnicksTask : kOthersTask;
}

// A task of the name that Varnick did not register is never replaced or
// deleted.
void RefuseOthersTask(BatchRun* run, const OsTaskFacts& facts) {
  Refuse(run, kExitNotRegistered, u"The task ", kQuotedName, u" was registered by ",
         facts.author[0] != 0 ? facts.author : u"someone else");
  Refuse(run, kExitNotRegistered, u"It is not Varnick's, and is left as it is");
}

// The task's event trigger waits on the channel: without it, only the
// start-up trigger would ever start the task.
bool CheckChannel(BatchRun* run) {
  bool enabled = false;
  int32_t status = OsEventChannelEnabled(kChannel, &enabled);
  char16_t name[32];
  if (status == kOsErrorChannelNotFound) {
    Refuse(run, kExitNotRegistered, u"The event channel ", kChannel, u" is missing");
  } else if (status != kOsErrorSuccess) {
    Refuse(run, kExitNotRegistered, u"The event channel ", kChannel, u" cannot be checked: ",
           NameOf(status, name, Units(name)));
  } else if (!enabled) {
    Refuse(run, kExitNotRegistered, u"The event channel ", kChannel,
           u" is disabled (wevtutil sl ", kChannel, u" /e:true enables it)");
  }
  return status == kOsErrorSuccess && enabled;
}

// The definition, one line at a time.
void PrintDefinition(const char16_t* companion, const char16_t* plan) {
  uint32_t length = PlanTaskXml(companion, plan, nullptr, 0);
  HeapBlock<char16_t> xml(length + 1);
  PlanTaskXml(companion, plan, xml.Get(), length + 1);
  for (char16_t* line = xml.Get(); *line != 0;) {
    char16_t* end = line;
    while (*end != 0 && *end != u'\r' && *end != u'\n') end++;
    char16_t next = *end;
    *end = 0;
    WriteLine(kOsStandardOutput, line);
    line = end + (next == 0 ? 0 : next == u'\r' && end[1] == u'\n' ? 2 : 1);
  }
}

// The three copies: the program, its console companion beside it (which
// the task runs, and which ends with the program's code), and the plan.
struct Copies {
  char16_t source[3][kKeptPathUnits];
  char16_t kept[3][kKeptPathUnits];
};
enum { kProgramCopy, kCompanionCopy, kPlanCopy };

bool KeptPaths(Copies* copies, KeptResult* result) {
  const char16_t* names[3] = {kKeptProgram, kKeptCompanion, kKeptPlan};
  for (int i = 0; i < 3; i++) {
    if (!KeptFilePath(names[i], copies->kept[i], kKeptPathUnits, result)) return false;
  }
  return true;
}

void SourcePaths(const char16_t* plan, Copies* copies) {
  TextCopy(copies->source[kProgramCopy], kKeptPathUnits, modulePath);
  char16_t* companion = copies->source[kCompanionCopy];
  TextCopy(companion, kKeptPathUnits, modulePath);
  uint32_t folder = TextLength(companion);
  while (folder > 0 && companion[folder - 1] != u'\\' && companion[folder - 1] != u'/') folder--;
  companion[folder] = 0;
  TextAppend(companion, kKeptPathUnits, kKeptCompanion);
  TextCopy(copies->source[kPlanCopy], kKeptPathUnits, plan);
}

// Copies the sources, each held from before the plan is checked until it is
// copied, so that what is copied is what was checked; every target is
// checked before anything is written. A source that is its copy already
// (the kept program registering a new plan) stays as it is.
bool MakeCopies(BatchRun* run, const Copies& copies) {
  OsFile sources[3] = {};
  bool ok = true;
  for (int i = 0; i < 3 && ok; i++) {
    int32_t status = OsOpenFileToRead(copies.source[i], &sources[i]);
    if (status != kOsErrorSuccess && i == kPlanCopy) {
      char16_t line[kFailureTextUnits];
      DescribePlanLoadFailure(PlanError{}, static_cast<uint32_t>(status), line, Units(line));
      Refuse(run, kExitPlanUnread, line);
    } else if (status != kOsErrorSuccess) {
      char16_t name[32];
      Refuse(run, kExitNotRegistered, u"", copies.source[i], u" cannot be read: ",
             NameOf(status, name, Units(name)));
    }
    ok = status == kOsErrorSuccess;
  }
  ok = ok && CheckBatchPlan(run, copies.source[kPlanCopy]);
  KeptFolder folder = {};
  KeptResult result;
  if (ok && !OpenKeptFolder(true, &folder, &result)) {
    RefuseKept(run, result);
    ok = false;
  }
  for (int i = 0; i < 3 && ok; i++) {
    bool exists;
    if (!CheckKeptFile(copies.kept[i], &exists, &result)) {
      RefuseKept(run, result);
      ok = false;
    }
  }
  for (int i = 0; i < 3 && ok; i++) {
    if (OsCompareTextNoCase(copies.source[i], copies.kept[i]) == 0) continue;
    if (!CopyIntoKept(sources[i], copies.kept[i], &result)) {
      RefuseKept(run, result);
      ok = false;
    } else {
      Say(kOsStandardOutput, u"copied ", copies.source[i], u" to ", copies.kept[i]);
    }
  }
  CloseKeptFolder(&folder);
  for (OsFile source : sources) {
    if (source != 0) OsCloseFile(source);
  }
  return ok;
}

// /autoapply FILE, and with /n its definition: the plan is checked as
// /n /apply checks it, and copied into the kept folder with the program
// that the task runs; then the plan is checked again from its copy, and
// only then is the task registered.
void KeepPlanTask(BatchRun* run) {
  Copies copies;
  KeptResult result;
  if (!KeptPaths(&copies, &result)) {
    RefuseKept(run, result);
    return;
  }
  SourcePaths(run->switches.autoApplyPath, &copies);
  if (run->switches.dryRunSwitch) {
    // What would keep it from being registered here is told; the
    // definition is printed all the same, for a machine where it would be.
    CheckChannel(run);
    CheckBatchPlan(run, copies.source[kPlanCopy]);
    PrintDefinition(copies.kept[kCompanionCopy], copies.kept[kPlanCopy]);
    NoteCode(run, kExitWouldChange);
    return;
  }
  OsTaskFacts facts;
  TaskOwner owner = ReadPlanTask(run, &facts);
  if (owner == kOthersTask) RefuseOthersTask(run, facts);
  if (owner == kOthersTask || owner == kTaskUnknown || !CheckChannel(run) ||
      !MakeCopies(run, copies) || !CheckBatchPlan(run, copies.kept[kPlanCopy])) {
    return;
  }
  const char16_t* companion = copies.kept[kCompanionCopy];
  const char16_t* plan = copies.kept[kPlanCopy];
  uint32_t length = PlanTaskXml(companion, plan, nullptr, 0);
  HeapBlock<char16_t> xml(length + 1);
  PlanTaskXml(companion, plan, xml.Get(), length + 1);
  int32_t status = OsRegisterSystemTask(kPlanTaskName, xml.Get(), kPlanTaskSddl);
  if (status != kOsErrorSuccess) {
    char16_t name[32];
    Refuse(run, kExitNotRegistered, u"The task ", kQuotedName, u" could not be registered: ",
           NameOf(status, name, Units(name)));
    return;
  }
  Say(kOsStandardOutput, u"registered the task ", kQuotedName);
}

// "its last run ended with 13", "it has not run yet".
void DescribeLastResult(const OsTaskFacts& facts, char16_t* text, uint32_t units) {
  if (!facts.lastResultKnown) {
    TextCopy(text, units, u"its last result cannot be read");
  } else if (facts.lastResult == kTaskHasNotRun) {
    TextCopy(text, units, u"it has not run yet");
  } else if (facts.lastResult == kTaskRunning) {
    TextCopy(text, units, u"it is running");
  } else {
    TextCopy(text, units, u"its last run ended with ");
    uint32_t value = static_cast<uint32_t>(facts.lastResult);
    if (value <= 0xFFFF) {
      TextAppendUnsigned(text, units, value);
    } else {
      char digits[kDigitChars];
      char16_t wide[kDigitChars];
      AsciiDigits(value, 16, digits);
      TextWidenAscii(wide, Units(wide), digits);
      TextAppend(text, units, u"0x");
      TextAppend(text, units, wide);
    }
  }
}

// /autoapply alone: whether the task is registered and how its last run
// ended, and the plan kept with its rules.
void TellPlanTask(BatchRun* run) {
  OsTaskFacts facts;
  TaskOwner owner = ReadPlanTask(run, &facts);
  if (owner == kNoTask) {
    Say(kOsStandardOutput, u"No task ", kQuotedName, u" is registered");
  } else if (owner == kOthersTask) {
    Say(kOsStandardOutput, u"The task ", kQuotedName, u" is registered by ",
        facts.author[0] != 0 ? facts.author : u"someone else", u", not by Varnick");
  } else if (owner == kVarnicksTask) {
    char16_t last[64];
    DescribeLastResult(facts, last, Units(last));
    Say(kOsStandardOutput, u"The task ", kQuotedName, u" is registered; ", last);
  }
  KeptFolder folder;
  KeptResult result;
  char16_t path[kKeptPathUnits];
  bool exists = false;
  if (!OpenKeptFolder(false, &folder, &result) ||
      !KeptFilePath(kKeptPlan, path, Units(path), &result) ||
      !CheckKeptFile(path, &exists, &result)) {
    if (KeptMissing(result)) {
      Say(kOsStandardOutput, u"No plan is kept");
    } else {
      RefuseKept(run, result);
    }
    CloseKeptFolder(&folder);
    return;
  }
  NumberPlan plan = {};
  if (!exists) {
    Say(kOsStandardOutput, u"No plan is kept");
  } else if (LoadBatchPlan(run, path, &plan)) {
    char16_t count[16] = {};
    TextAppendSigned(count, Units(count), plan.ruleCount);
    Say(kOsStandardOutput, u"The plan kept in ", path, u" has ", count,
        plan.ruleCount == 1 ? u" rule:" : u" rules:");
    for (int32_t i = 0; i < plan.ruleCount; i++) {
      char16_t line[kPlanLineUnits];
      const PlanRule& rule = plan.rules[i];
      PlanRuleLine(rule.port, rule.key, rule.identity, line, Units(line));
      Say(kOsStandardOutput, line);
    }
    ReleaseNumberPlan(&plan);
  }
  CloseKeptFolder(&folder);
}

// /autoapply off: the task, when it is Varnick's, and the copies. The
// folder itself stays, with whatever else Varnick keeps there.
void RemovePlanTask(BatchRun* run) {
  bool dry = run->switches.dryRunSwitch != 0;
  OsTaskFacts facts;
  TaskOwner owner = ReadPlanTask(run, &facts);
  if (owner == kOthersTask) RefuseOthersTask(run, facts);
  if (owner == kOthersTask || owner == kTaskUnknown) return;
  KeptFolder folder;
  KeptResult result;
  bool kept = OpenKeptFolder(false, &folder, &result);
  // A folder that may lead elsewhere is not touched; the task that runs
  // what it holds goes all the more.
  bool refused = !kept && !KeptMissing(result);
  if (refused) RefuseKept(run, result);
  ExitCode done = dry ? kExitWouldChange : kExitSuccess;
  const char16_t* verb = dry ? u"would remove " : u"removed ";
  if (owner == kVarnicksTask) {
    int32_t status = dry ? kOsErrorSuccess : OsDeleteTask(kPlanTaskName);
    if (status != kOsErrorSuccess) {
      char16_t name[32];
      Refuse(run, kExitNotRegistered, u"The task ", kQuotedName, u" could not be removed: ",
             NameOf(status, name, Units(name)));
      CloseKeptFolder(&folder);
      return;
    }
    Say(kOsStandardOutput, verb, u"the task ", kQuotedName);
    NoteCode(run, done);
  }
  Copies copies;
  if (kept && !KeptPaths(&copies, &result)) {
    RefuseKept(run, result);
    kept = false;
  }
  for (int i = 0; i < 3 && kept; i++) {
    bool there = false;
    if (dry) {
      CheckKeptFile(copies.kept[i], &there, &result);
    } else if (!DeleteKept(copies.kept[i], &there, &result)) {
      RefuseKept(run, result);
    }
    if (there) {
      Say(kOsStandardOutput, verb, copies.kept[i]);
      NoteCode(run, done);
    }
  }
  CloseKeptFolder(&folder);
}

}  // namespace

void RunBatchAutoApply(BatchRun* run) {
  const BatchSwitches& s = run->switches;
  if (s.removeSwitch) {
    // The task runs at start-up, when devices not yet enumerated would
    // look non-present.
    Tell(*run, u"Varnick",
         u"Error: /r cannot be given with /autoapply: at start-up, devices not yet enumerated "
         u"would look non-present");
    NoteCode(run, kExitUnknownArgument);
    return;
  }
  if (RefuseSwitchBeside(run, u"/autoapply")) return;
  bool registering = !s.autoApplyOff && s.autoApplyPath[0] != 0;
  // Only printing the definition needs no rights: the task and the folder
  // can be read by SYSTEM and Administrators alone.
  if (!(registering && s.dryRunSwitch) && RefuseNotAdministrator(run)) return;
  if (s.autoApplyOff) {
    RemovePlanTask(run);
  } else if (registering) {
    KeepPlanTask(run);
  } else {
    TellPlanTask(run);
  }
}
