// The unit tests' entry: the process heap is taken first, as at program entry.
#include <gtest/gtest.h>

#include "base/memory.h"

int main(int argc, char** argv) {
  processHeap = OsProcessHeap();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
