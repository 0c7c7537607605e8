#include "Lh5Encoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "BitWriter.h"
#include "HuffmanBuilder.h"

namespace {

constexpr int kCodeSymbols = 510;      // 256 literals, then match lengths 3..256
constexpr int kPositionSymbols = 14;   // bit lengths of the distance minus one
constexpr int kPreCodeSymbols = 19;
constexpr int kMaxCodeLength = 16;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kLengthBase = 253;       // code = length + 253
// The dictionary holds 8192 bytes; staying one short of it keeps every source byte
// distinct from the byte being written, whatever the decoder's staging.
constexpr uint32_t kMaxDistance = 8191;
constexpr uint32_t kWindowMask = 8191;
constexpr int kHashBits = 15;
// A three-byte match that far back costs more than its literals.
constexpr uint32_t kFarShortMatch = 4096;
// The parser prices every match length up to this one and the last few of each match.
constexpr int kDenseLengths = 24;
constexpr int kDenseTail = 8;
constexpr int kGoodLength = 32;
constexpr int kGoodChain = 8;
// Inside a match this long the parser looks for no other matches: the long match is
// nearly always the cheapest way through, and searching there costs most of the time.
constexpr int kSkipLength = 40;

struct Token {
  uint16_t code;      // literal byte or length code
  uint16_t distance;  // match distance minus one
};

int PositionSymbol(uint32_t p) { return p ? 32 - __builtin_clz(p) : 0; }

// How many bytes from the start agree, up to `limit`, compared eight at a time.
size_t MatchLength(const uint8_t* a, const uint8_t* b, size_t limit) {
  size_t len = 0;
  while (len + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (x != y) return len + static_cast<size_t>(__builtin_ctzll(x ^ y) >> 3);
    len += 8;
  }
  while (len < limit && a[len] == b[len]) ++len;
  return len;
}

// Hash chains over the last 8 KB: for each position the previous one with the same
// three-byte hash.
class cMatchFinder {
 public:
  cMatchFinder(const uint8_t* data, size_t size, int maxChain, int niceLength)
      : data(data), size(size), maxChain(maxChain), niceLength(niceLength),
        head(new int32_t[size_t{1} << kHashBits]), prev(new int32_t[kWindowMask + 1]) {
    std::fill(head.get(), head.get() + (size_t{1} << kHashBits), -1);
  }

  // Walks the hash chain of `pos` (inserting every position up to and including it)
  // and calls longer(length, distance + 1, reaches the limit, &chain budget) for each
  // match longer than the best so far; longer() returns true to stop. The best length.
  template <class Longer>
  int WalkChain(size_t pos, Longer longer) {
    while (inserted < pos) Insert(inserted++);
    int best = kMinMatch - 1;
    const size_t limit = std::min<size_t>(kMaxMatch, size - pos);
    if (limit >= static_cast<size_t>(kMinMatch)) {
      int32_t candidate = head[Hash(pos)];
      int chain = maxChain;
      const uint8_t* here = data + pos;
      while (candidate >= 0 && chain-- > 0) {
        // Positions at or after this one may already be in the chains (a long match
        // inserts the positions it covers); they are no match for it.
        if (static_cast<size_t>(candidate) >= pos) {
          candidate = prev[candidate & kWindowMask];
          continue;
        }
        const uint32_t back = static_cast<uint32_t>(pos - candidate);
        if (back > kMaxDistance) break;
        const uint8_t* there = data + candidate;
        if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
          const size_t len = MatchLength(there, here, limit);
          if (static_cast<int>(len) > best && !(len == kMinMatch && back > kFarShortMatch)) {
            best = static_cast<int>(len);
            if (longer(best, back, len == limit, &chain)) break;
          }
        }
        candidate = prev[candidate & kWindowMask];
      }
    }
    if (inserted == pos) Insert(inserted++);
    return best;
  }

  // Longest match for `pos` among the earlier positions; inserts every position up
  // to and including `pos`.
  int Find(size_t pos, uint32_t* distance) {
    const int best = WalkChain(pos, [&](int len, uint32_t back, bool atLimit, int*) {
      *distance = back - 1;
      return len >= niceLength || atLimit;
    });
    return best >= kMinMatch ? best : 0;
  }
  // Every match length that improves on the shorter ones for `pos`, each with the
  // nearest distance that reaches it, in increasing length; inserts as Find does.
  void FindAll(size_t pos, std::vector<std::pair<int, uint32_t>>* found) {
    found->clear();
    WalkChain(pos, [&](int len, uint32_t back, bool atLimit, int* chain) {
      found->push_back({len, back - 1});
      if (len >= niceLength || atLimit) return true;
      // A good match found: a few more candidates are worth a look, not all.
      if (len >= kGoodLength && *chain > kGoodChain) *chain = kGoodChain;
      return false;
    });
  }
  // Inserts every position before `pos`.
  void SkipTo(size_t pos) {
    while (inserted < pos) Insert(inserted++);
  }

