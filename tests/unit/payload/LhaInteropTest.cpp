// Archives written by jlha, an encoder independent of ours, decode byte for byte for
// every method it writes, at every header level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/LhaArchive.h"
#include "unit/payload/LhaFixtures.h"

using dhtest::LhaContent;
using dhtest::LhaFixture;
using dhtest::LhaFixtureContent;

namespace {

struct Expected {
  std::string name;
  std::string method;
  std::string content;
};

// Opens, lists and decodes every member, comparing each with what the script stored.
void CheckArchive(const std::string& archive, const std::vector<Expected>& expected) {
  cMorLhaDec decoder;
  LhaMemberList list;
  ASSERT_EQ(kLhaOpenFound, OpenArchive(&list, static_cast<uint32_t>(archive.size()),
                                       archive.data(), &decoder));
  ASSERT_EQ(kLhaHeadersRead, ReadHeaders(&list, &decoder));
  ASSERT_EQ(static_cast<int32_t>(expected.size()), list.count);
  const LhaMember* member = list.head;
  for (size_t i = 0; i < expected.size(); ++i, member = member->next) {
    SCOPED_TRACE(expected[i].name);
    ASSERT_NE(nullptr, member);
    EXPECT_EQ(expected[i].name, member->name);
    EXPECT_EQ(expected[i].method, member->method);
    ASSERT_EQ(expected[i].content.size(), member->unpackedSize);
    ASSERT_EQ(kLhaSelected, SelectMember(&list, static_cast<int>(i + 1), &decoder));
    std::string out(member->unpackedSize + 16, '\0');
    uint32_t got = ReadMember(&decoder, &out[0], member->unpackedSize);
    EXPECT_EQ(member->unpackedSize, got);
    out.resize(got);
    EXPECT_TRUE(out == expected[i].content) << "decoded bytes differ";
    EXPECT_FALSE(decoder.Damaged());
  }
  EXPECT_EQ(nullptr, member);
  FreeHeaders(&list);
  EXPECT_EQ(nullptr, list.head);
}

const char* const kMethods[] = {"-lh0-", "-lh1-", "-lh2-", "-lh3-",
                                "-lh4-", "-lh5-", "-lzs-", "-lz5-"};

std::vector<Expected> LevelArchive(int level) {
  std::vector<Expected> members;
  for (int m = 0; m < 8; ++m) {
    members.push_back({"m" + std::to_string(m) + ".bin", kMethods[m],
                       LhaFixtureContent(100 * level + m + 1, 10000, LhaContent::kMixed)});
  }
  // jlha stores an empty member whatever the method asked for.
  members.push_back({"empty.txt", "-lh0-", ""});
  if (level > 0) members.push_back({"folder\\", "-lhd-", ""});
  return members;
}

TEST(LhaInteropTest, EveryMethodAtHeaderLevel0) { CheckArchive(LhaFixture("level0"), LevelArchive(0)); }

TEST(LhaInteropTest, EveryMethodAtHeaderLevel1) { CheckArchive(LhaFixture("level1"), LevelArchive(1)); }

TEST(LhaInteropTest, EveryMethodAtHeaderLevel2) { CheckArchive(LhaFixture("level2"), LevelArchive(2)); }

// Several -lh5- blocks; more than 0x8000 updates of the -lh1- and -lh2- literal/length
// trees and of the -lh2- position tree, which are then rebuilt; and an -lh2- position
// alphabet grown to its full size.
TEST(LhaInteropTest, LongMembers) {
  CheckArchive(LhaFixture("long"),
               {{"blocks.bin", "-lh5-", LhaFixtureContent(1000, 200000, LhaContent::kMixed)},
                {"rebuild1.bin", "-lh1-", LhaFixtureContent(1001, 36000, LhaContent::kRandom)},
                {"rebuild2.bin", "-lh2-", LhaFixtureContent(1002, 36000, LhaContent::kRandom)},
                {"mixed2.bin", "-lh2-", LhaFixtureContent(1003, 60000, LhaContent::kMixed)},
                {"positions2.bin", "-lh2-",
                 LhaFixtureContent(1004, 270000, LhaContent::kShortWords)}});
}

}  // namespace
