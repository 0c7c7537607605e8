#include "morstd/MorMemBlock.h"

#include <gtest/gtest.h>

#include <string>

#include "morstd/MorException.h"
#include "unit/morstd/MorTestSupport.h"

using morstd::cMorMemBlock;
using morstd::cMorMemBlockException;
using morstdtest::FailingAllocations;
using morstdtest::ThrownText;

namespace {

int OffsetOf(const cMorMemBlock& block, int i) {
  return static_cast<int>(block.GetAt(i) - block.GetData());
}

bool ZeroAfterUse(const cMorMemBlock& block) {
  for (int i = block.GetDataSize() - 1; i < block.GetDataCapacity(); ++i) {
    if (block.GetData()[i] != '\0') return false;
  }
  return true;
}

}  // namespace

TEST(MorMemBlock, NewBlockIsEmpty) {
  cMorMemBlock block;
  EXPECT_EQ(0, block.GetCount());
  EXPECT_EQ(0, block.GetDataSize());
  EXPECT_EQ(nullptr, block.GetAt(0));
  EXPECT_EQ(nullptr, block.GetData());
}

TEST(MorMemBlock, FirstTextSizesTheAreaAndIndex) {
  cMorMemBlock block;
  EXPECT_EQ(1, block.Add("0123456789"));
  EXPECT_EQ(1, block.GetCount());
  EXPECT_EQ(10, block.GetIndexCapacity());
  EXPECT_EQ(256, block.GetDataCapacity());
  EXPECT_EQ(12, block.GetDataSize());  // the text, its NUL and the spare NUL
  EXPECT_STREQ("0123456789", block.GetAt(0));
  EXPECT_EQ(nullptr, block.GetAt(1));
  EXPECT_EQ(nullptr, block.GetAt(-1));
  EXPECT_TRUE(ZeroAfterUse(block));

  cMorMemBlock large;
  large.Add(std::string(300, 'L').c_str());
  EXPECT_EQ(556, large.GetDataCapacity());
}

TEST(MorMemBlock, IndexAndAreaAtLeastDoubleAsTheyGrow) {
  cMorMemBlock block;
  for (int i = 0; i < 9; ++i) block.Add(std::to_string(i).c_str());
  EXPECT_EQ(10, block.GetIndexCapacity());
  block.Add("9");
  EXPECT_EQ(20, block.GetIndexCapacity());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::to_string(i), block.GetAt(i));
  cMorMemBlock longer;
  for (int i = 0; i < 20; ++i) longer.Add(std::to_string(i).c_str());
  EXPECT_EQ(40, longer.GetIndexCapacity());
  for (int i = 0; i < 20; ++i) EXPECT_EQ(std::to_string(i), longer.GetAt(i));

  // 20 bytes used of 256: a text ending at byte 255 fits, one more byte does not.
  block.Add(std::string(234, 'a').c_str());
  EXPECT_EQ(256, block.GetDataCapacity());
  block.Clear();
  for (int i = 0; i < 10; ++i) block.Add(std::to_string(i).c_str());
  block.Add(std::string(235, 'b').c_str());
  EXPECT_EQ(20 + 236 + 256, block.GetDataCapacity());
  EXPECT_EQ(11, block.GetCount());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::to_string(i), block.GetAt(i));
  EXPECT_EQ(20, OffsetOf(block, 10));
  EXPECT_EQ(std::string(235, 'b'), block.GetAt(10));
  EXPECT_EQ(257, block.GetDataSize());
  EXPECT_TRUE(ZeroAfterUse(block));
  // A small text that does not fit doubles the area; a large one grows it beyond its need.
  block.Add(std::string(256, 'c').c_str());
  EXPECT_EQ(2 * 512, block.GetDataCapacity());
  block.Add(std::string(2000, 'd').c_str());
  EXPECT_EQ(256 + 257 + 2001 + 256, block.GetDataCapacity());
  EXPECT_EQ(std::string(256, 'c'), block.GetAt(11));
  EXPECT_EQ(std::string(2000, 'd'), block.GetAt(12));
  EXPECT_TRUE(ZeroAfterUse(block));
}

