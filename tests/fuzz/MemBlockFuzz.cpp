// Name lists read back from stored bytes: AddMultiple must stay inside the given total
// whatever the bytes and the claimed count.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "morstd/MorMemBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte claims a text count; the rest is the stored area. Readers of stored
  // lists allocate the area with spare zero bytes behind it, as here.
  unsigned count = data[0];
  std::vector<char> area(size - 1 + 8, '\0');
  std::memcpy(area.data(), data + 1, size - 1);
  morstd::cMorMemBlock block;
  int ok = block.AddMultiple(area.data(), static_cast<uint32_t>(size - 1), count);
  if (ok && block.GetCount() != static_cast<int>(count)) __builtin_trap();
  for (int i = 0; i < block.GetCount(); ++i) {
    if (!block.GetAt(i)) __builtin_trap();
  }
  morstd::cMorMemBlock copy;
  copy.CopyFrom(block);
  if (copy.GetDataSize() != block.GetDataSize()) __builtin_trap();
  return 0;
}
