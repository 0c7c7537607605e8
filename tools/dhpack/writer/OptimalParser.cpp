#include "OptimalParser.h"

#include <algorithm>
#include <cmath>

#include "BitWriter.h"
#include "HuffmanBuilder.h"

namespace {

constexpr int kCodeSymbols = cLh5BlockWriter::kCodeSymbols;
constexpr int kPositionSymbols = cLh5BlockWriter::kPositionSymbols;
constexpr int kLengthBase = cLh5BlockWriter::kLengthBase;
constexpr int kMinMatch = cMatchFinder::kMinMatch;
constexpr uint32_t kMaxDistance = cMatchFinder::kMaxDistance;
// Positions per segment of the first pass, each priced by the one before.
constexpr uint32_t kSegment = 8192;
// Inside a match this long no other matches are looked for: the long match is nearly
// always the cheapest way through, and listing matches there costs most of the time.
constexpr int kSkipLength = 40;
// The parser prices every match length below this one and the last few of each match.
constexpr int kDenseLengths = 24;
constexpr int kDenseTail = 8;
// Block ends fall on units of about this many input bytes, and a block spans at most
// so many units.
constexpr uint32_t kUnitBytes = 4096;
constexpr uint32_t kMaxBlockUnits = 32;
// The most positions one parse covers (a unit may run a match past its mark), and what
// the packed arrivals of a parse need of it.
constexpr uint32_t kMaxParseSpan = kMaxBlockUnits * (kUnitBytes + cMatchFinder::kMaxMatch);
static_assert(kSegment <= kMaxParseSpan && kMaxParseSpan * 16 < (1u << 23),
              "prices of a parse fit the packed arrivals");
// What a block head costs beyond its counts: the pre-code and position code lengths,
// and about this much per literal/length code in use.
constexpr double kHeadBits = 16 + 5 + 19 * 3 + 9 + 4 + 14 * 3;
constexpr double kHeadBitsPerCode = 4.0;

// f * log2(f) for every token count a block can hold.
const std::vector<float>& EntropyTable() {
  static const std::vector<float> table = [] {
    std::vector<float> t(cLh5BlockWriter::kMaxBlockCodes + 1, 0.0f);
    for (size_t f = 1; f < t.size(); ++f) t[f] = static_cast<float>(f * std::log2(static_cast<double>(f)));
    return t;
  }();
  return table;
}

// The bits of `count` items of a code fitted to their frequencies, about: the entropy.
double CodeBits(const uint32_t* low, const uint32_t* high, int symbols, const float* flog,
                int* used) {
  uint32_t total = 0;
  double sum = 0;
  for (int s = 0; s < symbols; ++s) {
    const uint32_t f = high[s] - low[s];
    if (f) {
      total += f;
      sum += flog[f];
      ++*used;
    }
  }
  return flog[total] - sum;
}

}  // namespace

cOptimalParser::cOptimalParser(const uint8_t* data, const cLh5Encoder::Effort& effort)
    : data(data), effort(effort) {}

void cOptimalParser::DefaultPrices(Prices* prices) {
  for (int c = 0; c < kCodeSymbols; ++c) prices->code[c] = c < 256 ? 9 : (c < 270 ? 7 : 11);
  for (int j = 0; j < kPositionSymbols; ++j) {
    prices->position[j] = 4 + static_cast<uint32_t>(cLh5BlockWriter::ExtraBits(j));
  }
}

void cOptimalParser::PriceTokens(const Token* tokens, size_t count, Prices* prices) {
  std::vector<uint32_t> codeFreq(kCodeSymbols, 0);
  std::vector<uint32_t> positionFreq(kPositionSymbols, 0);
  for (size_t i = 0; i < count; ++i) {
    ++codeFreq[tokens[i].code];
    if (tokens[i].code >= 256) ++positionFreq[cLh5BlockWriter::PositionSymbol(tokens[i].distance)];
  }
  const int maxLength = cLh5BlockWriter::kMaxCodeLength;
  const std::vector<uint8_t> codeLengths = cHuffmanBuilder::Lengths(codeFreq, maxLength);
  const std::vector<uint8_t> positionLengths = cHuffmanBuilder::Lengths(positionFreq, maxLength);
  // A code the tokens did not use is priced as rare; a lone used one as nearly free.
  for (int c = 0; c < kCodeSymbols; ++c) {
    prices->code[c] = codeLengths[c] ? codeLengths[c] : (codeFreq[c] ? 1 : 14);
  }
  for (int j = 0; j < kPositionSymbols; ++j) {
    const uint32_t bits = positionLengths[j] ? positionLengths[j] : (positionFreq[j] ? 1 : 8);
    prices->position[j] = bits + static_cast<uint32_t>(cLh5BlockWriter::ExtraBits(j));
  }
}

