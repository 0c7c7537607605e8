// The static Huffman methods: -lh4- and -lh5- (blocks with sent codes) and -lh3-
// (blocks with a 286-symbol alphabet and a fixed or sent position code), and the
// fixed position codes that -lh3- and -lh1- share.
#include <cstring>

#include "payload/MorLhaDecInline.h"

using namespace lhadec;

namespace {

// -lh4-/-lh5- pre-code and position alphabets.
constexpr int kPreCodeSymbols = 19;
constexpr int kPreCodeCountBits = 5;
constexpr int kPreCodeSpecial = 3;
constexpr int kPositionSymbols = 14;
constexpr int kPositionCountBits = 4;
constexpr int kNoSpecial = -1;

// Fixed position codes: the last symbol of each run of equal code length.
struct LengthRun {
  int length;
  int lastSymbol;
};
const LengthRun kLh1Positions[] = {{3, 0}, {4, 3}, {5, 11}, {6, 23}, {7, 47}, {8, 63}};
const LengthRun kLh3Positions[] = {{2, 0},  {4, 2},  {5, 5},  {6, 12},
                                   {7, 30}, {8, 77}, {9, 127}};

}  // namespace

bool cMorLhaDec::SetFixedPositionCode(int symbols) {
  positionSymbols = symbols;
  const LengthRun* runs = symbols == 64 ? kLh1Positions : kLh3Positions;
  int runCount = symbols == 64 ? 6 : 7;
  int symbol = 0;
  for (int r = 0; r < runCount; ++r) {
    while (symbol <= runs[r].lastSymbol) {
      tables->smallLengths[symbol++] = static_cast<uint8_t>(runs[r].length);
    }
  }
  return BuildTable(symbols, tables->smallLengths, kSmallWidth, tables->smallTable);
}

// Lengths of the pre-code or the position code. A zero count sends the single symbol
// of a code without bits.
bool cMorLhaDec::ReadSmallLengths(int countBits, int symbols, int special) {
  uint8_t* lengths = tables->smallLengths;
  int count = static_cast<int>(GetBits(countBits));
  if (count == 0) {
    uint32_t only = GetBits(countBits);
    if (only >= static_cast<uint32_t>(symbols)) return false;
    memset(lengths, 0, static_cast<size_t>(symbols));
    for (uint16_t& entry : tables->smallTable) entry = static_cast<uint16_t>(only);
    return true;
  }
  if (count > symbols) return false;
  int i = 0;
  while (i < count) {
    uint32_t top = PeekBits(16);
    uint32_t length = top >> 13;
    if (length == 7) {
      // A length of 7 or more continues in unary: one more for each 1 bit.
      uint32_t mask = 1u << 12;
      while (top & mask) {
        mask >>= 1;
        if (++length > 16) return false;
      }
      SkipBits(static_cast<int>(length) - 3);
    } else {
      SkipBits(3);
    }
    lengths[i++] = static_cast<uint8_t>(length);
    if (i == special) {
      int zeros = static_cast<int>(GetBits(2));
      if (i + zeros > symbols) return false;
      while (zeros-- > 0) lengths[i++] = 0;
    }
  }
  while (i < symbols) lengths[i++] = 0;
  return BuildTable(symbols, lengths, kSmallWidth, tables->smallTable);
}

