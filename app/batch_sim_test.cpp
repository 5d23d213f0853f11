#include <gtest/gtest.h>

#include <vector>

#include "app/app_main.h"
#include "core/port_reservations.h"
#include "platform/sim/sim.h"

typedef std::vector<uint8_t> Bytes;

class Batch : public testing::Test {
 protected:
  void SetUp() override { SimReset(); }
  void Seed(const Bytes& bytes) { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, bytes); }
  Bytes Stored() { return SimRegValue(kComArbiterPath, kComDbName); }
  SimDevice Failing(const std::u16string& portName) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = u"ROOT\\FAIL\\" + portName;
    d.portName = portName;
    d.present = false;
    d.installerError = 5;
    return d;
  }
};

// Models that cannot be trusted: nothing is done, and the run ends with 3.
TEST_F(Batch, NothingIsChangedOnModelsThatCannotBeTrustedAndTheCodeSaysSo) {
  for (int fault : {0, 1, 2}) {  // no device list, ComDB unread, ComDB too long
    for (const char16_t* args : {u"/c", u"/c /r"}) {
      SimReset();
      Bytes stored = fault == 2 ? Bytes(kLargestComDbBytes + 8, 0xFF) : Bytes{0xFF};
      Seed(stored);
      SimAddPort(u"COM2", false);
      if (fault == 0) SimFailDeviceSet(true);
      if (fault == 1) SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100);
      EXPECT_EQ(3, AppMain(1, args, 10)) << fault;
      EXPECT_EQ(stored, Stored());
      EXPECT_EQ(0, SimRemovalCount());
      EXPECT_TRUE(SimMessageBoxes().empty());
    }
  }
}

// What a run did, or would do, line by line on standard output; a dry run
// changes nothing and tells by its exit code whether anything would change.
TEST_F(Batch, ReportsWhatItDidAndWhatADryRunWould) {
  const struct {
    const char16_t* args;
    int32_t code;
    const char16_t* lines;
    Bytes stored;
  } cases[] = {
      {u"/c", 0, u"freed COM1\r\nfreed COM6\r\n", {0x14}},
      {u"/r", 0,
       u"removed COM3 ACPI\\PNP0501\\1_COM3\r\nremoved COM5 ACPI\\PNP0501\\2_COM5\r\nfreed COM5\r\n",
       {0x25}},
      {u"/c /r", 0,
       u"freed COM1\r\nfreed COM6\r\nremoved COM3 ACPI\\PNP0501\\1_COM3\r\n"
       u"removed COM5 ACPI\\PNP0501\\2_COM5\r\nfreed COM5\r\n",
       {0x04}},
      {u"/c /n", 4, u"would free COM1\r\nwould free COM6\r\n", {0x35}},
      {u"-R -N", 4,
       u"would remove COM3 ACPI\\PNP0501\\1_COM3\r\nwould remove COM5 ACPI\\PNP0501\\2_COM5\r\n"
       u"would free COM5\r\n",
       {0x35}},
      {u"/n", 4,
       u"would free COM1\r\nwould free COM6\r\nwould remove COM3 ACPI\\PNP0501\\1_COM3\r\n"
       u"would remove COM5 ACPI\\PNP0501\\2_COM5\r\nwould free COM5\r\n",
       {0x35}},
  };
  for (const auto& c : cases) {
    SimReset();
    Seed(Bytes{0x35});  // 1, 3, 5, 6 reserved
    SimAddPort(u"COM3");
    SimAddPort(u"COM3", false);  // beside a working one: removed, the number kept
    SimAddPort(u"COM5", false);
    EXPECT_EQ(c.code, AppMain(1, c.args, 10)) << std::u16string(c.args).size();
    EXPECT_EQ(std::u16string(c.lines), SimOutput(kOsStandardOutput));
    EXPECT_EQ(c.stored, Stored());
  }
  // Nothing to change: 0.
  SimReset();
  Seed(Bytes{0x01});
  SimAddPort(u"COM1");
  EXPECT_EQ(0, AppMain(1, u"/n", 10));
  EXPECT_EQ(u"", SimOutput(kOsStandardOutput));
  // A dry run needs no administrator rights.
  SimSetAdmin(0);
  EXPECT_EQ(0, AppMain(1, u"/n /c", 10));
}

