#include "MatchFinder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kHashBits = 14;
constexpr uint32_t kWindowMask = 8191;
constexpr uint32_t kNone = UINT32_MAX;

// How many bytes from the start agree, up to `limit`, compared eight at a time.
size_t CommonLength(const uint8_t* a, const uint8_t* b, size_t limit) {
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

}  // namespace

cMatchFinder::cMatchFinder(const uint8_t* data, size_t size, int depth, int niceLength)
    : data(data), size(size), depth(std::max(1, depth)),
      niceLength(std::clamp(niceLength, kMinMatch, kMaxMatch)),
      head(new uint32_t[size_t{1} << kHashBits]), children(new uint32_t[2 * (kWindowMask + 1)]) {
  std::fill(head.get(), head.get() + (size_t{1} << kHashBits), kNone);
}

int cMatchFinder::Find(size_t pos, Match* out) { return Walk<true>(pos, out); }

void cMatchFinder::Skip(size_t pos) { Walk<false>(pos, nullptr); }

template <bool kReport>
int cMatchFinder::Walk(size_t pos, Match* out) {
  uint32_t* less = &children[2 * (pos & kWindowMask)];
  uint32_t* greater = less + 1;
  if (size - pos < static_cast<size_t>(kMinMatch)) {
    // Too near the end to hash; nothing later looks back at it.
    *less = *greater = kNone;
    return 0;
  }
  const uint8_t* here = data + pos;
  const uint32_t key = here[0] | (uint32_t{here[1]} << 8) | (uint32_t{here[2]} << 16);
  const uint32_t hash = (key * 2654435761u) >> (32 - kHashBits);
  uint32_t candidate = head[hash];
  head[hash] = static_cast<uint32_t>(pos);

  // Positions whose first bytes differ share a tree when their hashes collide; they
  // sort apart like any others and simply never match.
  const size_t limit = std::min<size_t>(static_cast<size_t>(niceLength), size - pos);
  size_t lessLength = 0;
  size_t greaterLength = 0;
  size_t best = kMinMatch - 1;
  int count = 0;
  for (int steps = depth;; --steps) {
    if (candidate == kNone || pos - candidate > kMaxDistance || steps == 0) {
      *less = *greater = kNone;
      break;
    }
    uint32_t* pair = &children[2 * (candidate & kWindowMask)];
    const uint8_t* there = data + candidate;
    // Every node below this point shares the shorter of the two bounds with `pos`.
    size_t len = std::min(lessLength, greaterLength);
    if (there[len] == here[len]) {
      len += CommonLength(there + len, here + len, limit - len);
      if (len > best) {
        best = len;
        if (kReport) {
          out[count++] = {static_cast<uint16_t>(len), static_cast<uint16_t>(pos - candidate - 1)};
        }
      }
      if (len == limit) {
        // As good as it gets: `pos` takes the candidate's place in the tree, which
        // keeps the nearer of two equal strings.
        *less = pair[0];
        *greater = pair[1];
        break;
      }
    }
    if (there[len] < here[len]) {
      *less = candidate;
      less = pair + 1;
      candidate = *less;
      lessLength = len;
    } else {
      *greater = candidate;
      greater = pair;
      candidate = *greater;
      greaterLength = len;
    }
  }
  return count;
}
