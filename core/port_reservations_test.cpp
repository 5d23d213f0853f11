#include "core/port_reservations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/registry_values.h"
#include "platform/os.h"
#include "tests/support/registry_fixture.h"

typedef std::vector<uint8_t> Bytes;

// These tests replace the machine's port database: they run on the
// simulated registry and in Wine's test prefix, never on a real machine.
class ComDb : public testing::Test {
 protected:
  void SetUp() override {
    if (!TestRegistryIsDisposable()) {
      GTEST_SKIP() << "would replace this machine's ComDB; runs only under Wine or simulated";
    }
    TestRegDeleteKey(kComArbiterPath);
  }
  void TearDown() override {
    Clear(&model);
    TestRegDeleteKey(kComArbiterPath);
  }
  void Seed(const Bytes& bytes, uint32_t type = kOsRegBinary) {
    TestRegSetValue(kComArbiterPath, kComDbName, type, bytes);
  }
  Bytes Stored(uint32_t* type = nullptr) {
    uint32_t storedType = 0;
    Bytes data;
    EXPECT_TRUE(TestRegGetValue(kComArbiterPath, kComDbName, &storedType, &data));
    if (type != nullptr) *type = storedType;
    return data;
  }
  std::vector<int> Reserved() {
    std::vector<int> ports;
    for (int32_t i = 0; i < model.portCount; i++) {
      if (model.reservedFlags[i]) ports.push_back(i + 1);
    }
    return ports;
  }

  PortReservations model = {};
};

TEST_F(ComDb, BitOrderIsLeastSignificantFirst) {
  Bytes bytes(32, 0);
  bytes[0] = 0x05;
  bytes[1] = 0x80;
  bytes[31] = 0x80;
  Seed(bytes);
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ((std::vector<int>{1, 3, 16, 256}), Reserved());
  EXPECT_EQ(4, CountReserved(&model));
}

TEST_F(ComDb, PortCountFollowsTheValueLength) {
  for (uint32_t length : {0u, 1u, 3u, 32u, 128u, 512u}) {
    Bytes bytes(length, 0xFF);
    Seed(bytes);
    EXPECT_EQ(static_cast<int32_t>(8 * length), Load(&model)) << length;
    EXPECT_EQ(static_cast<int32_t>(8 * length), CountReserved(&model));
  }
}

TEST_F(ComDb, TypeOfTheStoredValueIsNotExamined) {
  Seed(Bytes{0x02, 0x00, 0x00, 0x00}, kOsRegDword);
  EXPECT_EQ(32, Load(&model));
  EXPECT_EQ(std::vector<int>{2}, Reserved());
  Seed(Bytes{'C', 0, 0, 0}, kOsRegSz);
  Load(&model);
  EXPECT_EQ((std::vector<int>{1, 2, 7}), Reserved());  // 'C' is 0x43
}

TEST_F(ComDb, LoadThenSaveWritesBackTheSameBytes) {
  Bytes bytes = {0x05, 0x00, 0x80, 0xFF, 0x10, 0x01, 0x00, 0x7E};
  Seed(bytes);
  Load(&model);
  EXPECT_TRUE(Save(&model));
  uint32_t type = 0;
  EXPECT_EQ(bytes, Stored(&type));
  EXPECT_EQ(kOsRegBinary, type);
}

TEST_F(ComDb, SaveTakesEveryBitFromTheFlags) {
  Seed(Bytes{0xFF, 0xFF});
  EXPECT_EQ(16, Load(&model));
  for (int32_t i = 0; i < 16; i++) model.reservedFlags[i] = 0;
  model.reservedFlags[0] = 1;
  model.reservedFlags[8] = 7;  // any nonzero flag reserves
  EXPECT_EQ(2, CountReserved(&model));
  EXPECT_TRUE(Save(&model));
  EXPECT_EQ((Bytes{0x01, 0x01}), Stored());
}

TEST_F(ComDb, OddLengthIsWrittenBackWhole) {
  Seed(Bytes{0x00, 0x00, 0x00});
  EXPECT_EQ(24, Load(&model));
  model.reservedFlags[23] = 1;
  EXPECT_TRUE(Save(&model));
  EXPECT_EQ((Bytes{0x00, 0x00, 0x80}), Stored());
}

TEST_F(ComDb, EmptyValueStaysEmpty) {
  Seed(Bytes{});
  EXPECT_EQ(0, Load(&model));
  EXPECT_EQ(0, CountReserved(&model));
  EXPECT_TRUE(Save(&model));
  EXPECT_EQ(Bytes{}, Stored());
}

TEST_F(ComDb, MissingKeyGives256FreePortsAndSaveCreatesIt) {
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ(0, CountReserved(&model));
  model.reservedFlags[255] = 1;
  EXPECT_TRUE(Save(&model));
  Bytes expected(32, 0);
  expected[31] = 0x80;
  EXPECT_EQ(expected, Stored());
}

TEST_F(ComDb, MissingValueInAnExistingKey) {
  TestRegSetValue(kComArbiterPath, u"Other", kOsRegBinary, Bytes{0xFF});
  EXPECT_EQ(256, Load(&model));
  EXPECT_EQ(0, CountReserved(&model));
  EXPECT_TRUE(Save(&model));
  EXPECT_EQ(Bytes(32, 0), Stored());
}

