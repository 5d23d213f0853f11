// Memory from the process heap that never reports failure, and byte routines.
#pragma once

#include <stdint.h>

#include "platform/os.h"

// Taken at entry, before anything allocates.
extern OsHeap processHeap;

// A zero-filled block of n bytes. Waits and retries while the heap has no
// memory; never returns null. Stops the process when the heap is corrupt.
void* MemAlloc(uint64_t bytes);
// Releases a block from MemAlloc; null is none. Called by the holder below,
// by MemResize and by the release procedures of the records that own
// blocks, nowhere else.
void MemFree(void* block);
// A new zero-filled block of `bytes` that begins with the first `kept`
// bytes of block, which it releases (null: none). How a record's block
// grows, or is replaced, without a second place that frees it.
void* MemResize(void* block, uint64_t kept, uint64_t bytes);
void* MemFill(void* destination, uint8_t value, uint64_t count);
// Copies byte by byte from the first to the last.
void* MemCopy(void* destination, const void* source, uint64_t count);
// 0 when equal, else the first unequal byte of a minus that of b, unsigned.
int32_t MemCompare(const void* a, const void* b, uint64_t count);

// A block of `count` T from MemAlloc, zero-filled, released when the
// holder goes, on every path out of its scope. Never copied. A block that
// outlives the holder is handed over by Release to an owner that frees it.
template <typename T>
class HeapBlock {
 public:
  HeapBlock() = default;
  explicit HeapBlock(uint64_t count) : block_(static_cast<T*>(MemAlloc(sizeof(T) * count))) {}
  ~HeapBlock() { MemFree(block_); }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;

  T& operator[](uint64_t i) const { return block_[i]; }
  T* Get() const { return block_; }
  // The block released, and a new zero-filled one of `count` held.
  T* Reset(uint64_t count) { return Resize(0, count); }
  // A new zero-filled block of `count` that keeps the first `kept`.
  T* Resize(uint64_t kept, uint64_t count) {
    block_ = static_cast<T*>(MemResize(block_, sizeof(T) * kept, sizeof(T) * count));
    return block_;
  }
  // Takes over a block from MemAlloc that another handed over.
  void Adopt(T* block) {
    MemFree(block_);
    block_ = block;
  }
  // Hands the block over: the holder then holds none, and the taker frees it.
  T* Release() {
    T* block = block_;
    block_ = nullptr;
    return block;
  }

 private:
  T* block_ = nullptr;
};

// A record on the heap that owns blocks or handles of its own (a model):
// its release procedure, then the block freed, when the holder goes, on
// every path out of its scope. Never copied.
template <typename T, void (*ReleaseRecord)(T*)>
class HeldRecord {
 public:
  HeldRecord() : block_(1) {}
  ~HeldRecord() { ReleaseRecord(block_.Get()); }

  T* Get() const { return block_.Get(); }

 private:
  HeapBlock<T> block_;
};
