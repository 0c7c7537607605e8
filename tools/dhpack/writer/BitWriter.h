// Bits written most significant first, as the -lh5- decoder reads them.
#pragma once

#include <cstdint>
#include <vector>

class cBitWriter {
 public:
  explicit cBitWriter(std::vector<uint8_t>* out) : out(out) {}

  // Appends the low `count` bits of `value` (count 0..32).
  void Put(uint32_t value, int count) {
    if (count == 0) return;
    accumulator = (accumulator << count) | (value & ((uint64_t{1} << count) - 1));
    pending += count;
    while (pending >= 8) {
      pending -= 8;
      out->push_back(static_cast<uint8_t>(accumulator >> pending));
    }
    accumulator &= (uint64_t{1} << pending) - 1;
  }
  // Pads the last byte with zero bits.
  void Flush() {
    if (pending > 0) Put(0, 8 - pending);
  }

 private:
  std::vector<uint8_t>* out;
  uint64_t accumulator = 0;
  int pending = 0;
};
