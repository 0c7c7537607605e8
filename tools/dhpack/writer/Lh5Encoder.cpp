#include "Lh5Encoder.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "BitWriter.h"
#include "Lh5BlockWriter.h"
#include "MatchFinder.h"
#include "OptimalParser.h"

namespace {

constexpr uint32_t kLazyBlockCodes = 16384;
// A three-byte match that far back costs more than its literals.
constexpr uint32_t kFarShortMatch = 4096;

// One slice's bits, padded to whole bytes, and how many of them count.
struct SliceBits {
  std::vector<uint8_t> bytes;
  size_t bitCount = 0;
};

}  // namespace

std::vector<uint8_t> cLh5Encoder::Encode(const uint8_t* data, size_t size) const {
  std::vector<uint8_t> out;
  if (size == 0) return out;
  const size_t sliceBytes = std::max<size_t>(effort.sliceBytes, 1);
  const size_t slices = size / sliceBytes + (size % sliceBytes != 0);
  if (slices == 1) {
    out.reserve(size / 2 + 64);
    cBitWriter bits(&out);
    EncodeSlice(data, 0, size, &bits, nullptr);
    bits.Flush();
    return out;
  }

  std::vector<SliceBits> packed(slices);
  std::atomic<size_t> next{0};
  auto work = [&] {
    // One parser per thread: its tables are large, and reusing them is cheaper than
    // fresh pages for every slice.
    cOptimalParser parser(data, effort);
    for (size_t s; (s = next++) < slices;) {
      cBitWriter bits(&packed[s].bytes);
      EncodeSlice(data, s * sliceBytes, std::min(size, (s + 1) * sliceBytes), &bits, &parser);
      packed[s].bitCount = bits.BitCount();
      bits.Flush();
    }
  };
  const unsigned cores = effort.threads ? effort.threads : std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < std::min<size_t>(cores, slices); ++t) {
    // Without another thread the ones running take its slices.
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();

  size_t total = 0;
  for (const SliceBits& slice : packed) total += slice.bytes.size();
  out.reserve(total + 1);
  cBitWriter bits(&out);
  for (SliceBits& slice : packed) {
    bits.Append(slice.bytes, slice.bitCount);
    std::vector<uint8_t>().swap(slice.bytes);
  }
  bits.Flush();
  return out;
}

void cLh5Encoder::EncodeSlice(const uint8_t* data, size_t begin, size_t end, cBitWriter* bits,
                              cOptimalParser* parser) const {
  if (effort.optimalParse) {
    if (parser) {
      parser->Encode(begin, end, bits);
    } else {
      cOptimalParser(data, effort).Encode(begin, end, bits);
    }
  } else {
    EncodeLazy(data, begin, end, bits);
  }
}

// Lazy parsing: a match is taken only when the next position does not start a longer
// one; otherwise a literal goes out and the longer match is weighed in turn.
void cLh5Encoder::EncodeLazy(const uint8_t* data, size_t begin, size_t end,
                             cBitWriter* bits) const {
  using Token = cLh5BlockWriter::Token;
  const uint32_t blockCodes = std::max<uint32_t>(1, std::min(effort.blockCodes, kLazyBlockCodes));
  std::vector<Token> tokens;
  tokens.reserve(blockCodes);
  auto emit = [&](Token t) {
    tokens.push_back(t);
    if (tokens.size() == blockCodes) {
      cLh5BlockWriter::Put(bits, tokens.data(), static_cast<uint32_t>(tokens.size()));
      tokens.clear();
    }
  };
  cMatchFinder finder(data, end, effort.depth, effort.niceLength);
  const size_t primed = begin > cMatchFinder::kMaxDistance ? begin - cMatchFinder::kMaxDistance : 0;
  for (size_t p = primed; p < begin; ++p) finder.Skip(p);
  cMatchFinder::Match found[cMatchFinder::kMaxMatch];
  // The longest match at `p` worth taking (0 for none); inserts `p`.
  auto longest = [&](size_t p, uint32_t* distance) {
    const int count = finder.Find(p, found);
    if (count == 0) return 0;
    const cMatchFinder::Match m = found[count - 1];
    if (m.length == cMatchFinder::kMinMatch && m.distance >= kFarShortMatch) return 0;
    *distance = m.distance;
    return static_cast<int>(m.length);
  };

  size_t pos = begin;
  uint32_t distance = 0;
  int length = longest(pos, &distance);
  while (pos < end) {
    if (length == 0) {
      emit({data[pos], 0});
      ++pos;
      if (pos < end) length = longest(pos, &distance);
      continue;
    }
    if (length < effort.niceLength && pos + 1 < end) {
      uint32_t nextDistance = 0;
      const int next = longest(pos + 1, &nextDistance);
      if (next > length) {
        emit({data[pos], 0});
        ++pos;
        length = next;
        distance = nextDistance;
        continue;
      }
    }
    emit({static_cast<uint16_t>(length + cLh5BlockWriter::kLengthBase),
          static_cast<uint16_t>(distance)});
    // Positions inside the match go into the trees unsearched; pos + 1 already went
    // in when the next position was weighed.
    const size_t matchEnd = pos + static_cast<size_t>(length);
    for (size_t p = pos + 1; p < matchEnd; ++p) {
      if (p == pos + 1 && length < effort.niceLength) continue;
      finder.Skip(p);
    }
    pos = matchEnd;
    if (pos < end) length = longest(pos, &distance);
  }
  if (!tokens.empty()) cLh5BlockWriter::Put(bits, tokens.data(), static_cast<uint32_t>(tokens.size()));
}