void cOptimalParser::FindMatches(size_t begin, size_t end) {
  cMatchFinder finder(data, end, effort.depth, effort.niceLength);
  for (size_t p = begin > kMaxDistance ? begin - kMaxDistance : 0; p < begin; ++p) finder.Skip(p);
  const size_t span = end - begin;
  firstMatch.resize(span + 1);
  // The finder writes straight into the list, which keeps room for one more
  // position's worth.
  size_t used = 0;
  size_t skipUntil = 0;
  for (size_t i = 0; i < span; ++i) {
    firstMatch[i] = static_cast<uint32_t>(used);
    if (i < skipUntil) {
      finder.Skip(begin + i);
      continue;
    }
    if (matches.size() < used + cMatchFinder::kMaxMatch) matches.resize(2 * (used + cMatchFinder::kMaxMatch));
    cMatchFinder::Match* found = &matches[used];
    const int count = finder.Find(begin + i, found);
    // A distance costs the same as any other of its position code, so a match whose
    // longer successor has the same one adds nothing to the parse.
    int kept = 0;
    for (int k = 0; k < count; ++k) {
      if (k + 1 < count && cLh5BlockWriter::PositionSymbol(found[k].distance) ==
                               cLh5BlockWriter::PositionSymbol(found[k + 1].distance)) {
        continue;
      }
      found[kept++] = found[k];
    }
    used += static_cast<size_t>(kept);
    if (kept > 0 && matches[used - 1].length >= std::min(effort.niceLength, kSkipLength)) {
      skipUntil = i + matches[used - 1].length;
    }
  }
  firstMatch[span] = static_cast<uint32_t>(used);
}

void cOptimalParser::Parse(uint32_t from, uint32_t span, const Prices& prices,
                           std::vector<Token>* out) {
  // Each position's cheapest arrival packed as price << 8 | (length - 1), so that
  // keeping the cheaper of two arrivals is one comparison without a branch. A span's
  // prices stay far below 2^23 (kMaxParseSpan positions of at most 16 bits each on
  // the all-literal path). The distance of a match arrival is found again on the way
  // back.
  int32_t lengthPrice[cMatchFinder::kMaxMatch + 1];
  for (int len = kMinMatch; len <= cMatchFinder::kMaxMatch; ++len) {
    lengthPrice[len] = static_cast<int32_t>((prices.code[len + kLengthBase] << 8) | (len - 1));
  }
  const uint8_t* bytes = data + base + from;
  arrival.assign(span + 1, INT32_MAX);
  int32_t* cost = arrival.data();
  const cMatchFinder::Match* found = matches.data();
  const uint32_t* first = firstMatch.data() + from;
  cost[0] = 0;
  for (uint32_t i = 0; i < span; ++i) {
    const int32_t here = cost[i] & ~0xFF;
    cost[i + 1] = std::min(cost[i + 1], here + static_cast<int32_t>(prices.code[bytes[i]] << 8));
    const int room = static_cast<int>(span - i);
    int shorter = kMinMatch - 1;
    for (uint32_t k = first[i]; k < first[i + 1] && shorter < room; ++k) {
      const int longest = std::min<int>(found[k].length, room);
      const int32_t start = here + static_cast<int32_t>(
          prices.position[cLh5BlockWriter::PositionSymbol(found[k].distance)] << 8);
      int32_t* land = cost + i;
      // Every length up to kDenseLengths, then only the last few of a long match:
      // between them the landing points rarely matter.
      const int denseEnd = std::min(longest, kDenseLengths - 1);
      for (int len = shorter + 1; len <= denseEnd; ++len) {
        land[len] = std::min(land[len], start + lengthPrice[len]);
      }
      for (int len = std::max({shorter + 1, kDenseLengths, longest - kDenseTail}); len <= longest; ++len) {
        land[len] = std::min(land[len], start + lengthPrice[len]);
      }
      shorter = longest;
    }
  }
  // The cheapest path, walked back from the end; a match's distance is that of the
  // first match at its start that reaches its length, as priced above.
  const size_t firstToken = out->size();
  for (uint32_t at = span; at > 0;) {
    const uint32_t len = static_cast<uint32_t>(cost[at] & 0xFF) + 1;
    if (len == 1) {
      out->push_back({bytes[at - 1], 0});
    } else {
      const uint32_t i = at - len;
      uint32_t k = first[i];
      while (std::min<uint32_t>(found[k].length, span - i) < len) ++k;
      out->push_back({static_cast<uint16_t>(len + kLengthBase), found[k].distance});
    }
    at -= len;
  }
  std::reverse(out->begin() + static_cast<std::ptrdiff_t>(firstToken), out->end());
}

