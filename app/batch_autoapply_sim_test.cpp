// /autoapply from a script: the task that keeps a number plan applied, the
// protected copies it runs, and everything that refuses them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/app_main.h"
#include "core/kept_folder.h"
#include "core/port_reservations.h"
#include "core/protected_access.h"
#include "core/task_definition.h"
#include "platform/sim/sim.h"

namespace {

const char kFolder[] = "C:\\ProgramData\\Varnick";
const char* const kCopies[] = {"C:\\ProgramData\\Varnick\\varnick.exe",
                               "C:\\ProgramData\\Varnick\\varnick.com",
                               "C:\\ProgramData\\Varnick\\plan.txt"};
const char16_t kUserOwned[] =
    u"O:S-1-5-21-1-2-3-1001D:(A;ID;FA;;;S-1-5-21-1-2-3-1001)(A;ID;FA;;;SY)(A;ID;FA;;;BA)";
const char kPlan[] =
    "COM3 location PCIROOT(0)#USBROOT(0)#USB(1)\r\nCOM4 location PCIROOT(0)#USBROOT(0)#USB(2)\r\n";

std::u16string Definition() {
  const char16_t companion[] = u"C:\\ProgramData\\Varnick\\varnick.com";
  const char16_t plan[] = u"C:\\ProgramData\\Varnick\\plan.txt";
  std::u16string xml(PlanTaskXml(companion, plan, nullptr, 0) + 1, u'\0');
  PlanTaskXml(companion, plan, &xml[0], static_cast<uint32_t>(xml.size()));
  xml.pop_back();
  return xml;
}

bool Exists(const std::string& path) {
  SimFile file;
  return SimFileGet(path, &file);
}

class AutoApply : public testing::Test {
 protected:
  // Two adapters in two sockets, on COM3 and COM4; the program and its
  // companion in C:\Tools; a plan that keeps them as they are.
  void SetUp() override {
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, {0x0C});
    for (int i = 0; i < 2; i++) {
      SimDevice d;
      d.classGuid = kSimPortsClass;
      d.deviceId = i == 0 ? u"USB\\VID_0403&PID_6001\\A1" : u"USB\\VID_0403&PID_6001\\B2";
      d.portName = i == 0 ? u"COM3" : u"COM4";
      d.friendlyName = u"USB Serial Port (" + d.portName + u")";
      d.locationPath = i == 0 ? u"PCIROOT(0)#USBROOT(0)#USB(1)" : u"PCIROOT(0)#USBROOT(0)#USB(2)";
      SimAddDevice(d);
    }
    Put("C:\\Tools\\varnick.exe", "MZ the program");
    Put("C:\\Tools\\varnick.com", "MZ the companion");
    Put("C:\\plan.txt", kPlan);
  }
  void Put(const std::string& path, const std::string& content) {
    SimFile file;
    file.content = content;
    SimFileSet(path, file);
  }
  int32_t Run(const char16_t* args) {
    SimClearOutput();
    return AppMain(1, args, 10);
  }
};

