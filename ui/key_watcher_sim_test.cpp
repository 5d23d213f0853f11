#include "ui/key_watcher.h"

#include <gtest/gtest.h>

#include "core/port_reservations.h"
#include "platform/sim/sim.h"

namespace {

int arms = 0;
void CountArm(void* context) { *static_cast<int*>(context) += 1; }

class KeyWatcher : public testing::Test {
 protected:
  void SetUp() override {
    SimReset();
    SimRegCreateKey(kComArbiterPath);
    arms = 0;
    ASSERT_EQ(kOsErrorSuccess, OsCreateEvent(true, &stop));
  }
  void TearDown() override {
    OsCloseEvent(stop);
    // The watcher's own key and event are gone whichever way it ended.
    EXPECT_EQ(0, SimRegOpenKeyCount());
    EXPECT_EQ(0, SimOpenEventCount());
  }
  OsEvent stop = 0;
};

// Shutdown sets the stop while the watcher waits; the key stays open for
// every wait and is closed by the watcher after its last.
TEST_F(KeyWatcher, ArmsARefreshForEveryChangeAndEndsAtTheStop) {
  int waits = 0;
  SimRegOnWaitForChange([&]() -> int32_t {
    EXPECT_EQ(1, SimRegOpenKeyCount()) << "waited on a closed key";
    if (++waits == 4) OsSetEvent(stop);
    return 0;
  });
  EXPECT_EQ(0u, WatchComArbiter(stop, CountArm, &arms));
  EXPECT_EQ(3, arms);
  EXPECT_EQ(4, waits);
}

TEST_F(KeyWatcher, AFailingWaitEndsTheWatcherInsteadOfSpinning) {
  int waits = 0;
  SimRegOnWaitForChange([&waits]() -> int32_t { return ++waits == 1 ? 0 : 1018; });
  EXPECT_EQ(1018u, WatchComArbiter(stop, CountArm, &arms));  // KEY_DELETED
  EXPECT_EQ(1, arms);
  EXPECT_EQ(2, waits);
}

TEST_F(KeyWatcher, AMissingKeyEndsTheWatcherWithTheOpenError) {
  SimRegDeleteKey(kComArbiterPath);
  EXPECT_EQ(2u, WatchComArbiter(stop, CountArm, &arms));
  EXPECT_EQ(0, arms);
}

TEST_F(KeyWatcher, AStopBeforeTheFirstWaitEndsTheWatcherAtOnce) {
  OsSetEvent(stop);
  SimRegOnWaitForChange([]() -> int32_t {
    ADD_FAILURE() << "waited after shutdown had begun";
    return 0;
  });
  EXPECT_EQ(0u, WatchComArbiter(stop, CountArm, &arms));
  EXPECT_EQ(0, arms);
}

}  // namespace