 private:
  uint32_t Hash(size_t pos) const {
    const uint32_t v = data[pos] | (uint32_t{data[pos + 1]} << 8) | (uint32_t{data[pos + 2]} << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  void Insert(size_t pos) {
    if (pos + kMinMatch > size) return;
    const uint32_t h = Hash(pos);
    prev[pos & kWindowMask] = head[h];
    head[h] = static_cast<int32_t>(pos);
  }

  const uint8_t* data;
  size_t size;
  int maxChain;
  int niceLength;
  std::unique_ptr<int32_t[]> head;
  std::unique_ptr<int32_t[]> prev;
  size_t inserted = 0;
};

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

// Bit prices of literal/length codes and of distances, from the code lengths of the
// block before (a symbol it did not use is priced as rare).
struct Prices {
  uint8_t code[kCodeSymbols];
  uint8_t position[kPositionSymbols];
};

void DefaultPrices(Prices* prices) {
  for (int c = 0; c < kCodeSymbols; ++c) prices->code[c] = c < 256 ? 9 : static_cast<uint8_t>(c < 270 ? 7 : 11);
  for (int j = 0; j < kPositionSymbols; ++j) prices->position[j] = 4;
}

// Prices from the code lengths the tokens would get as one block.
void PriceTokens(const Token* tokens, uint32_t count, Prices* prices) {
  std::vector<uint32_t> codeFreq(kCodeSymbols, 0);
  std::vector<uint32_t> positionFreq(kPositionSymbols, 0);
  for (uint32_t i = 0; i < count; ++i) {
    ++codeFreq[tokens[i].code];
    if (tokens[i].code >= 256) ++positionFreq[PositionSymbol(tokens[i].distance)];
  }
  const std::vector<uint8_t> codeLengths = cHuffmanBuilder::Lengths(codeFreq, kMaxCodeLength);
  const std::vector<uint8_t> positionLengths =
      cHuffmanBuilder::Lengths(positionFreq, kMaxCodeLength);
  for (int c = 0; c < kCodeSymbols; ++c) prices->code[c] = codeLengths[c] ? codeLengths[c] : 14;
  for (int j = 0; j < kPositionSymbols; ++j) {
    prices->position[j] = positionLengths[j] ? positionLengths[j] : 8;
  }
}

void PutBlock(cBitWriter* bits, const Token* tokens, uint32_t count) {
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

}  // namespace

std::vector<uint8_t> cLh5Encoder::Encode(const uint8_t* data, size_t size) const {
  std::vector<uint8_t> out;
  if (size == 0) return out;
  out.reserve(size / 2 + 64);
  cBitWriter bits(&out);
  const uint32_t blockCodes =
      std::max<uint32_t>(1, std::min(effort.blockCodes, kMaxBlockCodes));
  std::vector<Token> tokens;
  tokens.reserve(blockCodes);
  auto emit = [&](Token t) {
    tokens.push_back(t);
    if (tokens.size() == blockCodes) {
      PutBlock(&bits, tokens.data(), static_cast<uint32_t>(tokens.size()));
      tokens.clear();
    }
  };

  if (effort.optimalParse) {
    EncodeOptimal(data, size, &bits);
    bits.Flush();
    return out;
  }
  // Lazy parsing: a match is taken only when the next position does not start a
  // longer one; otherwise a literal goes out and the longer match is weighed in turn.
  cMatchFinder finder(data, size, effort.maxChain, std::min(effort.niceLength, kMaxMatch));
  size_t pos = 0;
  uint32_t distance = 0;
  int length = finder.Find(pos, &distance);
  while (pos < size) {
    if (length == 0) {
      emit({data[pos], 0});
      ++pos;
      if (pos < size) length = finder.Find(pos, &distance);
      continue;
    }
    if (length < effort.niceLength && pos + 1 < size) {
      uint32_t nextDistance = 0;
      const int next = finder.Find(pos + 1, &nextDistance);
      if (next > length) {
        emit({data[pos], 0});
        ++pos;
        length = next;
        distance = nextDistance;
        continue;
      }
    }
    emit({static_cast<uint16_t>(length + kLengthBase), static_cast<uint16_t>(distance)});
    pos += static_cast<size_t>(length);
    if (pos < size) {
      finder.SkipTo(pos);
      length = finder.Find(pos, &distance);
    }
  }
  if (!tokens.empty()) PutBlock(&bits, tokens.data(), static_cast<uint32_t>(tokens.size()));
  bits.Flush();
  return out;
}

// Near-optimal parsing: the input goes in segments of one block each; for every
// position of a segment the match finder lists its useful (length, distance) pairs,
// and the cheapest path of literals and matches through the segment, priced with the
// previous block's code lengths, becomes the block.
void cLh5Encoder::EncodeOptimal(const uint8_t* data, size_t size, cBitWriter* bits) const {
  // A segment of n positions makes at most n codes, so a block never overflows.
  const uint32_t segment = static_cast<uint32_t>(std::max<size_t>(
      1, std::min<size_t>(std::min(effort.blockCodes, kMaxBlockCodes), size)));
  cMatchFinder finder(data, size, effort.maxChain, std::min(effort.niceLength, kMaxMatch));
  Prices prices;
  DefaultPrices(&prices);
  std::vector<std::pair<int, uint32_t>> found;
  std::vector<std::pair<int, uint32_t>> all;
  std::vector<uint32_t> firstFound(segment + 1);
  std::vector<uint32_t> price(segment + 1);
  std::vector<uint16_t> stepLength(segment + 1);
  std::vector<uint16_t> stepDistance(segment + 1);
  std::vector<Token> tokens;
  size_t skipUntil = 0;
  size_t pos = 0;
  while (pos < size) {
    const uint32_t span = static_cast<uint32_t>(std::min<size_t>(segment, size - pos));
    // Candidates; inside a match of the nice length or longer none are looked for.
    all.clear();
    for (uint32_t i = 0; i < span; ++i) {
      firstFound[i] = static_cast<uint32_t>(all.size());
      if (pos + i < skipUntil) continue;
      finder.FindAll(pos + i, &found);
      for (const auto& f : found) all.push_back({std::min<int>(f.first, static_cast<int>(span - i)), f.second});
      if (!found.empty() && found.back().first >= std::min(effort.niceLength, kSkipLength)) {
        skipUntil = pos + i + static_cast<size_t>(found.back().first);
        finder.SkipTo(std::min(skipUntil, size));
      }
    }
    firstFound[span] = static_cast<uint32_t>(all.size());

    // Two rounds: the first priced by the block before, the second by the codes the
    // first round's path would get.
    for (int round = 0; round < 2; ++round) {
      // The second round's prices also carry over to the next segment.
      if (round == 1) PriceTokens(tokens.data(), static_cast<uint32_t>(tokens.size()), &prices);
      std::fill(price.begin(), price.begin() + span + 1, UINT32_MAX);
      price[0] = 0;
      for (uint32_t i = 0; i < span; ++i) {
        const uint32_t here = price[i];
        const uint32_t literal = here + prices.code[data[pos + i]];
        if (literal < price[i + 1]) {
          price[i + 1] = literal;
          stepLength[i + 1] = 1;
        }
        int shorter = kMinMatch - 1;
        for (uint32_t k = firstFound[i]; k < firstFound[i + 1]; ++k) {
          const int longest = all[k].first;
          const uint32_t distance = all[k].second;
          const int j = PositionSymbol(distance);
          const uint32_t distancePrice = here + prices.position[j] + (j > 1 ? j - 1 : 0);
          for (int len = shorter + 1; len <= longest; ++len) {
            // Between the short lengths and the last few of a long match the landing
            // points rarely matter; skipping them keeps long matches cheap to price.
            if (len == kDenseLengths && longest - kDenseTail > len) len = longest - kDenseTail;
            const uint32_t total = distancePrice + prices.code[len + kLengthBase];
            if (total < price[i + len]) {
              price[i + len] = total;
              stepLength[i + len] = static_cast<uint16_t>(len);
              stepDistance[i + len] = static_cast<uint16_t>(distance);
            }
          }
          shorter = std::max(shorter, longest);
        }
      }
      // The cheapest path, walked back from the end of the segment.
      tokens.clear();
      for (uint32_t at = span; at > 0;) {
        const uint16_t len = stepLength[at];
        if (len == 1) {
          tokens.push_back({data[pos + at - 1], 0});
        } else {
          tokens.push_back({static_cast<uint16_t>(len + kLengthBase), stepDistance[at]});
        }
        at -= len;
      }
      std::reverse(tokens.begin(), tokens.end());
    }
    PutBlock(bits, tokens.data(), static_cast<uint32_t>(tokens.size()));
    pos += span;
  }
}
