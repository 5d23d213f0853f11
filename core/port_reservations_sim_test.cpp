// Failures the real registry seldom gives: reads that fail after the size
// query, values that grow in between, refused access.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/port_reservations.h"
#include "core/registry_values.h"
#include "platform/sim/sim.h"

typedef std::vector<uint8_t> Bytes;

class ComDbSim : public testing::Test {
 protected:
  void SetUp() override { SimReset(); }
  void TearDown() override {
    Clear(&model);
    EXPECT_EQ(0, SimRegOpenKeyCount()) << "a key was left open";
  }
  void Seed(const Bytes& bytes) { SimRegSetValue(kComArbiterPath, kComDbName, kOsRegBinary, bytes); }
  Bytes Stored() { return SimRegValue(kComArbiterPath, kComDbName); }

  PortReservations model = {};
};

TEST_F(ComDbSim, ValueThatGrewIsReadWholeOnTheNextTry) {
  Seed(Bytes(32, 0));
  int reads = 0;
  SimRegBeforeDataRead([&] {
    if (reads++ == 0) Seed(Bytes(64, 0x01));
  });
  EXPECT_EQ(512, Load(&model));
  EXPECT_EQ(64, CountReserved(&model));
  EXPECT_EQ(0, model.storedValueUnread);
  EXPECT_EQ(2, reads);
}

TEST_F(ComDbSim, ValueThatShrankIsReadAgain) {
  Seed(Bytes(64, 0xFF));
  int reads = 0;
  SimRegBeforeDataRead([&] {
    if (reads++ == 0) Seed(Bytes(32, 0x01));
  });
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ(32, CountReserved(&model));
}

TEST_F(ComDbSim, UnreadableValueShowsFreePortsButIsNeverOverwritten) {
  Bytes stored(32, 0xFF);
  Seed(stored);
  SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100);
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ(0, CountReserved(&model));
  model.reservedFlags[0] = 1;
  EXPECT_FALSE(Save(&model));
  EXPECT_EQ(stored, Stored());
  EXPECT_EQ(0, SimRegWriteCount());
}

TEST_F(ComDbSim, ReadThatSucceedsWithinTheRetriesIsTrusted) {
  Seed(Bytes{0x03});
  SimRegFail(kSimRegQueryData, kOsErrorMoreData, 2);
  EXPECT_EQ(8, Load(&model));
  EXPECT_EQ(2, CountReserved(&model));
  EXPECT_TRUE(Save(&model));
}

TEST_F(ComDbSim, UnmeasurableValueIsNeverOverwritten) {
  Seed(Bytes{0xFF});
  SimRegFail(kSimRegQuerySize, kOsErrorAccessDenied);
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ(0, CountReserved(&model));
  EXPECT_FALSE(Save(&model));
  EXPECT_EQ(Bytes{0xFF}, Stored());
}

// A save claims and releases through the system's routines where there
// are any, and only where there are none merges its changes into the value
// as just read; a database that does not open fails the save. Written, in
// part or not at all, the model then holds what is stored, so that the
// next save writes only its own change.
TEST_F(ComDbSim, ASaveClaimsAndReleasesWhereItCanAndElseWritesTheValue) {
  typedef std::vector<std::string> Calls;
  const Calls kBoth = {"open", "claim 2", "release 3", "close"};
  const struct {
    const char* name;
    std::function<void()> fault;
    Calls calls;
    Bytes stored;  // 1 and 3 reserved before; the save reserves 2 and frees 3
    FailureKind kind;
    uint32_t code;
  } cases[] = {
      {"the routines", [] {}, kBoth, {0x03}, kNoFailure, 0},
      {"claimed meanwhile", [this] { Seed(Bytes{0x07}); }, kBoth, {0x03}, kNoFailure, 0},
      {"no routines", [] { SimSetPortDatabaseAvailable(false); }, {}, {0x03}, kNoFailure, 0},
      {"ComDBOpen fails", [] { SimPortDatabaseFail(kSimPortDbOpen, kOsErrorAccessDenied); },
       {"open"}, {0x05}, kComDbUnwritten, 5},
      {"ComDBOpen fails, and the value cannot be read",
       [] {
         SimPortDatabaseFail(kSimPortDbOpen, 1450);
         SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName);
       },
       {"open"}, {0x05}, kComDbUnwritten, 1450},
      {"a claim fails", [] { SimPortDatabaseFail(kSimPortDbClaim, 2250); }, kBoth, {0x01},
       kComDbUnwritten, 2250},
      {"a release fails", [] { SimPortDatabaseFail(kSimPortDbRelease, kOsErrorAccessDenied); },
       kBoth, {0x07}, kComDbUnwritten, 5},
      {"the value cannot be read again",
       [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName); }, {"open", "close"},
       {0x05}, kComDbUnread, 0},
      {"the value cannot be written",
       [] { SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100, kComDbName); }, kBoth, {0x05},
       kComDbUnwritten, 5},
      {"the key cannot be opened for writing, nor the routines",
       [] { SimRegFail(kSimRegCreate, kOsErrorAccessDenied, 100); }, {"open"}, {0x05},
       kComDbUnwritten, 5},
      {"no routines, and the value cannot be written",
       [] {
         SimSetPortDatabaseAvailable(false);
         SimRegFail(kSimRegSet, kOsErrorAccessDenied, 100, kComDbName);
       },
       {}, {0x05}, kComDbUnwritten, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    Seed(Bytes{0x05});
    Load(&model);
    model.reservedFlags[1] = 1;
    model.reservedFlags[2] = 0;
    c.fault();
    Failure failure = {};
    EXPECT_EQ(c.kind == kNoFailure, Save(&model, &failure));
    EXPECT_EQ(c.kind, failure.kind);
    EXPECT_EQ(c.code, failure.errorCode);
    EXPECT_EQ(c.calls, SimPortDatabaseCalls());
    EXPECT_EQ(0, SimPortDatabasesOpen());
    EXPECT_EQ(c.stored, Stored());
    EXPECT_EQ(8, model.portCount);
    EXPECT_EQ(c.stored[0], model.rawBytes[0]);
    for (int32_t i = 0; i < 8; i++) EXPECT_EQ(c.stored[0] >> i & 1, model.reservedFlags[i]) << i;
    // Nothing failed is left for the next save, which writes its own change.
    SimReset();
    Seed(c.stored);
    model.reservedFlags[7] = 1;
    EXPECT_TRUE(Save(&model));
    EXPECT_EQ(Bytes{static_cast<uint8_t>(c.stored[0] | 0x80)}, Stored());
  }
}

