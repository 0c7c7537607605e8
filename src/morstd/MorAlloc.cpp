// Heap blocks of the library, with the failure switch that tests use.
#include "morstd/MorAlloc.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace morstd {
namespace {
// Zero in production; worker threads allocate too, hence atomic.
std::atomic<int> failuresPending{0};
// Allocations still to succeed before the one that fails; -1 when none is armed.
std::atomic<int> successesBeforeFailure{-1};

bool ArmedFailureDue() {
  int skip = successesBeforeFailure.load();
  while (skip >= 0) {
    if (successesBeforeFailure.compare_exchange_weak(skip, skip - 1)) return skip == 0;
  }
  return false;
}
}  // namespace

void* MorAllocZeroed(size_t bytes) {
  if (ArmedFailureDue()) return nullptr;
  int pending = failuresPending.load();
  while (pending > 0) {
    if (failuresPending.compare_exchange_weak(pending, pending - 1)) return nullptr;
  }
  // calloc of 0 bytes may legitimately return null; one byte keeps "null" meaning failure.
  return std::calloc(bytes ? bytes : 1, 1);
}

void MorFree(void* block) { std::free(block); }

void MorWipe(void* block, size_t bytes) {
  if (!block || !bytes) return;
  std::memset(block, 0, bytes);
  // The empty asm claims to read the memory, so the stores above cannot be treated as
  // dead even when the block is freed on the next line.
  __asm__ __volatile__("" : : "r"(block) : "memory");
}

void MorFailNextAllocations(int count) {
  failuresPending.store(count > 0 ? count : 0);
  if (count <= 0) successesBeforeFailure.store(-1);
}

void MorFailAllocationAfter(int skip) { successesBeforeFailure.store(skip >= 0 ? skip : -1); }

}  // namespace morstd