// A failure always goes to standard error; a box as well only where
// someone can see and answer it, and /q was not given.
TEST_F(Batch, FailuresGoToABoxOnlyWhereSomeoneCanAnswerIt) {
  const struct {
    bool canSee;
    const char16_t* args;
    size_t boxes;
  } cases[] = {
      {true, u"/r", 1}, {true, u"/r /q", 0}, {false, u"/r", 0}, {false, u"-Q -r", 0},
  };
  for (const auto& c : cases) {
    for (int32_t admin : {1, 0}) {
      SimReset();
      SimSetUserCanSeeWindows(c.canSee);
      SimSetAdmin(admin);
      Seed(Bytes{0x02});
      SimAddDevice(Failing(u"COM2"));
      EXPECT_EQ(admin ? 2 : 1, AppMain(1, c.args, 10));
      EXPECT_EQ(admin ? u"ACCESS_DENIED removing ROOT\\FAIL\\COM2\r\n"
                      : u"Error: Admin privileges are required\r\n",
                SimOutput(kOsStandardError));
      EXPECT_EQ(c.boxes, SimMessageBoxes().size());
      EXPECT_EQ(Bytes{0x02}, Stored());
    }
  }
}

// Every port ComDB covers, then each further device of a listed number,
// then every device whose number ComDB does not cover, by number, as not
// reserved; a port a running driver named and no device carries shows its
// kernel name, "(in use)" and present. What could not be read still leaves
// the rest listed, with exit code 3.
TEST_F(Batch, ListsEveryPortAndEveryDeviceAndChangesNothing) {
  SimSetAdmin(0);
  Seed(Bytes{0x05});
  SimAddPort(u"COM300");  // beyond the listed numbers
  SimAddPort(u"COM2", false);
  SimAddPort(u"COM2");
  SimAddPort(u"COM9");  // beyond too
  SimAddLiveName(u"\\Device\\VCP0", u"COM3");
  SimAddLiveName(u"\\Device\\Serial2", u"COM2");  // a device's own
  SimAddLiveName(u"\\Device\\VCP1", u"COM12");    // beyond
  EXPECT_EQ(0, AppMain(1, u"/l", 10));
  EXPECT_EQ(
      u"Port,PortName,Reserved,KernelName,Device,Class,Present,DeviceInstanceId,LocationPath,"
      u"HardwareId,ParentInstanceId\r\n"
      u"1,COM1,1,,,,,,,,\r\n"
      u"2,COM2,0,\\Device\\Serial2,Communications Port (COM2),Ports,1,ACPI\\PNP0501\\2_COM2,,,\r\n"
      u"2,COM2,0,\\Device\\Serial2,Communications Port (COM2),Ports,0,ACPI\\PNP0501\\1_COM2,,,\r\n"
      u"3,COM3,1,\\Device\\VCP0,(in use),,1,,,,\r\n"
      u"4,COM4,0,,,,,,,,\r\n5,COM5,0,,,,,,,,\r\n6,COM6,0,,,,,,,,\r\n7,COM7,0,,,,,,,,\r\n"
      u"8,COM8,0,,,,,,,,\r\n"
      u"9,COM9,0,\\Device\\Serial9,Communications Port (COM9),Ports,1,ACPI\\PNP0501\\3_COM9,,,\r\n"
      u"12,COM12,0,\\Device\\VCP1,(in use),,1,,,,\r\n"
      u"300,COM300,0,\\Device\\Serial300,Communications Port (COM300),Ports,1,"
      u"ACPI\\PNP0501\\0_COM300,,,\r\n",
      SimOutput(kOsStandardOutput));
  EXPECT_EQ(0, SimRegWriteCount());

  SimReset();
  Seed(Bytes{0x05});
  SimFailDeviceSet(true);
  EXPECT_EQ(3, AppMain(1, u"-L", 10));
  EXPECT_NE(std::u16string::npos, SimOutput(kOsStandardOutput).find(u"\r\n1,COM1,1,,,,,,,,\r\n"));
  EXPECT_NE(std::u16string::npos, SimOutput(kOsStandardError).find(u"device list"));
}

