// Damaged archives: truncated, with bytes of the packed data or the headers changed,
// and with absurd sizes. Every case must end cleanly (the sanitizers watch every
// access) and never deliver more than the member's size.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "payload/LhaArchive.h"
#include "unit/payload/LhaFixtures.h"
#include "unit/payload/LhaTestArchive.h"

using dhtest::LhaFixture;

namespace {

// Decodes every member the reader lists, into buffers of the member's size (capped,
// since a damaged header may claim anything). Returns the number of members that
// decoded to their full size.
int DecodeAll(const std::string& archive) {
  cMorLhaDec decoder;
  LhaMemberList list;
  int complete = 0;
  if (OpenArchive(&list, static_cast<uint32_t>(archive.size()), archive.data(), &decoder) ==
      kLhaOpenFound) {
    ReadHeaders(&list, &decoder);
    int index = 1;
    for (const LhaMember* m = list.head; m != nullptr; m = m->next, ++index) {
      if (SelectMember(&list, index, &decoder) != kLhaSelected) continue;
      uint32_t room = m->unpackedSize < (1u << 20) ? m->unpackedSize : (1u << 20);
      std::string out(room + 1, '\x5A');
      uint32_t got = ReadMember(&decoder, &out[0], room);
      EXPECT_LE(got, room);
      EXPECT_EQ('\x5A', out[room]);  // nothing written past the count asked for
      if (got == m->unpackedSize) ++complete;
    }
  }
  FreeHeaders(&list);
  return complete;
}

uint32_t NextRandom(uint32_t* state) {
  *state = *state * 1103515245u + 12345u;
  return *state >> 8;
}

TEST(LhaRobustnessTest, TruncatedArchivesEndEveryMemberShort) {
  const std::string archive = LhaFixture("level1");
  ASSERT_EQ(10, DecodeAll(archive));
  cMorLhaDec decoder;
  LhaMemberList list;
  ASSERT_EQ(kLhaOpenFound,
            OpenArchive(&list, static_cast<uint32_t>(archive.size()), archive.data(), &decoder));
  ASSERT_EQ(kLhaHeadersRead, ReadHeaders(&list, &decoder));
  // Cut each member in the middle of its packed data: the members before it still
  // decode, the cut one never decodes to its full size.
  int index = 1;
  for (const LhaMember* m = list.head; m != nullptr; m = m->next, ++index) {
    if (m->packedSize < 2) continue;
    std::string cut = archive.substr(0, static_cast<size_t>(m->dataOffset + m->packedSize / 2));
    cMorLhaDec cutDecoder;
    LhaMemberList cutList;
    ASSERT_EQ(kLhaOpenFound, OpenArchive(&cutList, static_cast<uint32_t>(cut.size()),
                                         cut.data(), &cutDecoder));
    EXPECT_EQ(kLhaHeaderMalformed, ReadHeaders(&cutList, &cutDecoder));
    // The reader rejects the header; a caller that decodes anyway gets a short count.
    LhaMember* forced = cutList.tail;
    forced->dataOffset = m->dataOffset;
    forced->unpackedSize = m->unpackedSize;
    memcpy(forced->method, m->method, sizeof m->method);
    cutList.current = forced;
    ASSERT_EQ(cMorLhaDec::kStarted, cutDecoder.StartMember(&cutList));
    std::string out(m->unpackedSize, '\0');
    EXPECT_LT(cutDecoder.ReadMember(&out[0], m->unpackedSize), m->unpackedSize) << m->name;
    EXPECT_TRUE(cutDecoder.Damaged()) << m->name;
    FreeHeaders(&cutList);
  }
  FreeHeaders(&list);
}

TEST(LhaRobustnessTest, ChangedBytesEndCleanly) {
  uint32_t state = 12345;
  for (const char* name : {"level0", "level1", "level2"}) {
    const std::string archive = LhaFixture(name);
    for (int trial = 0; trial < 60; ++trial) {
      std::string damaged = archive;
      int changes = 1 + static_cast<int>(NextRandom(&state) % 8);
      for (int i = 0; i < changes; ++i) {
        damaged[NextRandom(&state) % damaged.size()] = static_cast<char>(NextRandom(&state));
      }
      DecodeAll(damaged);
    }
  }
}

TEST(LhaRobustnessTest, GarbageAndAbsurdSizes) {
  uint32_t state = 777;
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(NextRandom(&state));
  const char* methods[] = {"-lh0-", "-lh1-", "-lh2-", "-lh3-", "-lh4-",
                           "-lh5-", "-lzs-", "-lz5-", "-lz4-"};
  for (const char* method : methods) {
    // Level 0 header claiming 4 GiB of output from 4 KiB of random data.
    std::string header = std::string("\x18\0", 2) + method + std::string("\x00\x10\0\0", 4) +
                         std::string("\xFF\xFF\xFF\xFF", 4) + std::string(5, '\0') +
                         std::string(1, '\0') + std::string("\x01X\0\0", 4);
    header[0] = static_cast<char>(header.size() - 2);
    EXPECT_EQ(0, DecodeAll(header + garbage + std::string(1, '\0'))) << method;
  }
}

}  // namespace

// A member claiming more bytes than its packed data holds ends at its data: it must not
// go on decoding the next member's header as its own bytes.
TEST(LhaRobustnessTest, MemberEndsAtItsOwnPackedData) {
  for (const char* method : {"-lh0-", "-lh5-", "-lz5-", "-lh1-"}) {
    std::string archive = dhtest::LhaLevel2(method, {{1, "A.TXT"}}, "abc", 40) +
                          dhtest::LhaLevel2("-lh0-", {{1, "B.TXT"}}, "0123456789", 10) +
                          dhtest::LhaEnd();
    cMorLhaDec decoder;
    LhaMemberList list;
    ASSERT_EQ(kLhaOpenFound, OpenArchive(&list, static_cast<uint32_t>(archive.size()),
                                         archive.data(), &decoder));
    ASSERT_EQ(kLhaHeadersRead, ReadHeaders(&list, &decoder));
    ASSERT_EQ(2, list.count);
    ASSERT_EQ(kLhaSelected, SelectMember(&list, 1, &decoder));
    std::string out(40, '\0');
    EXPECT_GT(40u, ReadMember(&decoder, &out[0], 40)) << method;
    if (std::string(method) == "-lh0-") {
      EXPECT_EQ("abc", out.substr(0, 3));
    }

    // The next member still decodes whole afterwards.
    ASSERT_EQ(kLhaSelected, SelectMember(&list, 2, &decoder));
    std::string second(10, '\0');
    EXPECT_EQ(10u, ReadMember(&decoder, &second[0], 10));
    EXPECT_EQ("0123456789", second);
    FreeHeaders(&list);
  }
}
