// The batch repairs on real devices in the prefix, created through SetupAPI.
#include <gtest/gtest.h>

#include <unistd.h>

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

  // The switches as separate arguments, as a shell passes them.
  int Run(const std::string& args) {
    ProgramRun run = RunExpectingBoxes("varnick.exe", Split(args, ' '), 0);
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

// A number a running driver named (SERIALCOMM) is in use, whatever the
// driver's class and though no device record carries it: /c keeps it, and
// /l lists it with the driver's kernel name. Wine's own serial port is
// one, COM1, which a device carries here too.
TEST_F(BatchOnDevices, ClearKeepsEveryNumberARunningDriverNamed) {
  const std::string live = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
  RegSet(live, "\\Device\\VarnickVcp0", 1, "43004f004d00310032000000");  // COM12
  RegSet(kComArbiter, "ComDB", 3, std::string(64, 'f'));
  EXPECT_EQ(0, Run("/c"));
  EXPECT_EQ("3 1108" + Zeros(30), RegGet(kComArbiter, "ComDB"));
  ProgramOutput list = RunRedirected("varnick.exe", {"/l"});
  std::string ignored;
  RunWine({"/usr/lib/wine/wine64", "reg", "delete", "HKLM\\" + live, "/v", "\\Device\\VarnickVcp0",
           "/f"},
          60, &ignored);
  EXPECT_EQ(0, list.exitCode);
  EXPECT_NE(std::string::npos, list.output.find("\r\n12,COM12,1,\\Device\\VarnickVcp0,(in use),,1,,,,\r\n"))
      << list.output;
  EXPECT_NE(std::string::npos, list.output.find("\r\n1,COM1,1,\\Device\\Serial0,Communications Port"))
      << list.output;
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
  // The header, every port, the second COM5 device, the devices of no
  // listed number (a PortName of "COM" alone, COM1000), the end.
  ASSERT_EQ(1u + 256 + 1 + 2 + 1, rows.size());
  // Wine reports no location paths, hardware IDs or parents of root devices.
  EXPECT_EQ("Port|PortName|Reserved|KernelName|Device|Class|Present|DeviceInstanceId|LocationPath|"
            "HardwareId|ParentInstanceId",
            rows[0]);
  EXPECT_EQ("1|COM1|1|\\Device\\Serial0|Communications Port (COM1)|Ports|1|ROOT\\VARNICKP\\0000|||",
            rows[1]);
  EXPECT_EQ("3|COM3|1||||||||", rows[3]);
  std::vector<std::string> five = {rows[5], rows[6]};
  std::sort(five.begin(), five.end());
  EXPECT_EQ((std::vector<std::string>{"5|COM5|0||Adapter, \"Pro\"|Ports|1|ROOT\\VARNICKQ\\0000|||",
                                      "5|COM5|0||Test Modem|Modem|1|ROOT\\VARNICKM\\0000|||"}),
            five);
  EXPECT_EQ("256|COM256|0||||||||", rows[257]);
  EXPECT_EQ(0u, rows[258].find("0|COM|0||")) << rows[258];
  EXPECT_EQ("1000|COM1000|0||USB Serial Port (COM1000)|Ports|1|ROOT\\VARNICKK\\0000|||", rows[259]);
  EXPECT_EQ("", rows[260]);
}

// Redirected, the lines are in the output code page of the console the
// program runs in (866 here, as on a Russian Windows), so that the
// console's own reader decodes them; a character that code page lacks is
// "?". Without a console they are UTF-8. A disk that is full is no
// success. (Added last, like the device before it.)
TEST_F(BatchOnDevices, OutputIsInTheConsolesCodePageAndAFullDiskIsNoSuccess) {
  AddFixtureDevice("ports", "RU", "COM300", "Последовательный порт é (COM300)");
  const std::string line = "300,COM300,0,,Последовательный порт %s (COM300),Ports,1,ROOT\\VARNICKRU\\0000,,,\r\n";
  auto withLetter = [&line](const char* letter) {
    std::string text = line;
    return text.replace(text.find("%s"), 2, letter);
  };
  const std::string csv = VARNICK_BUILD_ROOT "/test-logs/listing-866.csv";
  unlink(csv.c_str());
  // Under a terminal, Wine gives cmd a console whose code page chcp sets.
  std::string console;
  RunWine({"/usr/bin/script", "-qec",
           "/usr/lib/wine/wine64 cmd /c \"chcp 866 >nul & " +
               DosPath(WindowsBuildFile("varnick_restricted.exe")) + " /l > " + DosPath(csv) + "\"",
           "/dev/null"},
          60, &console);
  std::string decoded;
  EXPECT_EQ(0, RunWine({"/usr/bin/iconv", "-f", "CP866", "-t", "UTF-8", csv}, 30, &decoded));
  EXPECT_NE(std::string::npos, decoded.find(withLetter("?"))) << decoded.substr(0, 300) << console;

  ProgramOutput plain = RunRedirected("varnick_restricted.exe", {"/l"});
  EXPECT_EQ(0, plain.exitCode);
  EXPECT_NE(std::string::npos, plain.output.find(withLetter("é")));

  ProgramOutput full = RunRedirected("varnick_restricted.exe", {"/l"}, 30, "/dev/full");
  EXPECT_EQ(7, full.exitCode);
}

}  // namespace
