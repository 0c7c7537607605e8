// The decoder's tables and the small helpers of its inner loops. Only the decoder's
// own sources include this; the helpers are inline so that every method's fill loop
// compiles into one tight loop without calls per bit.
#pragma once

#include <cstdint>
#include <cstring>

#include "payload/MorLhaDec.h"

struct cMorLhaDec::Tables {
  // Adaptive trees: nodes 0..627 the literal/length tree, 628..883 the position tree.
  static constexpr int kNodes = 884;
  static constexpr int kSymbols = 442;
  // Tree nodes below the lookup tables, for codes longer than the lookup width.
  static constexpr int kTreeNodes = 2 * 510 - 1;

  int16_t child[kNodes];
  int16_t parent[kNodes];
  int16_t blockOf[kNodes];
  int16_t blockLeader[kNodes];
  int16_t blockStock[kNodes];
  int16_t symbolNode[kSymbols];
  uint16_t freq[kNodes];
  uint16_t left[kTreeNodes];
  uint16_t right[kTreeNodes];
  uint8_t codeLengths[510];
  uint8_t smallLengths[128];
  uint16_t codeTable[4096];
  uint16_t smallTable[256];
  uint8_t dictionary[8192];
};

namespace lhadec {
// Literal/length alphabet of -lh4-/-lh5-, of -lh3-, and the lookup widths.
constexpr int kCodeSymbols = 510;
constexpr int kLh3CodeSymbols = 286;
constexpr int kCodeWidth = 12;
constexpr int kSmallWidth = 8;
}  // namespace lhadec

// Keeps at least 57 bits in the buffer. Past the end of the archive it loads 0xFF
// bytes and counts them, so that consuming them can be told apart from peeking.
inline void cMorLhaDec::RefillBits() {
  if (inputLimit - static_cast<uint32_t>(inputPos) >= 8) {
    // Whole bytes that fit below the valid bits, from one unaligned 8-byte load.
    uint64_t next;
    memcpy(&next, input + inputPos, sizeof next);
    next = __builtin_bswap64(next);
    int take = (64 - bitCount) >> 3;
    bitBuffer |= (next & (~0ull << (64 - 8 * take))) >> bitCount;
    bitCount += 8 * take;
    inputPos += take;
    return;
  }
  while (bitCount <= 56) {
    uint32_t byte;
    if (static_cast<uint32_t>(inputPos) < inputLimit) {
      byte = input[inputPos++];
    } else {
      byte = 0xFF;
      phantomBits += 8;
      inputEnd = true;
    }
    bitBuffer |= static_cast<uint64_t>(byte) << (56 - bitCount);
    bitCount += 8;
  }
}

// The next n bits (1..32), not consumed.
inline uint32_t cMorLhaDec::PeekBits(int n) {
  if (bitCount < n) RefillBits();
  return static_cast<uint32_t>(bitBuffer >> (64 - n));
}

inline uint32_t cMorLhaDec::GetBits(int n) {
  if (n == 0) return 0;
  uint32_t value = PeekBits(n);
  SkipBits(n);
  return value;
}

inline int cMorLhaDec::Fail() {
  damaged = true;
  return -1;
}

// One symbol of a canonical code built by BuildTable: a lookup of the top `width`
// bits, then for longer codes a walk down the tree with the following bits.
inline int cMorLhaDec::DecodeWith(const uint16_t* table, const uint8_t* lengths, int count,
                                  int width) {
  uint32_t bits = PeekBits(16);
  uint32_t c = table[bits >> (16 - width)];
  if (c >= static_cast<uint32_t>(count)) {
    uint32_t mask = 1u << (15 - width);
    do {
      if (mask == 0) return Fail();
      c = (bits & mask) ? tables->right[c] : tables->left[c];
      mask >>= 1;
    } while (c >= static_cast<uint32_t>(count));
  }
  SkipBits(lengths[c]);
  return static_cast<int>(c);
}

// -lh3- and -lh1-: the upper bits of the distance from the small code, six raw bits.
inline uint32_t cMorLhaDec::DecodeFixedPosition() {
  int j = DecodeWith(tables->smallTable, tables->smallLengths, positionSymbols,
                     lhadec::kSmallWidth);
  if (j < 0) return 0;
  return (static_cast<uint32_t>(j) << 6) + GetBits(6);
}

// Copies a match into the dictionary from `source`, up to the end of the member and
// the end of the dictionary; the rest of a match cut by the dictionary's end is kept
// for the next fill. Returns the new write position.
inline uint32_t cMorLhaDec::CopyMatch(uint32_t writePos, uint32_t source, uint32_t length) {
  uint32_t left = unpackedSize - decodedCount;
  if (length > left) length = left;
  uint32_t n = dictionarySize - writePos;
  if (n > length) n = length;
  uint8_t* dict = tables->dictionary;
  uint8_t* to = dict + writePos;
  if (source + n <= dictionarySize) {
    const uint8_t* from = dict + source;
    for (uint32_t i = 0; i < n; ++i) to[i] = from[i];
  } else {
    for (uint32_t i = 0; i < n; ++i) to[i] = dict[(source + i) & dictionaryMask];
  }
  decodedCount += n;
  if (length > n) {
    copySuspended = true;
    copyRemaining = length - n;
    copySource = (source + n) & dictionaryMask;
  }
  return writePos + n;
}

// Decodes codes into the dictionary until it is full, the member is complete or the
// data turns out damaged. A code that fails, or that needed bits from beyond the end
// of the archive, is undone, so a damaged member always ends short.
template <int M>
void cMorLhaDec::FillCoded() {
  uint8_t* dict = tables->dictionary;
  uint32_t w = 0;
  if (copySuspended) {
    copySuspended = false;
    w = CopyMatch(0, copySource, copyRemaining);
  }
  while (w < dictionarySize && decodedCount < unpackedSize) {
    uint32_t before = w;
    int c = DecodeCode<M>();
    if (c < 0) {
      w = before;
      break;
    }
    if (c < 256) {
      dict[w++] = static_cast<uint8_t>(c);
      ++decodedCount;
    } else {
      uint32_t distance = DecodePosition<M>(w);
      if (damaged) {
        w = before;
        break;
      }
      w = CopyMatch(w, (w - distance - 1) & dictionaryMask,
                    static_cast<uint32_t>(c - lengthBias));
    }
    if (phantomBits > bitCount) {
      Fail();
      w = before;
      break;
    }
  }
  pending = w;
}