// Another program shortened the value after the load: a number freed
// beyond its new end is free already, one reserved there cannot be.
TEST_F(ComDb, ANumberBeyondAValueShortenedMeanwhileIsNotReserved) {
  Seed(Bytes{0x00, 0x01});
  Load(&model);
  Seed(Bytes{0x00});
  model.reservedFlags[8] = 0;
  EXPECT_TRUE(Save(&model));
  EXPECT_EQ(8, model.portCount);  // the model holds what is stored
  Seed(Bytes{0x00, 0x00});
  Load(&model);
  Seed(Bytes{0x00});
  model.reservedFlags[11] = 1;
  model.reservedFlags[2] = 1;
  Failure failure = {};
  EXPECT_FALSE(Save(&model, &failure));
  EXPECT_EQ(kComDbUnwritten, failure.kind);
  EXPECT_EQ(0u, failure.errorCode);
  EXPECT_EQ(Bytes{0x04}, Stored());  // what could be written was
}

TEST_F(ComDb, ReloadReplacesTheModel) {
  Seed(Bytes(64, 0xFF));
  Load(&model);
  Seed(Bytes{0x01});
  EXPECT_EQ(8, Load(&model));
  EXPECT_EQ(std::vector<int>{1}, Reserved());
  Clear(&model);
  EXPECT_EQ(0, model.portCount);
  EXPECT_EQ(nullptr, model.rawBytes);
  EXPECT_EQ(nullptr, model.reservedFlags);
  EXPECT_EQ(0, CountReserved(&model));
}

TEST_F(ComDb, NeverLoadedModelWritesNothing) {
  Seed(Bytes{0x0F});
  EXPECT_FALSE(Save(&model));
  EXPECT_EQ(Bytes{0x0F}, Stored());
}

// The registry-value routines, on the same key.

TEST_F(ComDb, ReadRegStringTurnsADwordIntoDecimalText) {
  TestRegSetValue(kComArbiterPath, u"Five", kOsRegDword, Bytes{5, 0, 0, 0});
  TestRegSetValue(kComArbiterPath, u"Minus", kOsRegDword, Bytes{0xFE, 0xFF, 0xFF, 0xFF});
  char16_t text[14] = {};
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, kComArbiterPath, u"Five", text, 28));
  EXPECT_EQ(std::u16string(u"5"), text);
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, kComArbiterPath, u"Minus", text, 28));
  EXPECT_EQ(std::u16string(u"-2"), text);
}

TEST_F(ComDb, ReadRegStringOfMissingValueOrKeyIsEmpty) {
  TestRegSetValue(kComArbiterPath, u"Other", kOsRegBinary, Bytes{1});
  char16_t text[14] = {u'x'};
  EXPECT_FALSE(ReadRegString(kOsLocalMachine, kComArbiterPath, u"PortName", text, 28));
  EXPECT_EQ(0, text[0]);
  text[0] = u'x';
  EXPECT_FALSE(ReadRegString(kOsLocalMachine, u"SYSTEM\\No Such Key", u"PortName", text, 28));
  EXPECT_EQ(0, text[0]);
}

TEST_F(ComDb, ReadRegStringReadsText) {
  const Bytes com3 = {'C', 0, 'O', 0, 'M', 0, '3', 0, 0, 0};
  TestRegSetValue(kComArbiterPath, u"PortName", kOsRegSz, com3);
  char16_t text[14] = {};
  EXPECT_TRUE(ReadRegString(kOsLocalMachine, kComArbiterPath, u"PortName", text, 26));
  EXPECT_EQ(std::u16string(u"COM3"), text);
}

TEST_F(ComDb, QueryAndReadBinary) {
  Seed(Bytes{1, 2, 3});
  uint32_t size = 0;
  EXPECT_TRUE(QueryRegValueSize(kOsLocalMachine, kComArbiterPath, kComDbName, &size));
  EXPECT_EQ(3u, size);
  uint8_t bytes[8] = {};
  EXPECT_EQ(3u, ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, bytes, 8));
  EXPECT_EQ(3, bytes[2]);
  // Too small a buffer is a failed read.
  EXPECT_EQ(0u, ReadRegBinary(kOsLocalMachine, kComArbiterPath, kComDbName, bytes, 2));
  EXPECT_FALSE(QueryRegValueSize(kOsLocalMachine, kComArbiterPath, u"None", &size));
  EXPECT_EQ(static_cast<uint32_t>(kOsErrorFileNotFound), OsGetLastError());
  EXPECT_FALSE(QueryRegValueSize(kOsLocalMachine, u"SYSTEM\\No Such Key", kComDbName, &size));
  EXPECT_EQ(static_cast<uint32_t>(kOsErrorFileNotFound), OsGetLastError());
}

TEST_F(ComDb, WriteRegBinaryCreatesTheKeyPath) {
  const char16_t* path = u"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter\\Deeper\\Still";
  EXPECT_TRUE(WriteRegBinary(kOsLocalMachine, path, u"Value", nullptr, 0));
  uint32_t type = 0;
  Bytes data;
  EXPECT_TRUE(TestRegGetValue(path, u"Value", &type, &data));
  EXPECT_EQ(kOsRegBinary, type);
  EXPECT_TRUE(data.empty());
}
