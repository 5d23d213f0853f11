// The batch repairs on real devices in the prefix, created through SetupAPI.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

class BatchOnDevices : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ClearFixtureDevices();
    AddFixtureDevice("ports", "P", "COM1", "Communications Port (COM1)");
    AddFixtureDevice("ports", "L", "LPT1", "Printer Port (LPT1)");
    AddFixtureDevice("ports", "C", "com3", "");
    AddFixtureDevice("ports", "B", "COM", "");
    AddFixtureDevice("ports", "K", "COM1000", "USB Serial Port (COM1000)");
    AddFixtureDevice("modem", "M", "COM5", "Test Modem");
    AddFixtureDevice("mouse", "O", "COM7", "Serial Mouse");
  }
  static void TearDownTestSuite() { ClearFixtureDevices(); }
  void SetUp() override { RegDelete(kComArbiter); }
  void TearDown() override { RegDelete(kComArbiter); }

  int Run(const std::string& args) {
    ProgramRun run = RunExpectingBoxes("varnick.exe", {args}, 0);
    EXPECT_EQ("", run.failure) << args;
    return run.exitCode;
  }
  static std::string Zeros(size_t bytes) { return std::string(2 * bytes, '0'); }
};

// COM1 (Ports) and COM5 (Modem) carry numbers; LPT1, com3, a bare COM and
// a COM name of another class do not.
TEST_F(BatchOnDevices, ClearKeepsOnlyNumbersWithADevice) {
  RegSet(kComArbiter, "ComDB", 3, std::string(64, 'f'));
  EXPECT_EQ(0, Run("/c"));
  EXPECT_EQ("3 11" + Zeros(31), RegGet(kComArbiter, "ComDB"));
}

TEST_F(BatchOnDevices, ClearCoversNumbersFromOneThousandUp) {
  RegSet(kComArbiter, "ComDB", 3, std::string(256, 'f'));
  EXPECT_EQ(0, Run("-C"));
  EXPECT_EQ("3 11" + Zeros(123) + "80" + Zeros(3), RegGet(kComArbiter, "ComDB"));
}

TEST_F(BatchOnDevices, ClearCreatesAMissingValue) {
  EXPECT_EQ("missing", RegGet(kComArbiter, "ComDB"));
  EXPECT_EQ(0, Run("/c"));
  EXPECT_EQ("3 " + Zeros(32), RegGet(kComArbiter, "ComDB"));
}

TEST_F(BatchOnDevices, RemoveWithNothingNonPresentChangesNothing) {
  const std::string seeded = "3 a5" + Zeros(31);
  RegSet(kComArbiter, "ComDB", 3, seeded.substr(2));
  EXPECT_EQ(0, Run("/r"));
  EXPECT_EQ(seeded, RegGet(kComArbiter, "ComDB"));
}

TEST_F(BatchOnDevices, BothSwitchesActAsClearWhenAllArePresent) {
  RegSet(kComArbiter, "ComDB", 3, std::string(64, 'f'));
  EXPECT_EQ(0, Run("/c /r"));
  EXPECT_EQ("3 11" + Zeros(31), RegGet(kComArbiter, "ComDB"));
}

}  // namespace
