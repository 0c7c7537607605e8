#include "morstd/MorBinary.h"

#include <cstdint>
#include <cstring>

#include "morstd/MorAlloc.h"

namespace morstd {
namespace {

cMorBinary::ReleaseObserver releaseObserver = nullptr;

// The step grows with the size: a few hundred bytes of slack for small buffers, at
// most 256 KiB for payloads of many megabytes.
DWORD StepFor(DWORD n) {
  if (n <= 1024) return 256;
  if (n <= 10240) return 2560;
  if (n <= 102400) return 25600;
  if (n <= 524288) return 131072;
  return 262144;
}

}  // namespace

void cMorBinary::SetReleaseObserver(ReleaseObserver observer) { releaseObserver = observer; }

cMorBinary::~cMorBinary() { Clear(); }

void cMorBinary::Clear() {
  if (data) {
    MorWipe(data, capacity);
    if (releaseObserver) releaseObserver(data, capacity);
    MorFree(data);
  }
  data = nullptr;
  size = 0;
  capacity = 0;
}

DWORD cMorBinary::CapacityFor(DWORD n) {
  if (n > kMaxRequest) throw cMorBinaryException(kErrorTooLarge);
  if (n < 256) return 256;
  const DWORD step = StepFor(n);
  return step * (n / step + 1);
}

void cMorBinary::Assign(const void* source, DWORD length) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(source);
  const uintptr_t start = reinterpret_cast<uintptr_t>(data);
  const bool fromOwnBlock = data && at >= start && at < start + capacity;
  // The old block normally goes first, so that two large blocks are never held at
  // once; only a source inside it keeps it alive until the copy is made.
  if (!fromOwnBlock) Clear();

  BYTE* block = nullptr;
  DWORD newCapacity = 0;
  try {
    // The room for the terminating zero is part of the request; checking the length
    // first also keeps length + 1 from wrapping around.
    if (length >= kMaxRequest) throw cMorBinaryException(kErrorTooLarge);
    newCapacity = CapacityFor(length + 1);
    block = static_cast<BYTE*>(MorAllocZeroed(newCapacity));
    if (!block) throw cMorBinaryException(kErrorAllocation);
  } catch (...) {
    Clear();
    throw;
  }
  if (source) std::memcpy(block, source, length);
  Clear();
  data = block;
  size = length;
  capacity = newCapacity;
}

}  // namespace morstd
