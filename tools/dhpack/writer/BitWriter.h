// Bits written most significant first, as the -lh5- decoder reads them.
#pragma once

#include <cstddef>
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
  // Bits written so far, the pending ones included.
  size_t BitCount() const { return out->size() * 8 + static_cast<size_t>(pending); }
  // Appends the first `bitCount` bits of `bytes` (a stream another writer padded).
  void Append(const std::vector<uint8_t>& bytes, size_t bitCount) {
    const size_t whole = bitCount / 8;
    if (pending == 0) {
      out->insert(out->end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(whole));
    } else {
      for (size_t i = 0; i < whole; ++i) Put(bytes[i], 8);
    }
    const int rest = static_cast<int>(bitCount % 8);
    if (rest) Put(static_cast<uint32_t>(bytes[whole] >> (8 - rest)), rest);
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
