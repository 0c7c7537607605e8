// Finds LZSS matches over the -lh5- dictionary with a binary tree per three-byte hash:
// every position becomes the root of its tree, with the older positions sorted by the
// bytes that follow them, so one walk down the tree meets the longest match and every
// shorter length worth pricing, with far fewer comparisons than a long hash chain on
// repetitive input.
//
// Positions are visited in increasing order, each once, by Find or Skip (a slice of a
// larger input starts by skipping up to 8191 positions before it, which primes the
// dictionary).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class cMatchFinder {
 public:
  static constexpr int kMinMatch = 3;
  static constexpr int kMaxMatch = 256;
  // The dictionary holds 8192 bytes; staying one short of it keeps every source byte
  // distinct from the byte being written, whatever the decoder's staging.
  static constexpr uint32_t kMaxDistance = 8191;

  struct Match {
    uint16_t length;
    uint16_t distance;  // minus one, as the position code sends it
  };

  // `depth`: tree nodes compared per position at most. `niceLength`: a match this long
  // (at most kMaxMatch) ends the search.
  cMatchFinder(const uint8_t* data, size_t size, int depth, int niceLength);

  // The matches at `pos` (at most kMaxMatch - kMinMatch + 1 of them): each longer than
  // the one before, each at the nearest distance the walk met for it; the last is the
  // longest. Returns their count and inserts `pos`.
  int Find(size_t pos, Match* out);
  // Inserts `pos` without reporting.
  void Skip(size_t pos);

 private:
  template <bool kReport>
  int Walk(size_t pos, Match* out);

  const uint8_t* data;
  size_t size;
  int depth;
  int niceLength;
  std::unique_ptr<uint32_t[]> head;
  // Two children per dictionary slot: [0] the older positions that sort before the
  // slot's own, [1] those that sort after it.
  std::unique_ptr<uint32_t[]> children;
};
