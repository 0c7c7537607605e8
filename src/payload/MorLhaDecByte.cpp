// The simple LZSS methods: -lzs- (a flag bit before each literal or match) and -lz5-
// (flag bytes, byte-aligned literals and matches, and a dictionary preset with a
// pattern that early matches may copy from).
#include <cstring>

#include "payload/MorLhaDecInline.h"

namespace {

// Layout of the -lz5- preset pattern within its 4,096-byte dictionary.
constexpr int kLz5RunsStart = 18;
constexpr int kLz5RunLength = 13;
constexpr int kLz5AscendingStart = 3346;
constexpr int kLz5DescendingStart = 3602;
constexpr int kLz5ZerosStart = 3858;
constexpr int kLz5ZerosLength = 128;
// Stored match positions are offsets of the copy's start, ahead of the write
// position by these amounts.
constexpr uint32_t kLzsPositionOffset = 18;
constexpr uint32_t kLz5PositionOffset = 19;

}  // namespace

// Runs of each byte value, the values rising, falling, zeros; the rest stays spaces.
void cMorLhaDec::StartLz5Dictionary() {
  uint8_t* dict = tables->dictionary;
  for (int v = 0; v < 256; ++v) {
    memset(dict + kLz5RunsStart + kLz5RunLength * v, v, kLz5RunLength);
    dict[kLz5AscendingStart + v] = static_cast<uint8_t>(v);
    dict[kLz5DescendingStart + v] = static_cast<uint8_t>(255 - v);
  }
  memset(dict + kLz5ZerosStart, 0, kLz5ZerosLength);
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLzs>() {
  if (GetBits(1)) return static_cast<int>(GetBits(8));
  matchPosition = GetBits(11);
  return 256 + static_cast<int>(GetBits(4));
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLzs>(uint32_t writePos) {
  return (writePos - matchPosition - kLzsPositionOffset) & 0x7FF;
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLz5>() {
  if (flagsLeft == 0) {
    flagByte = ReadByte();
    flagsLeft = 8;
  }
  --flagsLeft;
  int c = ReadByte();
  bool literal = (flagByte & 1) != 0;
  flagByte >>= 1;
  if (!literal) {
    uint32_t d = ReadByte();
    matchPosition = static_cast<uint32_t>(c) + ((d & 0xF0) << 4);
    c = 256 + static_cast<int>(d & 0x0F);
  }
  // The input ran out: the member is truncated.
  if (inputEnd) return Fail();
  return c;
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLz5>(uint32_t writePos) {
  return (writePos - matchPosition - kLz5PositionOffset) & 0xFFF;
}

template void cMorLhaDec::FillCoded<cMorLhaDec::kLzs>();
template void cMorLhaDec::FillCoded<cMorLhaDec::kLz5>();