// A save reads the value again before it writes: when that fails, or the
// value has meanwhile grown past what Windows writes, nothing is written.
TEST_F(ComDbSim, ASaveThatCannotReadTheValueAgainWritesNothing) {
  const Bytes tooLong(kLargestComDbBytes + 1, 0x01);
  for (bool grows : {false, true}) {
    SCOPED_TRACE(grows ? "grown too long" : "unreadable");
    Seed(Bytes{0x01});
    Load(&model);
    model.reservedFlags[1] = 1;
    if (grows) {
      Seed(tooLong);
    } else {
      SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 100, kComDbName);
    }
    EXPECT_FALSE(Save(&model));
    EXPECT_EQ(grows ? tooLong : Bytes{0x01}, Stored());
    EXPECT_EQ(0, model.reservedFlags[1]);  // as last known to be stored
    SimRegFail(kSimRegQueryData, 0, 0);
  }
  EXPECT_EQ(0, SimRegWriteCount());
}

TEST_F(ComDbSim, ALongerValueThanWindowsWritesIsShownUpToItsLimitAndNeverWritten) {
  Bytes stored(kLargestComDbBytes + 1, 0);
  stored[0] = 0x01;
  stored[kLargestComDbBytes - 1] = 0x80;
  stored[kLargestComDbBytes] = 0xFF;  // beyond what is modelled
  Seed(stored);
  EXPECT_EQ(4096, Load(&model));
  EXPECT_EQ(2, CountReserved(&model));
  EXPECT_NE(0, model.reservedFlags[4095]);
  EXPECT_EQ(1, model.storedValueTooLong);
  model.reservedFlags[1] = 1;
  EXPECT_FALSE(Save(&model));
  EXPECT_EQ(stored, Stored());
  EXPECT_EQ(0, SimRegWriteCount());
}

TEST_F(ComDbSim, AHugeValueIsNotReadAndTakesBoundedMemory) {
  // 256 MiB would need 8 GiB of flags modelled whole; this is not even read.
  for (uint32_t length : {(1u << 20) + 1, 64u << 20}) {
    Seed(Bytes(length, 0xFF));
    EXPECT_EQ(4096, Load(&model)) << length;
    EXPECT_EQ(0, CountReserved(&model));
    EXPECT_EQ(1, model.storedValueTooLong);
    EXPECT_FALSE(Save(&model));
    EXPECT_EQ(length, Stored().size());
  }
  // Back to a value Windows writes: modelled and written as before.
  Seed(Bytes{0x03});
  EXPECT_EQ(8, Load(&model));
  EXPECT_EQ(0, model.storedValueTooLong);
  EXPECT_TRUE(Save(&model));
}

