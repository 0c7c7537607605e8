// Heap blocks of the library. Strings, lists and byte buffers take every block from
// here, so that a test can make allocations fail on demand and check the state each
// class is left in, without exhausting the machine's memory.
#pragma once

#include <cstddef>

namespace morstd {

// A zero-filled block of `bytes` bytes, or null when the heap has none. Never throws.
void* MorAllocZeroed(size_t bytes);
// Releases a block from MorAllocZeroed; null is ignored.
void MorFree(void* block);

// Overwrites `bytes` bytes at `block` with zeros. Unlike a plain memset before a free,
// the compiler may not drop it, so deciphered data never lingers in released memory.
void MorWipe(void* block, size_t bytes);

// For tests: the next `count` calls of MorAllocZeroed fail; 0 ends the failures (also
// one armed by MorFailAllocationAfter).
void MorFailNextAllocations(int count);
// For tests: the next `skip` calls of MorAllocZeroed succeed and the one after them
// fails, so that every allocation of an operation can be failed in turn.
void MorFailAllocationAfter(int skip);

}  // namespace morstd
