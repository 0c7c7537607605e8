// The decoder on hand-made streams: the output loop's staging through the dictionary,
// the dictionary's initial contents, single-symbol codes, and damaged data that must
// end a member early instead of writing or reading out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "payload/LhaArchive.h"
#include "unit/payload/LhaTestArchive.h"

using namespace dhtest;

namespace {

// One member of the given method over the packed bytes, decoded through the reader.
class OneMember {
 public:
  OneMember(const std::string& method, const std::string& packed, uint32_t unpackedSize)
      : archive_(LhaLevel0("F", method, packed, unpackedSize) + LhaEnd()) {
    EXPECT_EQ(kLhaOpenFound, OpenArchive(&list_, static_cast<uint32_t>(archive_.size()),
                                         archive_.data(), &decoder_));
    EXPECT_EQ(kLhaHeadersRead, ReadHeaders(&list_, &decoder_));
    EXPECT_EQ(kLhaSelected, SelectMember(&list_, 1, &decoder_));
  }
  ~OneMember() { FreeHeaders(&list_); }

  // Reads in calls of at most `step` bytes until a call returns less than asked.
  std::string Read(uint32_t total, uint32_t step) {
    std::string out;
    for (;;) {
      uint32_t ask = total - static_cast<uint32_t>(out.size());
      if (ask > step) ask = step;
      std::string piece(ask, '\0');
      uint32_t got = ReadMember(&decoder_, &piece[0], ask);
      out += piece.substr(0, got);
      if (got < ask || ask == 0) return out;
    }
  }
  const cMorLhaDec& Decoder() const { return decoder_; }

