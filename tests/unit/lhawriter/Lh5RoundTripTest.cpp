// Files of every kind packed by the writer decode, through the installer's own reader
// and decoder, to exactly the bytes that went in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LhaWriter.h"
#include "unit/lhawriter/WrittenArchive.h"

namespace {

struct Case {
  const char* name;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> Repeated(size_t size, uint8_t value) { return std::vector<uint8_t>(size, value); }

std::vector<uint8_t> Binary(size_t size) {
  // Records with counters and repeated structure, as in executables.
  std::vector<uint8_t> bytes;
  for (uint32_t i = 0; bytes.size() < size; ++i) {
    const uint8_t record[] = {0x8B, 0x45, static_cast<uint8_t>(i), 0x00, 0xE8,
                              static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i >> 8), 0xFF, 0xC3};
    bytes.insert(bytes.end(), record, record + sizeof record);
    if (i % 5 == 0) bytes.push_back(static_cast<uint8_t>(i >> 3));
  }
  bytes.resize(size);
  return bytes;
}

TEST(Lh5RoundTrip, EveryKindOfContentComesBackByteForByte) {
  std::vector<Case> cases = {
      {"empty", {}},
      {"one", {0x41}},
      {"two", {0x00, 0xFF}},
      {"run", Repeated(100000, 'z')},
      {"zeros", Repeated(70000, 0)},
      {"random", RandomBytes(50000, 1)},
      {"text", TextBytes(300000, 2)},
      {"binary", Binary(200000)},
      {"short text", TextBytes(40, 3)},
      {"alternating", {}},
  };
  for (int i = 0; i < 30000; ++i) cases.back().data.push_back(i % 2 ? 'a' : 'b');
  // Mixed pieces: a run, random and text, so that blocks change character.
  std::vector<uint8_t> mixed = TextBytes(20000, 4);
  const std::vector<uint8_t> noise = RandomBytes(9000, 5);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  mixed.insert(mixed.end(), 9000, 'q');
  mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 20000);
  cases.push_back({"mixed", mixed});

  cLhaWriter writer;
  std::string error;
  for (const Case& c : cases) ASSERT_TRUE(writer.AddFile(c.name, c.data.data(), c.data.size(), &error)) << error;
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(writer.Finish(), &members));
  ASSERT_EQ(members.size(), cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(members[i].name, cases[i].name);
    EXPECT_TRUE(members[i].data == cases[i].data);
  }
  // Stored when packing does not shrink, packed otherwise.
  EXPECT_EQ(members[0].method, "-lh0-");
  EXPECT_EQ(members[1].method, "-lh0-");
  EXPECT_EQ(members[5].method, "-lh0-");
  EXPECT_EQ(members[3].method, "-lh5-");
  EXPECT_LT(members[3].packedSize, 200u);
  EXPECT_EQ(members[6].method, "-lh5-");
  EXPECT_LT(members[6].packedSize, 300000u / 3);
  EXPECT_EQ(members[7].method, "-lh5-");
}

TEST(Lh5RoundTrip, SmallBlocksAndSingleSymbolCodesDecodeWithEitherParse) {
  // Blocks of a few codes exercise the block heads, including codes with one symbol
  // only (a run after its first literal is one match length and one distance). The
  // near-optimal parse cuts its blocks by input positions, and long matches cross
  // them.
  const std::vector<uint8_t> run = Repeated(5000, 'x');
  const std::vector<uint8_t> text = TextBytes(20000, 6);
  for (bool optimal : {false, true}) {
    SCOPED_TRACE(optimal ? "near-optimal" : "lazy");
    cLh5Encoder::Effort effort;
    effort.blockCodes = optimal ? 300 : 3;
    effort.optimalParse = optimal;
    cLhaWriter writer(effort);
    std::string error;
    ASSERT_TRUE(writer.AddFile("run", run.data(), run.size(), &error)) << error;
    ASSERT_TRUE(writer.AddFile("text", text.data(), text.size(), &error)) << error;
    std::vector<ReadBackMember> members;
    ASSERT_TRUE(ReadBack(writer.Finish(), &members));
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].method, "-lh5-");
    EXPECT_TRUE(members[0].data == run);
    EXPECT_EQ(members[1].method, "-lh5-");
    EXPECT_TRUE(members[1].data == text);
  }
}

TEST(Lh5RoundTrip, NearOptimalParseIsSmallerThanLazyOnText) {
  const std::vector<uint8_t> text = TextBytes(200000, 9);
  cLh5Encoder::Effort lazy;
  lazy.optimalParse = false;
  const size_t lazySize = cLh5Encoder(lazy).Encode(text.data(), text.size()).size();
  const size_t optimalSize = cLh5Encoder().Encode(text.data(), text.size()).size();
  EXPECT_LT(optimalSize, lazySize);
}

TEST(Lh5RoundTrip, SlicesPackedOnSeveralThreadsJoinIntoOneStream) {
  // Slices of a few kilobytes, so that many meet at odd bit offsets, each with its
  // dictionary reaching back into the one before; the output does not depend on the
  // number of threads.
  std::vector<uint8_t> data = TextBytes(120000, 30);
  const std::vector<uint8_t> noise = RandomBytes(20000, 31);
  data.insert(data.end(), noise.begin(), noise.end());
  data.insert(data.end(), data.begin() + 5000, data.begin() + 65000);
  data.insert(data.end(), 3000, 0);
  for (bool optimal : {true, false}) {
    SCOPED_TRACE(optimal ? "near-optimal" : "lazy");
    cLh5Encoder::Effort effort;
    effort.optimalParse = optimal;
    effort.sliceBytes = 19997;
    effort.threads = 1;
    const std::vector<uint8_t> alone = cLh5Encoder(effort).Encode(data.data(), data.size());
    effort.threads = 3;
    const std::vector<uint8_t> together = cLh5Encoder(effort).Encode(data.data(), data.size());
    EXPECT_TRUE(alone == together);

    cLhaWriter writer(effort);
    std::string error;
    ASSERT_TRUE(writer.AddFile("sliced", data.data(), data.size(), &error)) << error;
    std::vector<ReadBackMember> members;
    ASSERT_TRUE(ReadBack(writer.Finish(), &members));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(members[0].method, "-lh5-");
    EXPECT_EQ(members[0].packedSize, alone.size());
    EXPECT_TRUE(members[0].data == data);
  }
}

TEST(Lh5RoundTrip, MemberOverEightMegabytesComesBack) {
  // Text, noise and long repeats (which pack quickly) past the 8 MB mark.
  std::vector<uint8_t> big = TextBytes(1 << 20, 7);
  const std::vector<uint8_t> noise = RandomBytes(2 << 20, 8);
  big.insert(big.end(), noise.begin(), noise.end());
  const std::vector<uint8_t> line = TextBytes(3000, 10);
  while (big.size() < (8u << 20) + 100000) big.insert(big.end(), line.begin(), line.end());
  ASSERT_GT(big.size(), 8u << 20);
  cLhaWriter writer;
  std::string error;
  ASSERT_TRUE(writer.AddFile("big.bin", big.data(), big.size(), &error)) << error;
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(writer.Finish(), &members));
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].method, "-lh5-");
  EXPECT_TRUE(members[0].data == big);
}

}  // namespace
