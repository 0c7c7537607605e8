#include "morstd/MorString.h"

#include <gtest/gtest.h>

#include <string>

#include "morstd/MorException.h"
#include "unit/morstd/MorTestSupport.h"

using morstd::cMorStrBadMemException;
using morstd::cMorStrOutOfRangeException;
using morstd::cMorString;
using morstdtest::FailingAllocations;
using morstdtest::ThrownText;

namespace {

bool ZeroFrom(const cMorString& s, int from) {
  for (int i = from; i < s.GetCapacity(); ++i) {
    if (s.CharAt(i) != '\0') return false;
  }
  return true;
}

}  // namespace

TEST(MorString, GrowsIn128ByteStepsAndZeroFills) {
  cMorString s;
  EXPECT_EQ(0, s.GetLength());
  EXPECT_EQ(128, s.GetCapacity());
  EXPECT_TRUE(ZeroFrom(s, 0));

  s.Assign(std::string(127, 'x').c_str());
  EXPECT_EQ(128, s.GetCapacity());
  s.Assign(std::string(128, 'x').c_str());
  EXPECT_EQ(256, s.GetCapacity());
  EXPECT_EQ(128, s.GetLength());
  EXPECT_TRUE(ZeroFrom(s, 128));

  // A shorter text leaves no trace of the longer one.
  s.Assign("abc");
  EXPECT_EQ(256, s.GetCapacity());
  EXPECT_TRUE(ZeroFrom(s, 3));

  EXPECT_EQ(1, s.Reserve(300));
  EXPECT_EQ(384, s.GetCapacity());
  EXPECT_STREQ("abc", s.GetData());
  s.Reserve(10);  // never shrinks
  s.Reserve(-5);
  EXPECT_EQ(384, s.GetCapacity());

  s.Clear();
  EXPECT_EQ(nullptr, s.GetData());
  EXPECT_EQ(0, s.GetCapacity());
  EXPECT_EQ(0, s.GetLength());
  s.Reserve(-5);
  EXPECT_EQ(64, s.GetCapacity());
}

TEST(MorString, RequestsAbove100MiBThrowBadMemoryAndKeepTheText) {
  cMorString s;
  s.Assign("C:\\Program Files");
  EXPECT_EQ("Bad Memory", ThrownText<cMorStrBadMemException>([&] { s.Reserve(104857601); }));
#ifndef _WIN32
  // mingw's formatter builds padding on the stack, and a 100 MiB width overflows the
  // stack before the cap is reached, so the cap on formatted output is checked here only.
  EXPECT_EQ("Bad Memory",
            ThrownText<cMorStrBadMemException>([&] { s.Format("%*d", 104857600, 1); }));
  EXPECT_EQ("Bad Memory",
            ThrownText<cMorStrBadMemException>([&] { s.AppendFormat("%*d", 104857600 - 16, 1); }));
#endif
  EXPECT_STREQ("C:\\Program Files", s.GetData());
  EXPECT_EQ(128, s.GetCapacity());
}

TEST(MorString, AssignAndAppendIgnoreNullAndAcceptTheirOwnText) {
  cMorString s;
  s.Assign("C:\\Dravenholt");
  s.Assign(nullptr).Append(nullptr);
  EXPECT_STREQ("C:\\Dravenholt", s.GetData());

  s.Assign(s.GetData() + 3);
  EXPECT_STREQ("Dravenholt", s.GetData());
  EXPECT_TRUE(ZeroFrom(s, 10));

  // Doubling a 100-byte text must grow the buffer while the appended text is its own.
  s.Assign(std::string(100, 'd').c_str());
  s.Append(s.GetData());
  EXPECT_EQ(std::string(200, 'd'), s.GetData());
  EXPECT_EQ(256, s.GetCapacity());

  s.Clear();
  s.Append("ビューア");  // four double-byte characters
  EXPECT_EQ(8, s.GetLength());
  EXPECT_EQ(64, s.GetCapacity());
}

TEST(MorString, FormatGrowsOnlyWhenTheOutputDoesNotFit) {
  cMorString s;
  const char* buffer = s.GetData();
  s.Format("%s", std::string(127, 'f').c_str());
  EXPECT_EQ(buffer, s.GetData());
  EXPECT_EQ(128, s.GetCapacity());
  s.Format("%s%d", std::string(127, 'f').c_str(), 7);
  EXPECT_EQ(256, s.GetCapacity());
  EXPECT_EQ(128, s.GetLength());

  s.Format("%d:%s", 42, "x");
  EXPECT_STREQ("42:x", s.GetData());
  s.AppendFormat("(%05d)", 9).AppendFormat("%s", "\r\n");
  EXPECT_STREQ("42:x(00009)\r\n", s.GetData());
}

TEST(MorString, FormatMayUseItsOwnTextAsArgument) {
  cMorString s;
  s.Assign("C:\\Program Files");
  s.Format("\"%s\\Dravenholt\"", s.GetData());
  EXPECT_STREQ("\"C:\\Program Files\\Dravenholt\"", s.GetData());

  s.Assign(std::string(120, 'p').c_str());
  s.AppendFormat("\\%s", s.GetData());
  EXPECT_EQ(std::string(120, 'p') + "\\" + std::string(120, 'p'), s.GetData());
  EXPECT_EQ(256, s.GetCapacity());
}