// Only whole switches act. Any other word is named with the usage, in a
// box where someone can see one and /q was not given, else on standard
// error; then nothing is read, removed or written. /? tells the usage.
TEST_F(Batch, AWordThatIsNoSwitchDoesNothingButSaySo) {
  const struct {
    const char16_t* args;
    bool outputLeadsSomewhere;
    int32_t code;
    size_t boxes;
    const char16_t* out;  // found in standard output ("" for none at all)
    const char16_t* err;  // likewise for standard error
  } cases[] = {
      {u"--dry-run", true, 6, 1, u"", u""},
      {u"--dry-run /q", true, 6, 0, u"", u"Unknown argument: --dry-run\r\nUsage: varnick"},
      {u"/c /norestart /Q", true, 6, 0, u"", u"Unknown argument: /norestart\r\n"},
      {u"/clear-reservations -q", true, 6, 0, u"", u"Unknown argument: /clear-reservations\r\n"},
      {u"/?", true, 0, 0,
       u"Usage: varnick [/c] [/r] [/m DEVICE COMn]... [/apply PLAN] [/export [FILE]] [/l] [/n] [/q]\r\n",
       u""},
      {u"-h /r", true, 0, 0, u"Usage: varnick", u""},
      {u"/h", false, 0, 1, u"", u""},
  };
  for (const auto& c : cases) {
    SimReset();
    SimSetOutputLeadsSomewhere(c.outputLeadsSomewhere);
    Seed(Bytes{0xFF});
    SimAddPort(u"COM2", false);
    int reads = 0;
    SimRegBeforeDataRead([&reads] { reads++; });
    SCOPED_TRACE(std::string(c.args, c.args + std::char_traits<char16_t>::length(c.args)));
    EXPECT_EQ(c.code, AppMain(1, c.args, 10));
    EXPECT_EQ(c.boxes, SimMessageBoxes().size());
    auto holds = [](int32_t stream, const char16_t* text) {
      return *text == 0 ? SimOutput(stream).empty()
                        : SimOutput(stream).find(text) != std::u16string::npos;
    };
    EXPECT_TRUE(holds(kOsStandardOutput, c.out)) << "out";
    EXPECT_TRUE(holds(kOsStandardError, c.err)) << "err";
    SimRegBeforeDataRead(nullptr);
    EXPECT_EQ(0, reads);
    EXPECT_EQ(0, SimRemovalCount());
    EXPECT_EQ(0, SimRegWriteCount());
  }
  EXPECT_EQ(std::u16string(u"Varnick"), SimMessageBoxes()[0].caption);
}

