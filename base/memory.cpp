#include "base/memory.h"

OsHeap processHeap;

// A corrupt heap cannot be trusted to report, clean up or save anything:
// beep so that someone at the machine notices, then stop at once.
static void CheckHeap(uint32_t beepMilliseconds) {
  if (OsHeapValidate(processHeap)) return;
  OsBeep(1000, beepMilliseconds);
  OsFailFast();
}

void* MemAlloc(uint64_t bytes) {
  CheckHeap(3000);
  void* block;
  while (OsHeapAlloc(processHeap, bytes, &block) != kOsErrorSuccess) OsSleep(500);
  CheckHeap(3000);
  return block;
}

void MemFree(void* block) {
  if (block == nullptr) return;
  CheckHeap(1000);
  OsHeapFree(processHeap, block);
  CheckHeap(1000);
}

void* MemResize(void* block, uint64_t kept, uint64_t bytes) {
  void* resized = MemAlloc(bytes);
  if (block != nullptr) {
    MemCopy(resized, block, kept < bytes ? kept : bytes);
    MemFree(block);
  }
  return resized;
}

void* MemFill(void* destination, uint8_t value, uint64_t count) {
  auto* d = static_cast<uint8_t*>(destination);
  for (uint64_t i = 0; i < count; i++) d[i] = value;
  return destination;
}

void* MemCopy(void* destination, const void* source, uint64_t count) {
  auto* d = static_cast<uint8_t*>(destination);
  auto* s = static_cast<const uint8_t*>(source);
  for (uint64_t i = 0; i < count; i++) d[i] = s[i];
  return destination;
}

int32_t MemCompare(const void* a, const void* b, uint64_t count) {
  auto* x = static_cast<const uint8_t*>(a);
  auto* y = static_cast<const uint8_t*>(b);
  for (uint64_t i = 0; i < count; i++) {
    if (x[i] != y[i]) return static_cast<int32_t>(x[i]) - static_cast<int32_t>(y[i]);
  }
  return 0;
}