TEST(MorString, ReplaceAllExpandsPlaceholders) {
  cMorString s;
  s.Assign("#APPDATA#\\Dravenholt\\設定.dat");
  s.ReplaceAll("#APPDATA#", "C:\\Users\\k\\AppData\\Roaming");
  EXPECT_STREQ("C:\\Users\\k\\AppData\\Roaming\\Dravenholt\\設定.dat", s.GetData());
  EXPECT_EQ(64, s.GetCapacity());  // 47 bytes needed

  // The new buffer is sized from the result alone, so a large one can come out smaller.
  s.Reserve(1000);
  s.Assign("#P#\\a;#P#\\b");
  s.ReplaceAll("#P#", std::string(100, 'x').c_str());
  EXPECT_EQ(std::string(100, 'x') + "\\a;" + std::string(100, 'x') + "\\b", s.GetData());
  EXPECT_EQ(256, s.GetCapacity());
  EXPECT_TRUE(ZeroFrom(s, s.GetLength()));
}

TEST(MorString, ReplaceAllTakesOccurrencesLeftToRight) {
  cMorString s;
  s.Assign("aaa");
  s.ReplaceAll("aa", "b");
  EXPECT_STREQ("ba", s.GetData());

  s.Reserve(500);
  s.Assign("SKEY_VIEWER\\Path;SKEY_VIEWER");
  s.ReplaceAll("SKEY_VIEWER", "HK");
  EXPECT_STREQ("HK\\Path;HK", s.GetData());
  EXPECT_EQ(512, s.GetCapacity());

  s.ReplaceAll("HK", nullptr);
  EXPECT_STREQ("\\Path;", s.GetData());
}

TEST(MorString, ReplaceAllWithoutWorkLeavesTheBufferAlone) {
  cMorString s;
  s.Assign("C:\\Dravenholt\\");
  const char* buffer = s.GetData();
  s.ReplaceAll("#APPDATA#", "C:\\x");
  s.ReplaceAll("", "x");
  s.ReplaceAll(nullptr, "x");
  EXPECT_EQ(buffer, s.GetData());
  EXPECT_EQ(128, s.GetCapacity());
  EXPECT_STREQ("C:\\Dravenholt\\", s.GetData());

  s.Clear();
  s.ReplaceAll("a", "b");
  EXPECT_EQ(nullptr, s.GetData());
}

TEST(MorString, ShrinkToFitAndCharAtBounds) {
  cMorString s;
  s.Assign("ab\\");
  s.ShrinkToFit();
  EXPECT_EQ(4, s.GetCapacity());
  EXPECT_STREQ("ab\\", s.GetData());
  EXPECT_EQ('\\', s.CharAt(s.GetLength() - 1));
  EXPECT_EQ('\0', s.CharAt(3));
  EXPECT_EQ("OutOfRange", ThrownText<cMorStrOutOfRangeException>([&] { s.CharAt(4); }));

  // The folder test of an empty stored path asks for index -1.
  s.Assign("");
  EXPECT_EQ("OutOfRange",
            ThrownText<cMorStrOutOfRangeException>([&] { s.CharAt(s.GetLength() - 1); }));
  s.Clear();
  s.ShrinkToFit();
  EXPECT_EQ(0, s.GetCapacity());
  EXPECT_EQ("OutOfRange", ThrownText<cMorStrOutOfRangeException>([&] { s.CharAt(0); }));
}

TEST(MorString, CopiesAreDeep) {
  cMorString a;
  a.Assign("C:\\one");
  cMorString b(a);
  cMorString c;
  c = a;
  a.Append("\\two");
  EXPECT_STREQ("C:\\one", b.GetData());
  EXPECT_STREQ("C:\\one", c.GetData());
  EXPECT_NE(a.GetData(), b.GetData());

  a.Clear();
  b = a;
  EXPECT_EQ(nullptr, b.GetData());
  EXPECT_EQ(0, b.GetCapacity());

  cMorString moved(std::move(c));
  EXPECT_STREQ("C:\\one", moved.GetData());
  EXPECT_EQ(nullptr, c.GetData());  // the moved-from string is left as after Clear
  c.Assign("again");
  EXPECT_STREQ("again", c.GetData());
}

TEST(MorString, FailedAllocationsLeaveTheDocumentedState) {
  cMorString s;
  s.Assign("keep me");
  const char* buffer = s.GetData();
  {
    FailingAllocations fail(2);
    // Replacing and formatting build the new text aside and keep the old one on failure.
    EXPECT_THROW(s.ReplaceAll("keep", "drop"), cMorStrBadMemException);
    EXPECT_THROW(s.Format("%s", "other"), cMorStrBadMemException);
  }
  EXPECT_EQ(buffer, s.GetData());
  EXPECT_STREQ("keep me", s.GetData());
  {
    FailingAllocations fail(1);
    s.Assign("fits without allocating");
    EXPECT_STREQ("fits without allocating", s.GetData());
    // Growth that fails releases the old buffer.
    EXPECT_THROW(s.Assign(std::string(200, 'x').c_str()), cMorStrBadMemException);
  }
  EXPECT_EQ(nullptr, s.GetData());
  EXPECT_EQ(0, s.GetCapacity());

  s.Assign("abc");
  {
    FailingAllocations fail(1);
    EXPECT_THROW(s.ShrinkToFit(), cMorStrBadMemException);
  }
  EXPECT_EQ(nullptr, s.GetData());
  EXPECT_EQ(0, s.GetCapacity());
}