// Lines that never arrived change the code of a run that went well (0, 4)
// to 7; a failure's own code stands. An interruption stops the removals
// after the device being removed, saves and reports what was freed, and
// ends with the code Windows gives an interrupted program, unless a
// removal failed or ComDB was not written.
TEST_F(Batch, NothingIsReportedDoneThatWasNot) {
  const struct {
    const char16_t* args;
    int32_t failingStream;  // 0: none
    int interruptAfter;     // removals; -1: never
    bool removalFails;      // COM2's
    bool writeFails;
    int32_t code;
    const char16_t* out;
    Bytes stored;
  } cases[] = {
      {u"/l", kOsStandardOutput, -1, true, false, 7, u"", {0x0F}},
      {u"/n", kOsStandardOutput, -1, true, false, 7, u"", {0x0F}},
      {u"/c", kOsStandardOutput, -1, true, false, 7, u"", {0x0E}},
      {u"/r /q", kOsStandardOutput, -1, true, false, 2, u"", {0x03}},  // the removal's failure stands
      {u"/r /q", 0, 1, false, false, static_cast<int32_t>(0xC000013A),
       u"removed COM3 ACPI\\PNP0501\\1_COM3\r\nfreed COM3\r\n", {0x0B}},
      {u"/c /r /q", 0, 1, true, false, 2,
       u"freed COM1\r\nremoved COM3 ACPI\\PNP0501\\1_COM3\r\nfreed COM3\r\n", {0x0A}},
      {u"/r /q", 0, 1, false, true, 5, u"removed COM3 ACPI\\PNP0501\\1_COM3\r\n", {0x0F}},
  };
  for (const auto& c : cases) {
    SimReset();
    Seed(Bytes{0x0F});
    if (c.removalFails) {
      SimAddDevice(Failing(u"COM2"));
    } else {
      SimAddPort(u"COM2");
    }
    if (c.writeFails) SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied, 9);
    SimAddPort(u"COM3", false);
    SimAddPort(u"COM4", false);
    if (c.failingStream != 0) SimFailOutput(c.failingStream);
    SimInterruptAfterRemovals(c.interruptAfter);
    SCOPED_TRACE(std::string(c.args, c.args + std::char_traits<char16_t>::length(c.args)));
    EXPECT_EQ(c.code, AppMain(1, c.args, 10));
    EXPECT_EQ(std::u16string(c.out), SimOutput(kOsStandardOutput));
    EXPECT_EQ(c.stored, Stored());
  }
}

// /m's lines and codes: moved (or would be), restart needed, refusals
// naming the holder, a failed move; the repairs run first, so /c frees the
// number a move then takes.
TEST_F(Batch, MovesReportTheirLinesAndCodes) {
  const struct {
    const char16_t* args;
    bool restart, fails;
    int32_t code;
    const char16_t* out;
    const char16_t* err;
    bool notUndone = false;  // the restart fails, and so does writing PortName back
    Bytes stored = {};       // ComDB afterwards; empty: not looked at
  } cases[] = {
      {u"/m COM5 COM3", false, false, 0, u"moved COM5 ROOT\\MOVER to COM3\r\n", u""},
      {u"/n /m root\\mover COM3", false, false, 4, u"would move COM5 ROOT\\MOVER to COM3\r\n", u""},
      {u"/m COM5 COM3", true, false, 3010, u"moved COM5 ROOT\\MOVER to COM3\r\n",
       u"Restart Windows for ROOT\\MOVER to take its new number\r\n"},
      {u"/m COM5 COM3 /q", false, true, 10, u"", u"ACCESS_DENIED moving ROOT\\MOVER\r\n"},
      {u"/m COM5 COM2", false, false, 9, u"", u"COM2 is held by ROOT\\OTHER\r\n"},
      {u"/m COM7 COM3 /m COM5 COM2", false, false, 9, u"", u"No serial port device: COM7\r\n"
                                                           u"COM2 is held by ROOT\\OTHER\r\n"},
      {u"/c /m COM5 COM1", false, false, 0, u"freed COM1\r\nmoved COM5 ROOT\\MOVER to COM1\r\n", u""},
      // PortName still names COM3, which therefore stays reserved.
      {u"/m COM5 COM3 /q", false, false, 11, u"",
       u"ACCESS_DENIED moving ROOT\\MOVER\r\n"
       u"ROOT\\MOVER: what the move had done could not all be undone\r\n",
       true, {0x17}},
      // The gravest code wins, whatever the order of the pairs.
      {u"/q /m COM5 COM2 /m COM5 COM3", false, false, 11, u"",
       u"COM2 is held by ROOT\\OTHER\r\nACCESS_DENIED moving ROOT\\MOVER\r\n"
       u"ROOT\\MOVER: what the move had done could not all be undone\r\n",
       true},
  };
  for (const auto& c : cases) {
    SimReset();
    Seed(Bytes{0x13});  // COM1 stale, COM2, COM5
    SimDevice mover;
    mover.classGuid = kSimPortsClass;
    mover.deviceId = u"ROOT\\MOVER";
    mover.portName = u"COM5";
    mover.restartNeeded = c.restart;
    mover.portNameWriteStatus = c.fails ? kOsErrorAccessDenied : 0;
    mover.restartError = c.notUndone ? kOsErrorAccessDenied : 0;
    SimAddDevice(mover);
    if (c.notUndone) SimDuringRestart([] { SimRegFail(kSimRegSet, kOsErrorAccessDenied, 1, u"PortName"); });
    SimDevice other = mover;
    other.deviceId = u"ROOT\\OTHER";
    other.portName = u"COM2";
    SimAddDevice(other);
    SCOPED_TRACE(std::string(c.args, c.args + std::char_traits<char16_t>::length(c.args)));
    EXPECT_EQ(c.code, AppMain(1, c.args, 10));
    EXPECT_EQ(std::u16string(c.out), SimOutput(kOsStandardOutput));
    EXPECT_EQ(std::u16string(c.err), SimOutput(kOsStandardError));
    if (!c.stored.empty()) {
      EXPECT_EQ(c.stored, Stored());
    }
  }
}

