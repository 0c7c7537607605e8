#include "Lh5BlockWriter.h"

#include <vector>

#include "BitWriter.h"
#include "HuffmanBuilder.h"

namespace {

constexpr int kPreCodeSymbols = 19;

// Writes small-code lengths (pre-code or position code): 3 bits each, lengths of 7 and
// more as 7 followed by one 1 bit per extra unit and a closing 0.
void PutSmallLength(cBitWriter* bits, int len) {
  if (len < 7) {
    bits->Put(static_cast<uint32_t>(len), 3);
  } else {
    bits->Put((1u << (len - 3)) - 2, len - 3);
  }
}

// A pre-code or position code: count then lengths, or the single-symbol form (count
// 0, then the symbol) when fewer than two symbols occur. After the third length of the
// pre-code a 2-bit count of zero lengths follows.
void PutSmallCode(cBitWriter* bits, const std::vector<uint8_t>& lengths, int countBits,
                  int special, int onlySymbol) {
  int count = static_cast<int>(lengths.size());
  while (count > 0 && lengths[count - 1] == 0) --count;
  if (count == 0) {
    bits->Put(0, countBits);
    bits->Put(static_cast<uint32_t>(onlySymbol), countBits);
    return;
  }
  bits->Put(static_cast<uint32_t>(count), countBits);
  int i = 0;
  while (i < count) {
    PutSmallLength(bits, lengths[i++]);
    if (i == special) {
      int zeros = 0;
      while (zeros < 3 && i + zeros < count && lengths[i + zeros] == 0) ++zeros;
      bits->Put(static_cast<uint32_t>(zeros), 2);
      i += zeros;
    }
  }
}

int OnlySymbol(const std::vector<uint32_t>& frequencies) {
  for (size_t i = 0; i < frequencies.size(); ++i) {
    if (frequencies[i]) return static_cast<int>(i);
  }
  return 0;
}

// One pre-code item of the literal/length lengths: a symbol and its extra bits.
struct LengthItem {
  uint8_t symbol;
  uint16_t extra;
};

// Run-length codes the literal/length lengths (up to the last nonzero one) with the
// pre-code's symbols: 0 one zero, 1 3..18 zeros, 2 20..531 zeros, n+2 a length n.
std::vector<LengthItem> LengthItems(const std::vector<uint8_t>& lengths, int count) {
  std::vector<LengthItem> items;
  int i = 0;
  while (i < count) {
    if (lengths[i] != 0) {
      items.push_back({static_cast<uint8_t>(lengths[i] + 2), 0});
      ++i;
      continue;
    }
    int run = 0;
    while (i + run < count && lengths[i + run] == 0) ++run;
    i += run;
    if (run <= 2) {
      for (int k = 0; k < run; ++k) items.push_back({0, 0});
    } else if (run <= 18) {
      items.push_back({1, static_cast<uint16_t>(run - 3)});
    } else if (run == 19) {
      items.push_back({0, 0});
      items.push_back({1, 15});
    } else {
      items.push_back({2, static_cast<uint16_t>(run - 20)});
    }
  }
  return items;
}

}  // namespace

void cLh5BlockWriter::Put(cBitWriter* bits, const Token* tokens, uint32_t count) {
  std::vector<uint32_t> codeFreq(kCodeSymbols, 0);
  std::vector<uint32_t> positionFreq(kPositionSymbols, 0);
  for (uint32_t i = 0; i < count; ++i) {
    ++codeFreq[tokens[i].code];
    if (tokens[i].code >= 256) ++positionFreq[PositionSymbol(tokens[i].distance)];
  }
  const std::vector<uint8_t> codeLengths = cHuffmanBuilder::Lengths(codeFreq, kMaxCodeLength);
  const std::vector<uint8_t> positionLengths =
      cHuffmanBuilder::Lengths(positionFreq, kMaxCodeLength);

  bits->Put(count, 16);
  int codeCount = kCodeSymbols;
  while (codeCount > 0 && codeLengths[codeCount - 1] == 0) --codeCount;
  if (codeCount == 0) {
    // One literal/length symbol only: no pre-code is needed, and the code needs no
    // bits.
    bits->Put(0, 5);
    bits->Put(0, 5);
    bits->Put(0, 9);
    bits->Put(static_cast<uint32_t>(OnlySymbol(codeFreq)), 9);
  } else {
    const std::vector<LengthItem> items = LengthItems(codeLengths, codeCount);
    std::vector<uint32_t> preFreq(kPreCodeSymbols, 0);
    for (const LengthItem& item : items) ++preFreq[item.symbol];
    const std::vector<uint8_t> preLengths = cHuffmanBuilder::Lengths(preFreq, kMaxCodeLength);
    const std::vector<uint16_t> preCodes = cHuffmanBuilder::Codes(preLengths);
    PutSmallCode(bits, preLengths, 5, 3, OnlySymbol(preFreq));
    bits->Put(static_cast<uint32_t>(codeCount), 9);
    for (const LengthItem& item : items) {
      bits->Put(preCodes[item.symbol], preLengths[item.symbol]);
      if (item.symbol == 1) bits->Put(item.extra, 4);
      if (item.symbol == 2) bits->Put(item.extra, 9);
    }
  }
  PutSmallCode(bits, positionLengths, 4, -1, OnlySymbol(positionFreq));

  const std::vector<uint16_t> codes = cHuffmanBuilder::Codes(codeLengths);
  const std::vector<uint16_t> positionCodes = cHuffmanBuilder::Codes(positionLengths);
  for (uint32_t i = 0; i < count; ++i) {
    const Token& t = tokens[i];
    bits->Put(codes[t.code], codeLengths[t.code]);
    if (t.code < 256) continue;
    const int j = PositionSymbol(t.distance);
    bits->Put(positionCodes[j], positionLengths[j]);
    if (j > 1) bits->Put(t.distance - (1u << (j - 1)), j - 1);
  }
}