std::vector<uint32_t> cOptimalParser::ChooseBlocks(const std::vector<Token>& tokens) {
  // Units: a boundary at the first token starting at or after each kUnitBytes mark.
  unitStart.assign(1, 0);
  unitToken.assign(1, 0);
  uint32_t at = 0;
  for (size_t t = 0; t < tokens.size(); ++t) {
    if (at >= unitStart.back() + kUnitBytes) {
      unitStart.push_back(at);
      unitToken.push_back(static_cast<uint32_t>(t));
    }
    at += tokens[t].code < 256 ? 1 : tokens[t].code - kLengthBase;
  }
  unitStart.push_back(at);
  unitToken.push_back(static_cast<uint32_t>(tokens.size()));
  const size_t units = unitStart.size() - 1;

  // Running counts of every symbol at every unit boundary.
  constexpr int kRow = kCodeSymbols + kPositionSymbols;
  counts.assign((units + 1) * kRow, 0);
  for (size_t u = 0; u < units; ++u) {
    uint32_t* row = &counts[(u + 1) * kRow];
    std::copy(row - kRow, row, row);
    for (uint32_t t = unitToken[u]; t < unitToken[u + 1]; ++t) {
      ++row[tokens[t].code];
      if (tokens[t].code >= 256) {
        ++row[kCodeSymbols + cLh5BlockWriter::PositionSymbol(tokens[t].distance)];
      }
    }
  }

  // The cheapest cut into blocks of at most kMaxBlockUnits units and the most codes a
  // block takes (one unit alone may hold more; it is written in pieces).
  const uint32_t maxCodes = std::min(effort.blockCodes, cLh5BlockWriter::kMaxBlockCodes);
  const float* flog = EntropyTable().data();
  std::vector<double> best(units + 1, 0);
  std::vector<uint32_t> from(units + 1, 0);
  for (size_t j = 1; j <= units; ++j) {
    best[j] = -1;
    for (size_t i = j; i-- > 0;) {
      if (j - i > kMaxBlockUnits) break;
      if (i + 1 < j && unitToken[j] - unitToken[i] > maxCodes) break;
      int used = 0;
      const uint32_t* low = &counts[i * kRow];
      const uint32_t* high = &counts[j * kRow];
      double bits = CodeBits(low, high, kCodeSymbols, flog, &used);
      int positionsUsed = 0;
      bits += CodeBits(low + kCodeSymbols, high + kCodeSymbols, kPositionSymbols, flog,
                       &positionsUsed);
      bits += kHeadBits + kHeadBitsPerCode * used;
      const double total = best[i] + bits;
      if (best[j] < 0 || total < best[j]) {
        best[j] = total;
        from[j] = static_cast<uint32_t>(i);
      }
    }
  }
  std::vector<uint32_t> ends;
  for (size_t j = units; j > 0; j = from[j]) ends.push_back(static_cast<uint32_t>(j));
  std::reverse(ends.begin(), ends.end());
  return ends;
}

void cOptimalParser::Encode(size_t begin, size_t end, cBitWriter* bits) {
  if (end <= begin) return;
  base = begin;
  FindMatches(begin, end);
  const uint32_t span = static_cast<uint32_t>(end - begin);

  // First pass: fixed segments, each priced by the path through the one before. A
  // second round per segment, priced by its own first path, gains a little (0.1%) for
  // half as much time again; the block pass below gains more.
  Prices prices;
  DefaultPrices(&prices);
  first.clear();
  for (uint32_t at = 0; at < span; at += kSegment) {
    const size_t segmentStart = first.size();
    Parse(at, std::min(kSegment, span - at), prices, &first);
    PriceTokens(first.data() + segmentStart, first.size() - segmentStart, &prices);
  }

  // Each block parsed again with its own codes, as often as the effort asks.
  const std::vector<uint32_t> ends = ChooseBlocks(first);
  const uint32_t maxCodes = std::max<uint32_t>(1, std::min(effort.blockCodes, cLh5BlockWriter::kMaxBlockCodes));
  uint32_t unit = 0;
  for (uint32_t endUnit : ends) {
    PriceTokens(first.data() + unitToken[unit], unitToken[endUnit] - unitToken[unit], &prices);
    const uint32_t from = unitStart[unit];
    const uint32_t length = unitStart[endUnit] - from;
    for (int pass = 0; pass < std::max(1, effort.passes); ++pass) {
      if (pass > 0) PriceTokens(block.data(), block.size(), &prices);
      block.clear();
      Parse(from, length, prices, &block);
    }
    for (size_t t = 0; t < block.size(); t += maxCodes) {
      const uint32_t count = static_cast<uint32_t>(std::min<size_t>(maxCodes, block.size() - t));
      cLh5BlockWriter::Put(bits, block.data() + t, count);
    }
    unit = endUnit;
  }
}
