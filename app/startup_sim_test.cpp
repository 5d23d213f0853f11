#include <gtest/gtest.h>

#include <string>

#include "app/app_main.h"
#include "app/command_line.h"
#include "base/memory.h"
#include "base/process.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

class Startup : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, std::vector<uint8_t>(32, 0x0F));
  }
};

TEST_F(Startup, WindowModeReadsTheProgramVersionAndWritesNothing) {
  for (const char16_t* args : {u"", u"/Q", u"  \t"}) {
    programVersion = ProgramVersion();
    EXPECT_EQ(0, AppMain(1, args, 10));
    EXPECT_EQ(std::u16string(u"1.0.5"), programVersion.shortText);
  }
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_TRUE(SimMessageBoxes().empty());
}

TEST_F(Startup, RecordsTheProcessWideValues) {
  SimSetVersion(OsVersionNumbers{6, 1, 7601, 1, 1, 0x100});
  SimSetAdmin(0);
  AppMain(0x400000, u"", 10);
  EXPECT_EQ(0x400000u, programInstance);
  EXPECT_FALSE(isAdmin);
  EXPECT_EQ(0x0601, osVersion.versionCode);
  EXPECT_EQ(std::u16string(u"C:\\windows\\system32"), systemDirectory);
  EXPECT_EQ(std::u16string(u"C:\\Tools\\varnick.exe"), modulePath);
  EXPECT_STREQ("C:\\Tools\\varnick.ini", iniPath);
}

// The settings file's path, in the ANSI code page (plain ASCII here): a
// program path that is too long, or has no exact ANSI form, gives none,
// and a path that was cut is no path at all.
TEST_F(Startup, TheSettingsFileIsNamedExactlyOrNotAtAll) {
  const std::u16string longest = u"C:\\" + std::u16string(252, u'v') + u".exe";  // 259 units
  const struct {
    std::u16string program;
    std::u16string wantModule;
    std::string wantIni;
  } cases[] = {
      {u"C:\\Tools\\varnick.exe", u"C:\\Tools\\varnick.exe", "C:\\Tools\\varnick.ini"},
      {u"C:\\Tools.d\\varnick", u"C:\\Tools.d\\varnick", "C:\\Tools.d\\varnick.ini"},
      {u"C:\\T\u00f6ols\\varnick.exe", u"C:\\T\u00f6ols\\varnick.exe", ""},
      {u"C:\\\u30c4\\varnick.exe", u"C:\\\u30c4\\varnick.exe", ""},
      {longest, longest, "C:\\" + std::string(252, 'v') + ".ini"},
      {u"C:\\" + std::u16string(256, u'v'), u"C:\\" + std::u16string(256, u'v'), ""},  // + .ini: too long
      {longest + u"x", u"", ""},  // cut
  };
  for (const auto& c : cases) {
    SimSetModulePath(c.program);
    AppMain(1, u"", 10);
    EXPECT_EQ(c.wantModule, modulePath);
    EXPECT_EQ(c.wantIni, iniPath);
  }
  SimSetModulePath(u"C:\\Tools\\varnick.exe");
  AppMain(1, u"", 10);
}

TEST_F(Startup, TakesTheProcessHeapBeforeAnythingAllocates) {
  // A handle never taken stops the process at the first allocation.
  processHeap = reinterpret_cast<OsHeap>(0x5);
  EXPECT_EQ(0, AppMain(1, u"/c", 10));
  EXPECT_EQ(OsProcessHeap(), processHeap);
  EXPECT_EXIT(
      {
        processHeap = reinterpret_cast<OsHeap>(0x5);
        SimSetCommandLine(u"varnick.exe /c");
        EntryPoint();
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Startup, RestorePointsExistFromVersion51) {
  const struct {
    uint32_t major, minor;
    int32_t available;
  } cases[] = {{5, 0, 0}, {5, 1, 1}, {5, 2, 1}, {6, 0, 1}, {10, 0, 1}, {4, 90, 0}};
  for (const auto& c : cases) {
    SimSetVersion(OsVersionNumbers{c.major, c.minor, 0, 0, 1, 0});
    AppMain(1, u"", 10);
    EXPECT_EQ(c.available, IsRestorePointAvailable()) << c.major << "." << c.minor;
  }
}

// The version library's answer in three: read; no library (the version
// known before stays); no version in the file (none is shown). Silent
// whichever.
TEST_F(Startup, UnreadableProgramVersionIsSilent) {
  const struct {
    int32_t status;
    const char16_t* shown;
  } cases[] = {
      {kOsErrorSuccess, u"2.3.4.0"},
      {kOsErrorModNotFound, u"1.0.0.0"},
      {kOsErrorProcNotFound, u"1.0.0.0"},
      {kOsErrorResourceTypeNotFound, u""},
      {kOsErrorFileNotFound, u""},
      {kOsErrorGenFailure, u""},
  };
  for (const auto& c : cases) {
    SimSetFileVersion(c.status, 0x20003, 0x40000);
    DescribeProgramVersion(0x10000, 0, &programVersion);
    EXPECT_EQ(0, AppMain(1, u"", 10));
    EXPECT_EQ(std::u16string(c.shown), programVersion.fullText) << c.status;
  }
  EXPECT_TRUE(SimMessageBoxes().empty());
}

TEST_F(Startup, BatchModeWithoutAdministratorRightsIsRefused) {
  SimSetAdmin(0);
  for (const char16_t* args : {u"/c", u"/r", u"-C -R", u"-r /c -r"}) {
    int before = static_cast<int>(SimMessageBoxes().size());
    EXPECT_EQ(1, AppMain(1, args, 10));
    ASSERT_EQ(before + 1, static_cast<int>(SimMessageBoxes().size()));
    const SimMessageBox& box = SimMessageBoxes().back();
    EXPECT_EQ(0u, box.owner);
    EXPECT_EQ(u"Varnick", box.caption);
    EXPECT_EQ(u"Error: Admin privileges are required", box.text);
    EXPECT_EQ(kOsMbOk | kOsMbIconError, box.flags);
  }
  EXPECT_EQ(0, SimRegWriteCount());
  EXPECT_EQ((std::vector<uint8_t>(32, 0x0F)), SimRegValue(kComArbiterPath, kComDbName));
}

TEST_F(Startup, ShowCommandComesFromTheStartupInformation) {
  SimSetStartupInfo(0x1, 7);  // STARTF_USESHOWWINDOW, SW_SHOWMINNOACTIVE
  EXPECT_EQ(7, StartupShowCommand());
  SimSetStartupInfo(0x100, 7);  // show window not set: the default
  EXPECT_EQ(10, StartupShowCommand());
  SimSetStartupInfo(0x1, 0);
  EXPECT_EQ(0, StartupShowCommand());
}

TEST_F(Startup, ArgumentTextComesFromTheProcessCommandLine) {
  SimSetCommandLine(u"\"C:\\Program Files\\Varnick\\varnick.exe\" /r");
  EXPECT_EQ(std::u16string(u"/r"), SkipProgramName());
  SimSetCommandLine(u"varnick.exe");
  EXPECT_EQ(std::u16string(u""), SkipProgramName());
}

TEST_F(Startup, EntryPointEndsTheProcessWithTheBatchCode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SimSetAdmin(0);
        SimSetCommandLine(u"varnick.exe -r");
        EntryPoint();
      },
      testing::ExitedWithCode(1), "");
  EXPECT_EXIT(
      {
        SimSetCommandLine(u"varnick.exe");
        EntryPoint();
      },
      testing::ExitedWithCode(0), "");
}