// Registered once the plan passes: the copies made in a folder of SYSTEM
// and Administrators alone, the task running them; then told, and removed
// with its copies, the folder left for what else Varnick keeps there.
TEST_F(AutoApply, KeepsTellsAndRemovesThePlan) {
  ASSERT_EQ(0, Run(u"/autoapply C:\\plan.txt /q"));
  EXPECT_EQ(u"copied C:\\Tools\\varnick.exe to C:\\ProgramData\\Varnick\\varnick.exe\r\n"
            u"copied C:\\Tools\\varnick.com to C:\\ProgramData\\Varnick\\varnick.com\r\n"
            u"copied C:\\plan.txt to C:\\ProgramData\\Varnick\\plan.txt\r\n"
            u"registered the task \"Varnick number plan\"\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(u"", SimOutput(kOsStandardError));
  SimFile folder;
  ASSERT_TRUE(SimFileGet(kFolder, &folder));
  EXPECT_EQ(u"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", folder.sddl);
  EXPECT_TRUE(AdmitsNoOneElse(folder.sddl.c_str()));
  const char* const sources[] = {"MZ the program", "MZ the companion", kPlan};
  for (int i = 0; i < 3; i++) {
    SimFile copy;
    ASSERT_TRUE(SimFileGet(kCopies[i], &copy)) << kCopies[i];
    EXPECT_EQ(sources[i], copy.content);
    EXPECT_EQ(u"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)", copy.sddl);
  }
  SimTask task;
  ASSERT_TRUE(SimTaskGet(kPlanTaskName, &task));
  EXPECT_EQ(Definition(), task.xml);
  EXPECT_EQ(u"Varnick", task.author);
  EXPECT_EQ(u"D:P(A;;FA;;;SY)(A;;FA;;;BA)", task.sddl);
  EXPECT_EQ(0, SimOpenFileCount());

  task.lastResult = 13;
  SimTaskSet(kPlanTaskName, task);
  EXPECT_EQ(0, Run(u"/autoapply"));
  EXPECT_EQ(u"The task \"Varnick number plan\" is registered; its last run ended with 13\r\n"
            u"The plan kept in C:\\ProgramData\\Varnick\\plan.txt has 2 rules:\r\n"
            u"COM3 location PCIROOT(0)#USBROOT(0)#USB(1)\r\n"
            u"COM4 location PCIROOT(0)#USBROOT(0)#USB(2)\r\n",
            SimOutput(kOsStandardOutput));

  EXPECT_EQ(4, Run(u"/n /autoapply off"));
  EXPECT_EQ(u"would remove the task \"Varnick number plan\"\r\n"
            u"would remove C:\\ProgramData\\Varnick\\varnick.exe\r\n"
            u"would remove C:\\ProgramData\\Varnick\\varnick.com\r\n"
            u"would remove C:\\ProgramData\\Varnick\\plan.txt\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(1, SimTaskCount());
  EXPECT_EQ(0, Run(u"/autoapply OFF"));
  EXPECT_EQ(u"removed the task \"Varnick number plan\"\r\n"
            u"removed C:\\ProgramData\\Varnick\\varnick.exe\r\n"
            u"removed C:\\ProgramData\\Varnick\\varnick.com\r\n"
            u"removed C:\\ProgramData\\Varnick\\plan.txt\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(0, SimTaskCount());
  for (const char* copy : kCopies) EXPECT_FALSE(Exists(copy)) << copy;
  EXPECT_TRUE(Exists(kFolder));

  EXPECT_EQ(0, Run(u"/autoapply"));
  EXPECT_EQ(u"No task \"Varnick number plan\" is registered\r\nNo plan is kept\r\n",
            SimOutput(kOsStandardOutput));
  EXPECT_EQ(0, Run(u"/autoapply off"));
  EXPECT_EQ(u"", SimOutput(kOsStandardOutput));
}

// Whatever refuses the task refuses it before anything is copied or
// registered, with its line and its code.
TEST_F(AutoApply, ARefusalRegistersAndCopiesNothing) {
  SimTask others;
  others.author = u"Contoso\\admin";
  others.xml = u"<Task/>";
  const struct {
    const char* name;
    std::function<void()> arrange;
    const char16_t* args;
    int32_t code;
    const char16_t* err;
  } cases[] = {
      {"a blocked plan", [this] { Put("C:\\plan.txt", "COM4 location PCIROOT(0)#USBROOT(0)#USB(1)\n"); },
       u"/autoapply C:\\plan.txt", 13, u"line 1: COM4 is held by USB\\VID_0403&PID_6001\\B2\r\n"},
      {"no plan", [this] { Put("C:\\plan.txt", "COM3 socket X\n"); }, u"/autoapply C:\\plan.txt", 12,
       u"line 1: not a rule: socket is no key (location, instance or hardware)\r\n"},
      {"no file", [] {}, u"/autoapply C:\\nothing.txt", 12,
       u"The plan cannot be read: FILE_NOT_FOUND\r\n"},
      {"no companion beside the program",
       [this] {
         SimSetModulePath(u"C:\\Other\\varnick.exe");
         Put("C:\\Other\\varnick.exe", "MZ");
       },
       u"/autoapply C:\\plan.txt", 14, u"C:\\Other\\varnick.com cannot be read: FILE_NOT_FOUND\r\n"},
      {"a folder a user made first", [] { SimFileSet(kFolder, SimFolder(kUserOwned)); },
       u"/autoapply C:\\plan.txt", 14,
       u"C:\\ProgramData\\Varnick is refused: its owner or access list admits others than SYSTEM "
       u"and Administrators\r\n"},
      {"a junction",
       [] {
         SimFile junction = SimFolder(kProtectedFolderSddl);
         junction.attributes |= kOsFileAttributeReparsePoint;
         SimFileSet(kFolder, junction);
       },
       u"/autoapply C:\\plan.txt", 14,
       u"C:\\ProgramData\\Varnick is refused: it is a reparse point (a link or a junction)\r\n"},
      {"a user's file in the folder",
       [this] {
         SimFileSet(kFolder, SimFolder(kProtectedFolderSddl));
         Put(kCopies[2], "COM9 instance X\n");
         SimFile planted;
         SimFileGet(kCopies[2], &planted);
         planted.sddl = kUserOwned;
         SimFileSet(kCopies[2], planted);
       },
       u"/autoapply C:\\plan.txt", 14,
       u"C:\\ProgramData\\Varnick\\plan.txt is refused: its owner or access list admits others "
       u"than SYSTEM and Administrators\r\n"},
      {"a file with a second name",
       [] {
         SimFileSet(kFolder, SimFolder(kProtectedFolderSddl));
         SimFile linked;
         linked.sddl = kProtectedFileSddl;
         linked.links = 2;
         SimFileSet(kCopies[1], linked);
       },
       u"/autoapply C:\\plan.txt", 14,
       u"C:\\ProgramData\\Varnick\\varnick.com is refused: it is not what it should be (a folder, "
       u"or a plain file with one name)\r\n"},
      {"a disabled channel",
       [] { SimSetChannel(u"Microsoft-Windows-Kernel-PnP/Configuration", kSimChannelDisabled); },
       u"/autoapply C:\\plan.txt", 14,
       u"The event channel Microsoft-Windows-Kernel-PnP/Configuration is disabled (wevtutil sl "
       u"Microsoft-Windows-Kernel-PnP/Configuration /e:true enables it)\r\n"},
      {"a missing channel",
       [] { SimSetChannel(u"Microsoft-Windows-Kernel-PnP/Configuration", kSimChannelMissing); },
       u"/autoapply C:\\plan.txt", 14,
       u"The event channel Microsoft-Windows-Kernel-PnP/Configuration is missing\r\n"},
      {"no event log library", [] { SimSetEventLogLibrary(false); }, u"/autoapply C:\\plan.txt", 14,
       u"The event channel Microsoft-Windows-Kernel-PnP/Configuration cannot be checked: "
       u"MOD_NOT_FOUND\r\n"},
      {"another's task of the name", [&] { SimTaskSet(kPlanTaskName, others); },
       u"/autoapply C:\\plan.txt", 14,
       u"The task \"Varnick number plan\" was registered by Contoso\\admin\r\n"
       u"It is not Varnick's, and is left as it is\r\n"},
      {"no Task Scheduler", [] { SimTaskFail(1722); }, u"/autoapply C:\\plan.txt", 14,
       u"Task Scheduler cannot be asked for the task \"Varnick number plan\": ERROR_1722\r\n"},
      {"/r", [] {}, u"/r /autoapply C:\\plan.txt /q", 6,
       u"Error: /r cannot be given with /autoapply: at start-up, devices not yet enumerated would "
       u"look non-present\r\n"},
      {"/apply", [] {}, u"/autoapply C:\\plan.txt /apply C:\\plan.txt /q", 6,
       u"Error: /apply cannot be given with /autoapply\r\n"},
      {"without rights", [] { SimSetAdmin(false); }, u"/autoapply C:\\plan.txt /q", 1,
       u"Error: Admin privileges are required\r\n"},
      {"without rights, off", [] { SimSetAdmin(false); }, u"/autoapply off /q", 1,
       u"Error: Admin privileges are required\r\n"},
      {"without rights, alone", [] { SimSetAdmin(false); }, u"/autoapply /q", 1,
       u"Error: Admin privileges are required\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange();
    bool others = SimTaskCount() != 0;
    std::vector<std::string> before;
    for (const char* copy : kCopies) before.push_back(Exists(copy) ? copy : "");
    EXPECT_EQ(c.code, Run(c.args));
    EXPECT_EQ(std::u16string(c.err), SimOutput(kOsStandardError));
    EXPECT_EQ(u"", SimOutput(kOsStandardOutput));
    SimTask task;
    EXPECT_EQ(others, SimTaskGet(kPlanTaskName, &task));
    if (others) {
      EXPECT_EQ(u"<Task/>", task.xml);  // never replaced
    }
    for (int i = 0; i < 3; i++) EXPECT_EQ(!before[i].empty(), Exists(kCopies[i])) << kCopies[i];
    EXPECT_EQ(0, SimOpenFileCount());
  }
}

// /autoapply off removes nothing of a task of the name that is another's,
// nor the copies such a task may run; nor anything through a folder that
// admits others, while Varnick's task that would run what it holds goes.
TEST_F(AutoApply, OffLeavesWhatIsNotVarnicks) {
  ASSERT_EQ(0, Run(u"/autoapply C:\\plan.txt"));
  SimTask others;
  others.author = u"";
  others.xml = u"<Task/>";
  SimTaskSet(kPlanTaskName, others);
  EXPECT_EQ(14, Run(u"/autoapply off"));
  EXPECT_EQ(u"The task \"Varnick number plan\" was registered by someone else\r\n"
            u"It is not Varnick's, and is left as it is\r\n",
            SimOutput(kOsStandardError));
  EXPECT_EQ(0, Run(u"/autoapply"));
  EXPECT_EQ(0u, SimOutput(kOsStandardOutput)
                    .find(u"The task \"Varnick number plan\" is registered by someone else, not by "
                          u"Varnick\r\nThe plan kept in"));

  SimTaskSet(kPlanTaskName, SimTask{Definition(), u"Varnick", kPlanTaskSddl});
  SimFileSet(kFolder, SimFolder(kUserOwned));
  EXPECT_EQ(14, Run(u"/autoapply off"));
  EXPECT_EQ(0, SimTaskCount());
  for (const char* copy : kCopies) EXPECT_TRUE(Exists(copy)) << copy;
}

// /n /autoapply prints the definition the task would be registered with,
// and registers, copies and creates nothing, with or without rights; what
// would refuse it here is told, and its code wins over 4.
TEST_F(AutoApply, ADryRunPrintsTheDefinition) {
  const struct {
    bool administrator;
    const char* plan;
    int32_t code;
    const char16_t* err;
  } cases[] = {
      {true, kPlan, 4, u""},
      {false, kPlan, 4, u""},
      {true, "COM4 location PCIROOT(0)#USBROOT(0)#USB(1)\n", 13,
       u"line 1: COM4 is held by USB\\VID_0403&PID_6001\\B2\r\n"},
  };
  for (const auto& c : cases) {
    SetUp();
    SimSetAdmin(c.administrator);
    Put("C:\\plan.txt", c.plan);
    EXPECT_EQ(c.code, Run(u"/n /autoapply C:\\plan.txt"));
    std::u16string printed = SimOutput(kOsStandardOutput);
    std::u16string expected = Definition();
    EXPECT_EQ(expected, printed);
    EXPECT_EQ(std::u16string(c.err), SimOutput(kOsStandardError));
    EXPECT_EQ(0, SimTaskCount());
    EXPECT_FALSE(Exists(kFolder));
  }
}

// How the task's last run is told.
TEST_F(AutoApply, TheLastResultIsTold) {
  const struct {
    bool known;
    int32_t result;
    const char16_t* told;
  } cases[] = {
      {true, 0x41303, u"it has not run yet"},
      {true, 0x41301, u"it is running"},
      {true, 0, u"its last run ended with 0"},
      {true, 3010, u"its last run ended with 3010"},
      {true, static_cast<int32_t>(0xC000013Au), u"its last run ended with 0xC000013A"},
      {false, 0, u"its last result cannot be read"},
  };
  for (const auto& c : cases) {
    SimTask task{Definition(), u"Varnick", kPlanTaskSddl, c.known, c.result};
    SimTaskSet(kPlanTaskName, task);
    EXPECT_EQ(0, Run(u"/autoapply"));
    EXPECT_EQ(u"The task \"Varnick number plan\" is registered; " + std::u16string(c.told) +
                  u"\r\nNo plan is kept\r\n",
              SimOutput(kOsStandardOutput));
  }
}

}  // namespace
