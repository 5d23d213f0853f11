// Number plans under Wine, from a script: exported, edited, checked with
// /n, applied, applied again; a socket that keeps its number when its old
// adapter is gone; a line that is no rule. Wine computes no location paths:
// vtool gives the fixture devices theirs, as Windows would.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/e2e/harness.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A registry text value of a fixture device (ASCII), "" when missing.
std::string PortName(const std::string& name) {
  std::string value =
      RegGet("System\\CurrentControlSet\\Enum\\ROOT\\VARNICK" + name + "\\0000\\Device Parameters",
             "PortName");
  std::string text;
  for (size_t i = 2; i + 1 < value.size(); i += 4) {
    char c = static_cast<char>(std::stoi(value.substr(i, 2), nullptr, 16));
    if (c != 0) text += c;
  }
  return text;
}

std::string NoCarriageReturns(std::string text) {
  std::string out;
  for (char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

class Plans : public testing::Test {
 protected:
  void SetUp() override {
    ClearFixtureDevices();
    RegSet(kComArbiter, "ComDB", 3, "0006" + std::string(60, '0'));  // COM10, COM11
  }
  void TearDown() override {
    ClearFixtureDevices();
    RegDelete(kComArbiter);
  }
  const std::string file_ = VARNICK_BUILD_ROOT "/test-logs/number-plan.txt";
};

TEST_F(Plans, AnExportedPlanWithItsNumbersSwappedSwapsThePortsOnce) {
  AddFixtureDevice("ports", "PLANA", "COM10", "Bench Adapter A (COM10)");
  AddFixtureDevice("ports", "PLANB", "COM11", "Bench Adapter B (COM11)");
  SetFixtureLocation("PLANA", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)");
  SetFixtureLocation("PLANB", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)");
  ProgramOutput exported = RunRedirected("varnick_ghosts.exe", {"/export", DosPath(file_)});
  ASSERT_EQ(0, exported.exitCode) << exported.errors;
  std::string plan = NoCarriageReturns(ReadFile(file_));
  EXPECT_NE(std::string::npos, plan.find("# Bench Adapter A (COM10)\nCOM10 location "
                                         "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(1)\n"))
      << plan;
  plan.replace(plan.find("COM10 location"), 5, "COM11");
  plan.replace(plan.find("COM11 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)"), 5, "COM10");
  WriteFile(file_, plan);

  const std::string comDb = RegGet(kComArbiter, "ComDB");
  ProgramOutput dry = RunRedirected("varnick_ghosts.exe", {"/n", "/apply", DosPath(file_)});
  EXPECT_EQ(4, dry.exitCode) << dry.errors;
  EXPECT_EQ("COM10 COM11", PortName("PLANA") + " " + PortName("PLANB"));
  EXPECT_EQ(comDb, RegGet(kComArbiter, "ComDB"));

  ProgramOutput run = RunRedirected("varnick_ghosts.exe", {"/apply", DosPath(file_)});
  EXPECT_EQ(0, run.exitCode) << run.errors;
  // The moves the dry run told, through a free number, and no others.
  std::string told = NoCarriageReturns(dry.output);
  for (size_t at; (at = told.find("would move")) != std::string::npos;) told.replace(at, 10, "moved");
  EXPECT_EQ(told, NoCarriageReturns(run.output));
  EXPECT_EQ(3, std::count(told.begin(), told.end(), '\n')) << told;
  EXPECT_EQ("COM11 COM10", PortName("PLANA") + " " + PortName("PLANB"));
  EXPECT_EQ(comDb, RegGet(kComArbiter, "ComDB"));  // the same numbers, the one gone through freed

  ProgramOutput again = RunRedirected("varnick_ghosts.exe", {"/apply", DosPath(file_)});
  EXPECT_EQ(0, again.exitCode);
  EXPECT_EQ("", again.output);
}

// The old adapter of a socket, gone now (a ghost), still holds the
// number; a new adapter in the same socket takes it.
TEST_F(Plans, ASocketKeepsItsNumberWhenItsAdapterIsReplaced) {
  AddFixtureDevice("ports", "GHOSTOLD", "COM5", "Old Adapter (COM5)");
  AddFixtureDevice("ports", "NEWONE", "COM11", "New Adapter (COM11)");
  SetFixtureLocation("NEWONE", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(7)");
  RegSet(kComArbiter, "ComDB", 3, "1004" + std::string(60, '0'));  // COM5, COM11
  WriteFile(file_, "# the scale\nCOM5 location PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(7)\n");
  ProgramOutput run = RunRedirected("varnick_ghosts.exe", {"/apply", DosPath(file_), "/q"});
  EXPECT_EQ(0, run.exitCode) << run.errors;
  EXPECT_EQ("removed COM5 ROOT\\VARNICKGHOSTOLD\\0000\n"
            "moved COM11 ROOT\\VARNICKNEWONE\\0000 to COM5\n",
            NoCarriageReturns(run.output));
  EXPECT_EQ("COM5", PortName("NEWONE"));
  EXPECT_EQ("3 1000" + std::string(60, '0'), RegGet(kComArbiter, "ComDB"));
}

TEST_F(Plans, ALineThatIsNoRuleRefusesThePlanWithItsNumber) {
  AddFixtureDevice("ports", "PLANA", "COM10", "Bench Adapter A (COM10)");
  WriteFile(file_, "COM3 instance ROOT\\VARNICKPLANA\\0000\nCOM4 instanse X\n");
  ProgramOutput run = RunRedirected("varnick_ghosts.exe", {"/apply", DosPath(file_), "/q"});
  EXPECT_EQ(12, run.exitCode);
  EXPECT_EQ("line 2: not a rule: instanse is no key (location, instance or hardware)\n",
            NoCarriageReturns(run.errors));
  EXPECT_EQ("COM10", PortName("PLANA"));
}

}  // namespace
