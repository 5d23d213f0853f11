// The scheduled task that keeps a number plan, under Wine: registered
// through Task Scheduler's own interface, and removed. Wine's definition
// of a registered task drops its triggers, its principal and its command,
// and runs nothing: the whole definition is shown by /n, the registration
// by the file Wine keeps and the registration info it holds. Wine's event
// log reads no channel's configuration: the test prefix's wevtapi.dll
// answers as wevtapi-channel.txt says.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/harness.h"

namespace {

const char kTaskFile[] = "windows/system32/tasks/Varnick number plan";
const char* const kCopies[] = {"ProgramData/Varnick/varnick.exe", "ProgramData/Varnick/varnick.com",
                               "ProgramData/Varnick/plan.txt"};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  struct stat facts;
  return stat(path.c_str(), &facts) == 0;
}

class AutoApply : public testing::Test {
 protected:
  // PLANA carries COM10 in its socket, PLANB COM11; the plan keeps them so.
  void SetUp() override {
    ClearFixtureDevices();
    ClearStandInLogs();
    ClearJournal();  // no folder to begin with
    rmdir(DriveC("ProgramData/Varnick").c_str());
    RegSet(kComArbiter, "ComDB", 3, "0006" + std::string(60, '0'));  // COM10, COM11
    AddFixtureDevice("ports", "PLANA", "COM10", "Bench Adapter A (COM10)");
    AddFixtureDevice("ports", "PLANB", "COM11", "Bench Adapter B (COM11)");
    SetFixtureLocation("PLANA", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)");
    std::ofstream(plan_, std::ios::binary) << "COM10 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)\r\n";
  }
  void TearDown() override {
    RunRedirected("varnick.exe", {"/autoapply", "off"});
    for (const char* copy : kCopies) unlink(DriveC(copy).c_str());
    rmdir(DriveC("ProgramData/Varnick").c_str());
    ClearFixtureDevices();
    RegDelete(kComArbiter);
    ClearStandInLogs();
  }
  const std::string plan_ = VARNICK_BUILD_ROOT "/test-logs/autoapply-plan.txt";
};

TEST_F(AutoApply, ADryRunPrintsTheWholeDefinitionAndRegistersNothing) {
  ProgramOutput run = RunRedirected("varnick.exe", {"/n", "/autoapply", DosPath(plan_)});
  EXPECT_EQ(4, run.exitCode) << run.errors;
  EXPECT_EQ("", run.errors);
  for (const char* part :
       {"<Author>Varnick</Author>", "<SecurityDescriptor>D:P(A;;FA;;;SY)(A;;FA;;;BA)<",
        "<BootTrigger>", "<Delay>PT2M</Delay>", "<EventTrigger>",
        "Path=\"Microsoft-Windows-Kernel-PnP/Configuration\"", "EventID=400", "EventID=410",
        "{4d36e978-e325-11ce-bfc1-08002be10318}", "<UserId>S-1-5-18</UserId>",
        "<MultipleInstancesPolicy>Queue<", "<DisallowStartIfOnBatteries>false<",
        "<StopIfGoingOnBatteries>false<", "<ExecutionTimeLimit>PT10M<",
        "<Command>C:\\ProgramData\\Varnick\\varnick.com</Command>",
        "<Arguments>/apply &quot;C:\\ProgramData\\Varnick\\plan.txt&quot; /q</Arguments>"}) {
    EXPECT_NE(std::string::npos, run.output.find(part)) << part;
  }
  EXPECT_FALSE(Exists(DriveC(kTaskFile)));
  EXPECT_FALSE(Exists(DriveC("ProgramData/Varnick")));
}

// Registered through Task Scheduler, with the copies it runs; told; and
// removed with them.
TEST_F(AutoApply, RegistersTheTaskAndOffRemovesIt) {
  ProgramOutput run = RunRedirected("varnick.exe", {"/autoapply", DosPath(plan_), "/q"});
  ASSERT_EQ(0, run.exitCode) << run.errors;
  EXPECT_NE(std::string::npos, run.output.find("registered the task \"Varnick number plan\""));
  EXPECT_EQ("open|Microsoft-Windows-Kernel-PnP/Configuration\nclose\n", StandInLog("wevtapi.log"));
  const std::string stored = ReadFile(DriveC(kTaskFile));
  EXPECT_EQ(0u, stored.find("\xEF\xBB\xBF")) << "UTF-8 with its mark";
  for (const char* part : {"<Author>Varnick</Author>", "<ExecutionTimeLimit>PT10M<",
                           "<DisallowStartIfOnBatteries>false<"}) {
    EXPECT_NE(std::string::npos, stored.find(part)) << part << "\n" << stored;
  }
  const std::string sources[] = {WindowsBuildFile("varnick.exe"), WindowsBuildFile("varnick.com"),
                                 plan_};
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(ReadFile(sources[i]), ReadFile(DriveC(kCopies[i]))) << kCopies[i];
  }

  ProgramOutput told = RunRedirected("varnick.exe", {"/autoapply"});
  EXPECT_EQ(0, told.exitCode) << told.errors;
  // Wine does not keep a task's last result.
  EXPECT_EQ("The task \"Varnick number plan\" is registered; its last result cannot be read\r\n"
            "The plan kept in C:\\ProgramData\\Varnick\\plan.txt has 1 rule:\r\n"
            "COM10 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)\r\n",
            told.output);

  ProgramOutput off = RunRedirected("varnick.exe", {"/autoapply", "off"});
  EXPECT_EQ(0, off.exitCode) << off.errors;
  EXPECT_EQ("removed the task \"Varnick number plan\"\r\n"
            "removed C:\\ProgramData\\Varnick\\varnick.exe\r\n"
            "removed C:\\ProgramData\\Varnick\\varnick.com\r\n"
            "removed C:\\ProgramData\\Varnick\\plan.txt\r\n",
            off.output);
  EXPECT_FALSE(Exists(DriveC(kTaskFile)));
  for (const char* copy : kCopies) EXPECT_FALSE(Exists(DriveC(copy))) << copy;
}

// A plan that cannot be applied here, or a channel that is disabled,
// refuses the task before anything is copied or registered.
TEST_F(AutoApply, ARefusalRegistersNothing) {
  const struct {
    const char* plan;
    const char* channel;
    int code;
    const char* errors;
  } cases[] = {
      {"COM11 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)\r\n", "enabled", 13,
       "line 1: COM11 is held by ROOT\\VARNICKPLANB\\0000\r\n"},
      {"COM10 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)\r\n", "disabled", 14,
       "The event channel Microsoft-Windows-Kernel-PnP/Configuration is disabled (wevtutil sl "
       "Microsoft-Windows-Kernel-PnP/Configuration /e:true enables it)\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errors);
    std::ofstream(plan_, std::ios::binary) << c.plan;
    WriteStandInFile("wevtapi-channel.txt", c.channel);
    ProgramOutput run = RunRedirected("varnick.exe", {"/autoapply", DosPath(plan_), "/q"});
    EXPECT_EQ(c.code, run.exitCode);
    EXPECT_EQ(c.errors, run.errors);
    EXPECT_EQ("", run.output);
    EXPECT_FALSE(Exists(DriveC(kTaskFile)));
    EXPECT_FALSE(Exists(DriveC("ProgramData/Varnick")));
  }
}

}  // namespace