// Literal/length code lengths of -lh4-/-lh5-, run-length coded with the pre-code.
bool cMorLhaDec::ReadCodeLengths() {
  uint8_t* lengths = tables->codeLengths;
  int count = static_cast<int>(GetBits(9));
  if (count == 0) {
    uint32_t only = GetBits(9);
    if (only >= static_cast<uint32_t>(kCodeSymbols)) return false;
    memset(lengths, 0, kCodeSymbols);
    for (uint16_t& entry : tables->codeTable) entry = static_cast<uint16_t>(only);
    return true;
  }
  if (count > kCodeSymbols) return false;
  int i = 0;
  while (i < count) {
    int c = DecodeWith(tables->smallTable, tables->smallLengths, kPreCodeSymbols, kSmallWidth);
    if (c < 0) return false;
    if (c > 2) {
      lengths[i++] = static_cast<uint8_t>(c - 2);
      continue;
    }
    int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(GetBits(4)) + 3
                                    : static_cast<int>(GetBits(9)) + 20;
    if (i + zeros > kCodeSymbols) return false;
    while (zeros-- > 0) lengths[i++] = 0;
  }
  while (i < kCodeSymbols) lengths[i++] = 0;
  return BuildTable(kCodeSymbols, lengths, kCodeWidth, tables->codeTable);
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLh5>() {
  if (blockRemaining == 0) {
    blockRemaining = GetBits(16);
    if (!ReadSmallLengths(kPreCodeCountBits, kPreCodeSymbols, kPreCodeSpecial) ||
        !ReadCodeLengths() ||
        !ReadSmallLengths(kPositionCountBits, kPositionSymbols, kNoSpecial)) {
      return Fail();
    }
  }
  --blockRemaining;
  return DecodeWith(tables->codeTable, tables->codeLengths, kCodeSymbols, kCodeWidth);
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLh5>(uint32_t) {
  int j = DecodeWith(tables->smallTable, tables->smallLengths, kPositionSymbols, kSmallWidth);
  if (j <= 0) return 0;
  return (1u << (j - 1)) + GetBits(j - 1);
}

// The block head of -lh3-: the literal/length lengths one by one, then a sent or the
// fixed position code. Three lengths of 1 in front announce a single-symbol code.
bool cMorLhaDec::ReadLh3Tables() {
  uint8_t* lengths = tables->codeLengths;
  bool single = false;
  for (int i = 0; i < kLh3CodeSymbols; ++i) {
    lengths[i] = GetBits(1) ? static_cast<uint8_t>(GetBits(4) + 1) : 0;
    if (i == 2 && lengths[0] == 1 && lengths[1] == 1 && lengths[2] == 1) {
      uint32_t only = GetBits(9);
      if (only >= static_cast<uint32_t>(kLh3CodeSymbols)) return false;
      memset(lengths, 0, kLh3CodeSymbols);
      for (uint16_t& entry : tables->codeTable) entry = static_cast<uint16_t>(only);
      single = true;
      break;
    }
  }
  if (!single &&
      !BuildTable(kLh3CodeSymbols, lengths, kCodeWidth, tables->codeTable)) {
    return false;
  }
  if (!GetBits(1)) return SetFixedPositionCode(128);
  uint8_t* small = tables->smallLengths;
  for (int i = 0; i < 128; ++i) {
    small[i] = static_cast<uint8_t>(GetBits(4));
    if (i == 2 && small[0] == 1 && small[1] == 1 && small[2] == 1) {
      uint32_t only = GetBits(7);
      memset(small, 0, 128);
      for (uint16_t& entry : tables->smallTable) entry = static_cast<uint16_t>(only);
      return true;
    }
  }
  return BuildTable(128, small, kSmallWidth, tables->smallTable);
}

template <>
int cMorLhaDec::DecodeCode<cMorLhaDec::kLh3>() {
  if (lh3BlockRemaining == 0) {
    lh3BlockRemaining = GetBits(16);
    if (!ReadLh3Tables()) return Fail();
  }
  --lh3BlockRemaining;
  int c = DecodeWith(tables->codeTable, tables->codeLengths, kLh3CodeSymbols, kCodeWidth);
  if (c == kLh3CodeSymbols - 1) c += static_cast<int>(GetBits(8));
  return c;
}

template <>
uint32_t cMorLhaDec::DecodePosition<cMorLhaDec::kLh3>(uint32_t) {
  return DecodeFixedPosition();
}

template void cMorLhaDec::FillCoded<cMorLhaDec::kLh5>();
template void cMorLhaDec::FillCoded<cMorLhaDec::kLh3>();
