// The batch repairs on real devices in the prefix, created through SetupAPI.
#include <gtest/gtest.h>

#include <algorithm>

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

// The listing, redirected to a file as a script would, read back by a real
// CSV reader: a reserved number without a device, a number two devices
// carry, a name with a comma and double quotes. (Added last: the other
// tests of this suite do not know the device it adds.)
TEST_F(BatchOnDevices, TheListingIsCsvThatAReaderTakesFieldForField) {
  AddFixtureDevice("ports", "Q", "COM5", "Adapter, \"Pro\"");
  RegSet(kComArbiter, "ComDB", 3, "05" + Zeros(31));
  ProgramOutput run = RunRedirected("varnick_restricted.exe", {"/l"});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ("", run.errors);
  EXPECT_EQ("3 05" + Zeros(31), RegGet(kComArbiter, "ComDB"));
  const std::string csv = VARNICK_BUILD_ROOT "/test-logs/listing.csv";
  FILE* out = fopen(csv.c_str(), "wb");
  ASSERT_NE(nullptr, out);
  fwrite(run.output.data(), 1, run.output.size(), out);
  fclose(out);
  std::string parsed;
  ASSERT_EQ(0, RunWine({"/usr/bin/python3", "-c",
                        "import csv, sys\n"
                        "for row in csv.reader(open(sys.argv[1], newline='', encoding='utf-8')):\n"
                        "    print('|'.join(row))",
                        csv},
                       30, &parsed));
  std::vector<std::string> rows = Split(parsed, '\n');
  ASSERT_EQ(1u + 256 + 1 + 1, rows.size());  // the header, every port, the second COM5 device, the end
  EXPECT_EQ("Port|PortName|Reserved|KernelName|Device|Class|Present|DeviceInstanceId", rows[0]);
  EXPECT_EQ("1|COM1|1|\\Device\\Serial0|Communications Port (COM1)|Ports|1|ROOT\\VARNICKP\\0000",
            rows[1]);
  EXPECT_EQ("3|COM3|1|||||", rows[3]);
  std::vector<std::string> five = {rows[5], rows[6]};
  std::sort(five.begin(), five.end());
  EXPECT_EQ((std::vector<std::string>{"5|COM5|0||Adapter, \"Pro\"|Ports|1|ROOT\\VARNICKQ\\0000",
                                      "5|COM5|0||Test Modem|Modem|1|ROOT\\VARNICKM\\0000"}),
            five);
  EXPECT_EQ("256|COM256|0|||||", rows[257]);
  EXPECT_EQ("", rows[258]);
}

}  // namespace