// Texts read back from a record are taken in with one allocation of each buffer after
// the first text: the whole area and index are sized from the total and the count.
TEST(MorMemBlock, AddMultipleMakesRoomForAllTextsAtOnce) {
  std::string texts;
  for (int i = 0; i < 1000; ++i) texts += "#PROGRAMFILES#\\file" + std::to_string(i) + '\0';
  cMorMemBlock block;
  ASSERT_EQ(1, block.AddMultiple(texts.c_str(), static_cast<uint32_t>(texts.size()), 1000));
  EXPECT_EQ(1000, block.GetCount());
  EXPECT_EQ(1001, block.GetIndexCapacity());
  EXPECT_EQ(static_cast<int>(texts.size()) + 1, block.GetDataCapacity());
  EXPECT_EQ(static_cast<int>(texts.size()) + 1, block.GetDataSize());
  EXPECT_STREQ("#PROGRAMFILES#\\file999", block.GetAt(999));
  EXPECT_TRUE(ZeroAfterUse(block));
}

TEST(MorMemBlock, AddAcceptsItsOwnTextWhileTheAreaMoves) {
  cMorMemBlock block;
  block.Add(std::string(200, 'x').c_str());
  block.Add(block.GetAt(0));  // needs 402 bytes of 256
  EXPECT_EQ(std::string(200, 'x'), block.GetAt(1));
  block.Add(nullptr);
  EXPECT_STREQ("", block.GetAt(2));
  EXPECT_EQ(3, block.GetCount());
}

TEST(MorMemBlock, AddMultipleStopsAtTheTotal) {
  static const char texts[] = "#PROGRAMFILES#\\a.exe\0#APPDATA#\\\0b\0";  // 34 bytes and a NUL
  cMorMemBlock block;
  EXPECT_EQ(1, block.AddMultiple(texts, 0, 0));
  EXPECT_EQ(0, block.GetCount());

  EXPECT_EQ(0, block.AddMultiple(texts, 33, 3));
  EXPECT_EQ(2, block.GetCount());
  EXPECT_STREQ("#APPDATA#\\", block.GetAt(1));

  block.Clear();
  EXPECT_EQ(1, block.AddMultiple(texts, 34, 3));
  EXPECT_EQ(3, block.GetCount());
  EXPECT_STREQ("b", block.GetAt(2));
  EXPECT_EQ(35, block.GetDataSize());

  // More texts asked for than the total holds.
  block.Clear();
  EXPECT_EQ(0, block.AddMultiple(texts, 34, 4));
  EXPECT_EQ(3, block.GetCount());
  EXPECT_EQ(0, block.AddMultiple(nullptr, 10, 1));
}

TEST(MorMemBlock, CopyFromIsDeep) {
  cMorMemBlock source;
  source.Add("one");
  source.Add("two");
  cMorMemBlock copy;
  copy.Add("stale");
  copy.CopyFrom(source);
  source.Add("three");
  source.Clear();

  EXPECT_EQ(2, copy.GetCount());
  EXPECT_STREQ("one", copy.GetAt(0));
  EXPECT_STREQ("two", copy.GetAt(1));
  EXPECT_EQ(9, copy.GetDataSize());
  EXPECT_EQ(256, copy.GetDataCapacity());
  EXPECT_EQ(10, copy.GetIndexCapacity());

  copy.CopyFrom(copy);
  EXPECT_EQ(2, copy.GetCount());
  copy.CopyFrom(source);
  EXPECT_EQ(0, copy.GetCount());
  EXPECT_EQ(nullptr, copy.GetData());
  EXPECT_EQ(0, copy.GetDataCapacity());
  EXPECT_EQ(0, copy.GetIndexCapacity());
}

TEST(MorMemBlock, FailedAllocationsEmptyTheBlock) {
  cMorMemBlock block;
  {
    FailingAllocations fail(1);
    EXPECT_EQ("cMemBlockException Err", ThrownText<cMorMemBlockException>([&] { block.Add("a"); }));
  }
  EXPECT_EQ(0, block.GetCount());
  EXPECT_EQ(nullptr, block.GetData());

  block.Add("a");
  {
    FailingAllocations fail(1);
    EXPECT_THROW(block.Add(std::string(300, 'x').c_str()), cMorMemBlockException);
  }
  EXPECT_EQ(0, block.GetCount());
  EXPECT_EQ(0, block.GetDataSize());
  EXPECT_EQ(0, block.GetIndexCapacity());

  cMorMemBlock source;
  source.Add("a");
  block.Add("b");
  {
    FailingAllocations fail(1);
    EXPECT_THROW(block.CopyFrom(source), cMorMemBlockException);
  }
  EXPECT_EQ(0, block.GetCount());
  EXPECT_EQ(nullptr, block.GetData());

  block.Add("b");
  {
    FailingAllocations fail(1);
    EXPECT_EQ(0, block.AddMultiple(std::string(300, 'y').c_str(), 301, 1));
  }
  EXPECT_EQ(0, block.GetCount());
}
