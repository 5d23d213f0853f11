// What the fuzz targets share: the process heap taken once, as at program
// entry, and a failed check that stops the run where libFuzzer sees it.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include "base/memory.h"

#define FUZZ_CHECK(condition)                                                  \
  do {                                                                         \
    if (!(condition)) {                                                        \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      abort();                                                                 \
    }                                                                          \
  } while (0)

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  processHeap = OsProcessHeap();
  return 0;
}
