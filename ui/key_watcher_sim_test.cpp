#include "ui/key_watcher.h"

#include <gtest/gtest.h>

#include <vector>

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
    shuttingDown = 0;
    watchedKey = 0;
  }
  void TearDown() override {
    shuttingDown = 0;
    watchedKey = 0;
  }
};

TEST_F(KeyWatcher, ArmsARefreshForEveryChangeAndEndsAtShutdown) {
  int waits = 0;
  SimRegOnWaitForChange([&waits]() -> int32_t {
    if (++waits == 4) shuttingDown = 1;  // shutdown closes the key: the wait returns 0
    return 0;
  });
  EXPECT_EQ(0u, WatchComArbiter(CountArm, &arms));
  EXPECT_EQ(3, arms);
}

TEST_F(KeyWatcher, AFailingWaitEndsTheWatcherInsteadOfSpinning) {
  int waits = 0;
  SimRegOnWaitForChange([&waits]() -> int32_t { return ++waits == 1 ? 0 : 1018; });
  EXPECT_EQ(1018u, WatchComArbiter(CountArm, &arms));  // KEY_DELETED
  EXPECT_EQ(1, arms);
  EXPECT_EQ(2, waits);
}

TEST_F(KeyWatcher, AMissingKeyEndsTheWatcherWithTheOpenError) {
  SimRegDeleteKey(kComArbiterPath);
  EXPECT_EQ(2u, WatchComArbiter(CountArm, &arms));
  EXPECT_EQ(0, arms);
  EXPECT_EQ(0, SimRegOpenKeyCount());
}

TEST_F(KeyWatcher, AShutdownBeforeTheFirstWaitClosesTheKeyItself) {
  shuttingDown = 1;
  SimRegOnWaitForChange([]() -> int32_t {
    ADD_FAILURE() << "waited after shutdown had begun";
    return 0;
  });
  EXPECT_EQ(0u, WatchComArbiter(CountArm, &arms));
  EXPECT_EQ(0, SimRegOpenKeyCount());
  EXPECT_EQ(0u, watchedKey.load());
}

}  // namespace
