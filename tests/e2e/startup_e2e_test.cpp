#include <gtest/gtest.h>

#include "tests/e2e/harness.h"

namespace {

const char kErrorBox[] = "Varnick|Error: Admin privileges are required|error";

class Startup : public testing::Test {
 protected:
  void SetUp() override {
    RegDelete(kComArbiter);
    RegSet(kComArbiter, "ComDB", 3, std::string(64, 'f'));
  }
  void TearDown() override { RegDelete(kComArbiter); }
  std::string ComDb() { return RegGet(kComArbiter, "ComDB"); }
};

const std::string kSeeded = "3 " + std::string(64, 'f');

TEST_F(Startup, BatchModeWithoutAdministratorRightsIsRefused) {
  for (const char* sw : {"/c", "/r", "-C", "/c /r"}) {
    SCOPED_TRACE(sw);
    ProgramRun run = RunExpectingBoxes("varnick_restricted.exe", Split(sw, ' '), 1);
    EXPECT_EQ("", run.failure);
    EXPECT_EQ(1, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    EXPECT_EQ(kErrorBox, run.boxes[0]);
  }
  EXPECT_EQ(kSeeded, ComDb());
}

TEST_F(Startup, BatchModeAsAdministratorShowsNoBox) {
  ProgramRun run = RunExpectingBoxes("varnick.exe", {"/r"}, 0);
  EXPECT_EQ("", run.failure);
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(kSeeded, ComDb());
}

}  // namespace