// A swap through a free number, of two ports whose driver names each in
// SERIALCOMM and names it anew when it restarts: each move finds the
// names as the moves before it left them.
TEST_F(Batch, PortsASerialDriverNamesSwapThroughAFreeNumber) {
  Seed(Bytes{0x0C, 0x00});  // COM3, COM4
  int ports[2];
  for (int i = 0; i < 2; i++) {
    SimDevice d;
    d.classGuid = kSimPortsClass;
    d.deviceId = i == 0 ? u"ROOT\\A" : u"ROOT\\B";
    d.portName = i == 0 ? u"COM3" : u"COM4";
    d.kernelName = i == 0 ? u"\\Device\\Serial0" : u"\\Device\\Serial1";
    d.namesLive = true;
    ports[i] = SimAddDevice(d);
  }
  EXPECT_EQ(0, AppMain(1, u"/m COM3 COM9 /m COM4 COM3 /m COM9 COM4 /q", 10));
  EXPECT_EQ(u"", SimOutput(kOsStandardError));
  EXPECT_EQ(u"COM4", SimDeviceAt(ports[0]).portName);
  EXPECT_EQ(u"COM3", SimDeviceAt(ports[1]).portName);
  EXPECT_EQ(u"COM4", SimLiveName(u"\\Device\\Serial0"));
  EXPECT_EQ(u"COM3", SimLiveName(u"\\Device\\Serial1"));
  EXPECT_EQ((Bytes{0x0C, 0x00}), Stored());
}

// Each number is released on its own: of a write that fails in part, the
// numbers ComDB now holds free are told, then the failure, and the code 5.
// A database that does not open frees nothing: it is not gone around.
TEST_F(Batch, AFailedWriteTellsWhatWasFreed) {
  const struct {
    const char* name;
    SimPortDatabaseCall call;
    const char16_t* freed;
    Bytes stored;
  } cases[] = {
      {"the first release fails", kSimPortDbRelease, u"freed COM2\r\n", {0x01}},
      {"ComDBOpen fails", kSimPortDbOpen, u"", {0x03}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    Seed(Bytes{0x03});
    SimPortDatabaseFail(c.call, kOsErrorAccessDenied);
    EXPECT_EQ(5, AppMain(1, u"/c /q", 10));
    EXPECT_EQ(std::u16string(c.freed), SimOutput(kOsStandardOutput));
    EXPECT_EQ(u"ComDB could not be written: ACCESS_DENIED\r\n", SimOutput(kOsStandardError));
    EXPECT_EQ(c.stored, Stored());
  }
}