 private:
  std::string archive_;
  cMorLhaDec decoder_;
  LhaMemberList list_{};
};

std::string Pattern(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

TEST(MorLhaDecTest, MethodTable) {
  const char* ids[] = {"-lh0-", "-lh1-", "-lh2-", "-lh3-", "-lh4-",
                       "-lh5-", "-lzs-", "-lz5-", "-lz4-"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(i, cMorLhaDec::FindMethod(ids[i])) << ids[i];
  EXPECT_EQ(cMorLhaDec::kMethodNone, cMorLhaDec::FindMethod("-lhd-"));
  EXPECT_EQ(cMorLhaDec::kMethodNone, cMorLhaDec::FindMethod("-lh6-"));
}

TEST(MorLhaDecTest, StoredMembersArriveInPiecesAcrossFills) {
  const std::string data = Pattern(20000);
  for (const char* method : {"-lh0-", "-lz4-"}) {
    OneMember member(method, data, 20000);
    // Small requests leave the rest of a staged piece pending for the next call.
    std::string out = member.Read(10, 10);
    out += member.Read(5000, 333);
    out += member.Read(20000 - 5010, 20000);
    EXPECT_TRUE(out == data) << method;
    EXPECT_EQ(20000u, member.Decoder().DeliveredTotal());
  }
  OneMember empty("-lh0-", "", 0);
  EXPECT_EQ("", empty.Read(100, 100));
  // Input that ends before the unpacked size: what is there, then a short count.
  OneMember truncated("-lh0-", "abc", 5000);
  EXPECT_LT(truncated.Read(5000, 5000).size(), 5000u);
  EXPECT_TRUE(truncated.Decoder().Damaged());
}

// The dictionary holds the last plaintext: the tables are wiped before they are freed
// (the next member's reallocation frees them the same way).
TEST(MorLhaDecTest, TablesAreWipedBeforeRelease) {
  static std::vector<bool> wiped;
  wiped.clear();
  cMorLhaDec::SetReleaseObserver([](const void* block, size_t bytes) {
    const auto* at = static_cast<const uint8_t*>(block);
    wiped.push_back(std::all_of(at, at + bytes, [](uint8_t b) { return b == 0; }));
  });
  {
    OneMember member("-lh0-", Pattern(3000), 3000);
    EXPECT_EQ(Pattern(3000), member.Read(3000, 3000));
  }
  cMorLhaDec::SetReleaseObserver(nullptr);
  ASSERT_EQ(1u, wiped.size());
  EXPECT_TRUE(wiped[0]);
}

// -lzs-: flag bit 1 and a literal byte, or 0, an 11-bit position and length − 2.
void LzsLiteral(LhaBitWriter* w, uint8_t c) {
  w->Put(1, 1);
  w->Put(c, 8);
}
void LzsMatch(LhaBitWriter* w, uint32_t copyStart, uint32_t length) {
  w->Put(0, 1);
  w->Put((copyStart - 17) & 0x7FF, 11);
  w->Put(length - 2, 4);
}

TEST(MorLhaDecTest, MatchesOverlapReachBeforeTheStartAndCrossTheDictionaryEnd) {
  LhaBitWriter w;
  // The dictionary starts as spaces.
  LzsMatch(&w, 100, 3);
  // Distance 1, length 10: the previous byte ten times.
  LzsLiteral(&w, 'x');
  LzsMatch(&w, 3, 10);
  std::string expected = "   xxxxxxxxxxx";
  const std::string fill = Pattern(2045 - expected.size());
  for (char c : fill) LzsLiteral(&w, static_cast<uint8_t>(c));
  expected += fill;
  // At write position 2045 of 2048, copy 17 bytes from offset 3: the copy stops at the
  // dictionary's end and resumes at the front of the next fill.
  LzsMatch(&w, 3, 17);
  expected += expected.substr(3, 17);
  LzsLiteral(&w, '!');
  expected += "!";
  for (uint32_t step : {1u, 7u, 2048u, 5000u}) {
    OneMember member("-lzs-", w.Bytes(), static_cast<uint32_t>(expected.size()));
    std::string out = member.Read(static_cast<uint32_t>(expected.size()), step);
    EXPECT_TRUE(out == expected) << "step " << step;
  }
}

TEST(MorLhaDecTest, Lz5MatchesCopyTheInitialPattern) {
  // Five matches (flag bits 0), then three literals.
  std::string packed(1, '\xE0');
  auto match = [&packed](uint32_t copyStart, uint32_t length) {
    uint32_t position = (copyStart - 18) & 0xFFF;
    packed += static_cast<char>(position & 0xFF);
    packed += static_cast<char>(((position >> 4) & 0xF0) | (length - 3));
  };
  match(18 + 13 * 'A', 13);       // a run of one value
  match(3346 + '0', 10);          // the rising values
  match(3602 + (255 - 'z'), 4);   // the falling values
  match(3858, 3);                 // zeros
  match(4000, 3);                 // spaces
  packed += "end";
  std::string expected = std::string(13, 'A') + "0123456789" + "zyxw" + std::string(3, '\0') +
                         "   " + "end";
  OneMember member("-lz5-", packed, static_cast<uint32_t>(expected.size()));
  EXPECT_TRUE(member.Read(static_cast<uint32_t>(expected.size()), 100) == expected);
  // The same data cut short ends the member early.
  OneMember cut("-lz5-", packed.substr(0, 5), static_cast<uint32_t>(expected.size()));
  EXPECT_LT(cut.Read(100, 100).size(), expected.size());
  EXPECT_TRUE(cut.Decoder().Damaged());
}

// An -lh5- block head: the code count, then the pre-code, literal/length and position
// code, each here sent as a single symbol with a zero count.
std::string Lh5SingleSymbols(uint32_t codes, uint32_t preCode, uint32_t literal,
                             uint32_t position) {
  LhaBitWriter w;
  w.Put(codes, 16);
  w.Put(0, 5);
  w.Put(preCode, 5);
  w.Put(0, 9);
  w.Put(literal, 9);
  w.Put(0, 4);
  w.Put(position, 4);
  return w.Bytes();
}

TEST(MorLhaDecTest, Lh5SingleSymbolCodesTakeNoBits) {
  OneMember member("-lh5-", Lh5SingleSymbols(600, 0, 'Q', 0), 600);
  EXPECT_EQ(std::string(600, 'Q'), member.Read(600, 600));
  EXPECT_FALSE(member.Decoder().Damaged());
  // A single match code at distance 1: spaces, from the initial dictionary.
  OneMember matches("-lh5-", Lh5SingleSymbols(100, 0, 256 + 7, 0), 1000);
  EXPECT_EQ(std::string(1000, ' '), matches.Read(1000, 1000));
  // A symbol beyond the alphabet is damage.
  OneMember beyond("-lh5-", Lh5SingleSymbols(600, 0, 510, 0), 600);
  EXPECT_EQ("", beyond.Read(600, 600));
  EXPECT_TRUE(beyond.Decoder().Damaged());
  OneMember beyondPosition("-lh5-", Lh5SingleSymbols(600, 0, 300, 14), 600);
  EXPECT_EQ("", beyondPosition.Read(600, 600));
}

// Literal/length lengths sent through a pre-code that has the single symbol `preCode`.
std::string Lh5Lengths(uint32_t preCode, uint32_t count, uint32_t extra, int extraBits) {
  LhaBitWriter w;
  w.Put(100, 16);
  w.Put(0, 5);
  w.Put(preCode, 5);
  w.Put(count, 9);
  if (extraBits > 0) w.Put(extra, extraBits);
  w.Put(0, 16);
  return w.Bytes();
}

TEST(MorLhaDecTest, DamagedCodeTablesEndTheMember) {
  const struct {
    const char* what;
    std::string packed;
  } cases[] = {
      {"count beyond the table", Lh5Lengths(0, 511, 0, 0)},
      {"zero run beyond the table", Lh5Lengths(2, 510, 500, 9)},
      {"incomplete code", Lh5Lengths(4, 2, 0, 0)},
      {"over-full code", Lh5Lengths(3, 3, 0, 0)},
      {"code lengths above 16",
       [] {
         LhaBitWriter w;
         w.Put(100, 16);
         w.Put(1, 5);          // one pre-code length...
         w.Put(0x7FFF, 16);    // ...of 7 and then more than nine 1 bits
         return w.Bytes();
       }()},
  };
  for (const auto& c : cases) {
    OneMember member("-lh5-", c.packed, 1000);
    EXPECT_EQ("", member.Read(1000, 1000)) << c.what;
    EXPECT_TRUE(member.Decoder().Damaged()) << c.what;
  }
}

}  // namespace
