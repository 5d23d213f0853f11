#include "base/memory.h"

#include <gtest/gtest.h>

#include <vector>

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

// How a scope with a holder of {1, 2, 3, 4} ends; the block it handed
// over, if any.
enum HolderEnd { kScopeEnds, kLeftEarly, kReset, kResized, kAdopted, kReleased };

static int32_t* EndScope(HolderEnd end, std::vector<int32_t>* seen) {
  HeapBlock<int32_t> held(4);
  for (int32_t i = 0; i < 4; i++) held[i] = i + 1;
  if (end == kLeftEarly) return nullptr;
  if (end == kReset) held.Reset(6);
  if (end == kResized) held.Resize(3, 6);
  if (end == kAdopted) {
    auto* other = static_cast<int32_t*>(MemAlloc(6 * sizeof(int32_t)));
    other[0] = 9;
    held.Adopt(other);
  }
  if (end == kReleased) return held.Release();
  seen->assign(held.Get(), held.Get() + (end == kScopeEnds ? 4 : 6));
  return nullptr;
}

TEST_F(Memory, HeldBlocksAreFreedOnceHoweverTheirScopeEnds) {
  const struct {
    HolderEnd end;
    std::vector<int32_t> seen;  // what the holder held last
  } kCases[] = {
      {kScopeEnds, {1, 2, 3, 4}},
      {kLeftEarly, {}},
      {kReset, {0, 0, 0, 0, 0, 0}},
      {kResized, {1, 2, 3, 0, 0, 0}},
      {kAdopted, {9, 0, 0, 0, 0, 0}},
      {kReleased, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.end);
    std::vector<int32_t> seen;
    int32_t* taken = EndScope(c.end, &seen);
    EXPECT_EQ(c.seen, seen);
    // Only a block handed over outlives the scope, whole, for its taker to free.
    EXPECT_EQ(c.end == kReleased ? 1 : 0, SimHeapBlocksInUse());
    if (taken != nullptr) {
      EXPECT_EQ(4, taken[3]);
      MemFree(taken);
    }
    EXPECT_EQ(0, SimHeapBlocksInUse());
  }
  // Nothing held, nothing freed: the heap is not even checked.
  SimHeapCorrupt(true);
  { HeapBlock<int32_t> none; }
  MemFree(nullptr);
  EXPECT_TRUE(SimBeeps().empty());
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