TEST_F(ComDbSim, AGrowthClosesTheDatabaseItOpenedWhicheverWayItEnds) {
  const std::vector<std::string> kGrown = {"open", "resize 1024", "close"};
  const struct {
    const char* name;
    std::function<void()> fault;
    Bytes seeded;
    std::vector<std::string> calls;
    size_t storedSize;
    FailureKind kind;
    uint32_t code;
  } cases[] = {
      {"grown by the routine", [] {}, Bytes(32), kGrown, 128, kNoFailure, 0},
      {"as long already", [] {}, Bytes(128), {"open", "close"}, 128, kNoFailure, 0},
      {"the routine fails", [] { SimPortDatabaseFail(kSimPortDbResize, 24); }, Bytes(32), kGrown,
       32, kComDbUnwritten, 24},
      {"the database does not open", [] { SimPortDatabaseFail(kSimPortDbOpen, 1450); }, Bytes(32),
       {"open"}, 32, kComDbUnwritten, 1450},
      {"the value cannot be read again",
       [] { SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName); }, Bytes(32),
       {"open", "close"}, 32, kComDbUnwritten, 0},
      {"no routines: written longer", [] { SimSetPortDatabaseAvailable(false); }, Bytes(32), {},
       128, kNoFailure, 0},
      {"no routines, and the value cannot be read again",
       [] {
         SimSetPortDatabaseAvailable(false);
         SimRegFail(kSimRegQueryData, kOsErrorAccessDenied, 3, kComDbName);
       },
       Bytes(32), {}, 32, kComDbUnwritten, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimReset();
    Seed(c.seeded);
    Load(&model);
    c.fault();
    Failure failure = {};
    EXPECT_EQ(c.kind == kNoFailure, GrowPortDatabase(&model, 1024, &failure));
    EXPECT_EQ(c.kind, failure.kind);
    EXPECT_EQ(c.code, failure.errorCode);
    EXPECT_EQ(c.calls, SimPortDatabaseCalls());
    EXPECT_EQ(0, SimPortDatabasesOpen());
    EXPECT_EQ(c.storedSize, Stored().size());
    EXPECT_EQ(static_cast<int32_t>(c.storedSize * 8), model.portCount);
    Clear(&model);
    EXPECT_EQ(0, SimHeapBlocksInUse());
  }
}

TEST(RegistryValuesSim, FailuresReportTheRegistryStatus) {
  SimReset();
  uint32_t size = 0;
  SimRegCreateKey(kComArbiterPath);
  SimRegFail(kSimRegOpen, kOsErrorAccessDenied);
  EXPECT_FALSE(QueryRegValueSize(kOsLocalMachine, kComArbiterPath, kComDbName, &size));
  EXPECT_EQ(5u, OsGetLastError());
  // The other routines leave the last error alone.
  OsSetLastError(1234);
  char16_t text[8] = {u'x'};
  SimRegFail(kSimRegOpen, kOsErrorAccessDenied);
  EXPECT_FALSE(ReadRegString(kOsLocalMachine, kComArbiterPath, kComDbName, text, 16));
  EXPECT_EQ(0, text[0]);
  uint8_t bytes[4];
  EXPECT_EQ(0u, ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, bytes, 4));
  SimRegFail(kSimRegCreate, kOsErrorAccessDenied);
  EXPECT_FALSE(WriteRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, bytes, 4));
  EXPECT_EQ(1234u, OsGetLastError());
  EXPECT_EQ(0, SimRegOpenKeyCount());
}

TEST(RegistryValuesSim, ReadRegStringOfOddValues) {
  SimReset();
  const std::u16string path = u"SYSTEM\\X";
  char16_t text[14];
  // A DWORD read with a limit under four bytes fails to read, yet its type
  // is known: its text comes from the zeroed buffer, never from beyond the
  // limit, and stays within it.
  SimRegSetValue(path, u"D", kOsRegDword, Bytes{7, 0, 0, 0});
  std::fill(text, text + 14, u'x');
  EXPECT_FALSE(ReadRegString(kOsLocalMachine, path.c_str(), u"D", text, 3));
  EXPECT_EQ(0, text[0]);
  EXPECT_EQ(u'x', text[1]);
  std::fill(text, text + 14, 0);
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, path.c_str(), u"D", text, 4));
  EXPECT_EQ(std::u16string(u"7"), text);
  // A short DWORD.
  SimRegSetValue(path, u"S", kOsRegDword, Bytes{9});
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, path.c_str(), u"S", text, 28));
  EXPECT_EQ(std::u16string(u"9"), text);
  // A text longer than the limit is not read at all.
  SimRegSetString(path, u"Long", u"COM1234567890123");
  std::fill(text, text + 14, 0);
  EXPECT_FALSE(ReadRegString(kOsLocalMachine, path.c_str(), u"Long", text, 26));
  // A binary value reads as whatever text its bytes make.
  SimRegSetValue(path, u"B", kOsRegBinary, Bytes{'C', 0, 'O', 0, 'M', 0, '1', 0});
  std::fill(text, text + 14, 0);
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, path.c_str(), u"B", text, 26));
  EXPECT_EQ(std::u16string(u"COM1"), text);
}
