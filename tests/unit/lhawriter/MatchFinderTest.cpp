// The binary-tree match finder against a brute-force search of the dictionary: the
// longest match it reports is the longest there is, within 8191 bytes back and 256
// bytes long, and every match it reports is real.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MatchFinder.h"
#include "unit/lhawriter/WrittenArchive.h"

namespace {

constexpr size_t kWindow = cMatchFinder::kMaxDistance;
constexpr size_t kMaxMatch = cMatchFinder::kMaxMatch;

// The longest match at `pos` within the window, and its nearest distance.
size_t LongestByHand(const std::vector<uint8_t>& data, size_t pos, size_t* distance) {
  const size_t limit = std::min(kMaxMatch, data.size() - pos);
  size_t best = 0;
  for (size_t back = 1; back <= std::min(kWindow, pos) && best < limit; ++back) {
    size_t len = 0;
    while (len < limit && data[pos - back + len] == data[pos + len]) ++len;
    if (len > best) {
      best = len;
      *distance = back;
    }
  }
  return best;
}

// Every position searched with an unbounded walk, each report checked byte by byte
// and the longest compared with the brute-force one.
void CheckAgainstBruteForce(const std::vector<uint8_t>& data) {
  cMatchFinder finder(data.data(), data.size(), 1 << 20, static_cast<int>(kMaxMatch));
  cMatchFinder::Match found[kMaxMatch];
  for (size_t pos = 0; pos < data.size(); ++pos) {
    SCOPED_TRACE("position " + std::to_string(pos));
    const int count = finder.Find(pos, found);
    size_t distance = 0;
    const size_t longest = LongestByHand(data, pos, &distance);
    if (longest < static_cast<size_t>(cMatchFinder::kMinMatch)) {
      ASSERT_EQ(count, 0);
      continue;
    }
    ASSERT_GT(count, 0);
    int previous = cMatchFinder::kMinMatch - 1;
    for (int k = 0; k < count; ++k) {
      const size_t back = found[k].distance + 1u;
      ASSERT_GT(found[k].length, previous);
      ASSERT_LE(back, std::min(kWindow, pos));
      ASSERT_TRUE(std::equal(data.begin() + static_cast<std::ptrdiff_t>(pos - back),
                             data.begin() + static_cast<std::ptrdiff_t>(pos - back + found[k].length),
                             data.begin() + static_cast<std::ptrdiff_t>(pos)));
      previous = found[k].length;
    }
    ASSERT_EQ(static_cast<size_t>(found[count - 1].length), longest);
  }
}

std::vector<uint8_t> FewSymbols(size_t size, uint32_t seed, int symbols) {
  std::vector<uint8_t> bytes = RandomBytes(size, seed);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>('a' + b % symbols);
  return bytes;
}

TEST(MatchFinder, FindsTheLongestMatchOnRandomAndRepetitiveInput) {
  // Short random matches everywhere, past the end of the first window.
  CheckAgainstBruteForce(FewSymbols(9000, 21, 4));
  // Text: repeated words and lines.
  CheckAgainstBruteForce(TextBytes(9000, 22));
  // Repeats of a period, each with a changed byte, so that the longest match is
  // seldom the nearest one.
  std::vector<uint8_t> periodic;
  const std::vector<uint8_t> line = FewSymbols(37, 23, 26);
  for (uint32_t i = 0; periodic.size() < 10000; ++i) {
    periodic.insert(periodic.end(), line.begin(), line.end());
    periodic[periodic.size() - 1 - i % 37] = static_cast<uint8_t>(i);
  }
  CheckAgainstBruteForce(periodic);
}

TEST(MatchFinder, LongRunsStopAt256BytesAndAtTheEnd) {
  std::vector<uint8_t> run(1000, 'x');
  run.push_back('y');
  cMatchFinder finder(run.data(), run.size(), 16, static_cast<int>(kMaxMatch));
  cMatchFinder::Match found[kMaxMatch];
  EXPECT_EQ(finder.Find(0, found), 0);
  int count = finder.Find(1, found);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(found[0].length, kMaxMatch);
  EXPECT_EQ(found[0].distance, 0);
  for (size_t pos = 2; pos < 900; ++pos) finder.Skip(pos);
  // 101 bytes remain: 100 of the run (the last one, 'y', matches nothing).
  count = finder.Find(900, found);
  ASSERT_GT(count, 0);
  EXPECT_EQ(found[count - 1].length, 100);
  // Too near the end for any match.
  for (size_t pos = 901; pos < 999; ++pos) finder.Skip(pos);
  EXPECT_EQ(finder.Find(999, found), 0);
  EXPECT_EQ(finder.Find(1000, found), 0);
}

TEST(MatchFinder, ReachesBack8191BytesAndNoFurther) {
  // Distinct noise, with a 20-byte phrase 8191 bytes before one copy and 8192 bytes
  // before another.
  std::vector<uint8_t> data = RandomBytes(30000, 24);
  const std::vector<uint8_t> near = FewSymbols(20, 25, 26);
  const std::vector<uint8_t> far = FewSymbols(20, 26, 26);
  std::copy(near.begin(), near.end(), data.begin() + 1000);
  std::copy(near.begin(), near.end(), data.begin() + 1000 + 8191);
  std::copy(far.begin(), far.end(), data.begin() + 12000);
  std::copy(far.begin(), far.end(), data.begin() + 12000 + 8192);
  cMatchFinder finder(data.data(), data.size(), 64, static_cast<int>(kMaxMatch));
  cMatchFinder::Match found[kMaxMatch];
  cMatchFinder::Match nearMatch{0, 0};
  cMatchFinder::Match farMatch{0, 0};
  for (size_t pos = 0; pos < data.size(); ++pos) {
    const int count = finder.Find(pos, found);
    if (count > 0 && pos == 1000 + 8191) nearMatch = found[count - 1];
    if (count > 0 && pos == 12000 + 8192) farMatch = found[count - 1];
  }
  EXPECT_EQ(nearMatch.length, 20);
  EXPECT_EQ(nearMatch.distance, 8190);
  // Only chance matches of a few bytes, if any.
  EXPECT_LT(farMatch.length, 20);
}

TEST(MatchFinder, ASliceSeesTheDictionaryBeforeIt) {
  // Positions before a slice are only skipped (inserted): the slice's first match
  // still finds them, and nothing reaches past the slice's end.
  const std::vector<uint8_t> text = TextBytes(20000, 27);
  std::vector<uint8_t> data(text.begin(), text.begin() + 10000);
  data.insert(data.end(), text.begin() + 6000, text.begin() + 6300);
  const size_t begin = 10000;
  const size_t end = begin + 200;
  cMatchFinder finder(data.data(), end, 16, static_cast<int>(kMaxMatch));
  for (size_t pos = begin - kWindow; pos < begin; ++pos) finder.Skip(pos);
  cMatchFinder::Match found[kMaxMatch];
  const int count = finder.Find(begin, found);
  ASSERT_GT(count, 0);
  const cMatchFinder::Match longest = found[count - 1];
  EXPECT_EQ(longest.length, 200);
  const size_t from = begin - longest.distance - 1;
  EXPECT_TRUE(std::equal(data.begin() + static_cast<std::ptrdiff_t>(from),
                         data.begin() + static_cast<std::ptrdiff_t>(from + 200),
                         data.begin() + static_cast<std::ptrdiff_t>(begin)));
}

}  // namespace
