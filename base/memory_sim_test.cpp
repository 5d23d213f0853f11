#include "base/memory.h"

#include <gtest/gtest.h>

#include "platform/sim/sim.h"

class Memory : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
  }
};

TEST_F(Memory, BlocksAreZeroFilledAndEmptyOnesAreValid) {
  auto* block = static_cast<uint8_t*>(MemAlloc(100));
  for (int i = 0; i < 100; i++) EXPECT_EQ(0, block[i]);
  MemFree(block);
  void* empty = MemAlloc(0);
  EXPECT_NE(nullptr, empty);
  MemFree(empty);
}

TEST_F(Memory, OutOfMemoryWaitsAndRetries) {
  SimHeapFailAllocations(3);
  void* block = MemAlloc(16);
  EXPECT_NE(nullptr, block);
  EXPECT_EQ((std::vector<uint32_t>{500, 500, 500}), SimSleeps());
  MemFree(block);
}

TEST_F(Memory, CorruptHeapBeepsAndStopsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SimHeapCorrupt(true);
        MemAlloc(8);
      },
      testing::ExitedWithCode(3), "beep 1000 3000\nfail-fast stop");
  EXPECT_EXIT(
      {
        void* block = MemAlloc(8);
        SimHeapCorrupt(true);
        MemFree(block);
      },
      testing::ExitedWithCode(3), "beep 1000 1000\nfail-fast stop");
}

TEST(MemBytes, FillCopyCompare) {
  uint8_t a[16], b[16];
  MemFill(a, 0xAB, 16);
  MemCopy(b, a, 16);
  EXPECT_EQ(0, MemCompare(a, b, 16));
  EXPECT_EQ(0, MemCompare(a, b, 0));
  uint8_t one = 0x01, high = 0xFF;
  EXPECT_EQ(-254, MemCompare(&one, &high, 1));
  EXPECT_EQ(254, MemCompare(&high, &one, 1));
  // Copy runs first to last, so an overlapping forward copy repeats bytes.
  uint8_t run[5] = {1, 2, 3, 4, 5};
  MemCopy(run + 1, run, 4);
  EXPECT_EQ(1, run[4]);
  EXPECT_EQ(a, MemFill(a, 0, 0));
  EXPECT_EQ(0xAB, a[0]);
}
