// Memory from the process heap that never reports failure, and byte routines.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// Taken at entry, before anything allocates.
extern OsHeap processHeap;

// A zero-filled block of n bytes. Waits and retries while the heap has no
// memory; never returns null. Stops the process when the heap is corrupt.
void* MemAlloc(uint64_t bytes);
// Releases a block from MemAlloc (never null: callers test first).
void MemFree(void* block);
void* MemFill(void* destination, uint8_t value, uint64_t count);
// Copies byte by byte from the first to the last.
void* MemCopy(void* destination, const void* source, uint64_t count);
// 0 when equal, else the first unequal byte of a minus that of b, unsigned.
int32_t MemCompare(const void* a, const void* b, uint64_t count);
