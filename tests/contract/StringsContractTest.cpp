// Narrow string functions: the host layer against Win32 (under Wine with code page 932).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win.h"

TEST(StringsContract, LstrcpynTruncatesAndTerminates) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  lstrcpynA(buf, "abcdefghij", 5);
  EXPECT_STREQ("abcd", buf);
  EXPECT_EQ('x', buf[5]);
  lstrcpynA(buf, "ab", 8);
  EXPECT_STREQ("ab", buf);
}

TEST(StringsContract, LengthCopyAndConcatenationCountBytes) {
  char buf[64] = "";
  EXPECT_EQ(0, lstrlenA(nullptr));
  lstrcpyA(buf, "インストール");  // six double-byte characters in code page 932
  EXPECT_EQ(12, lstrlenA(buf));
  lstrcatA(buf, "(1)");
  EXPECT_EQ(15, lstrlenA(buf));
}

TEST(StringsContract, CompareIgnoringCaseOnlyForTheInsensitiveForm) {
  EXPECT_EQ(0, lstrcmpiA("Software\\Dravenholt", "SOFTWARE\\dravenholt"));
  EXPECT_NE(0, lstrcmpA("Software", "SOFTWARE"));
  EXPECT_LT(lstrcmpA("abc", "abd"), 0);
  EXPECT_GT(lstrcmpA("abd", "abc"), 0);
}

TEST(StringsContract, WsprintfFormatsDecimalAndText) {
  char buf[1100];
  int n = wsprintfA(buf, "Err=%d %s", -5, "x");
  EXPECT_STREQ("Err=-5 x", buf);
  EXPECT_EQ(8, n);
  // Output stops at 1024 bytes, terminator included. (The count returned at the limit
  // differs between Windows and Wine, so only the text is compared.)
  std::string longText(2000, 'a');
  wsprintfA(buf, "%s", longText.c_str());
  EXPECT_EQ(1023u, std::strlen(buf));
}

TEST(StringsContract, ShiftJisLeadBytesAndCharNext) {
  EXPECT_TRUE(IsDBCSLeadByte(0x83));
  EXPECT_TRUE(IsDBCSLeadByte(0xE0));
  EXPECT_FALSE(IsDBCSLeadByte(0x5C));
  EXPECT_FALSE(IsDBCSLeadByte(0xA0));  // half-width katakana range is single-byte
  const char* text = "ソ\\";  // 0x83 0x5C then a real backslash
  ASSERT_EQ(3, lstrlenA(text));
  const char* second = CharNextA(text);
  EXPECT_EQ(text + 2, second);
  EXPECT_EQ(text + 3, CharNextA(second));
  EXPECT_EQ(text, CharPrevA(text, second));
}

// The names of the payload and the record are code page 932 whatever the system's
// ANSI code page is; the explicit test must say so on both.
TEST(StringsContract, CodePage932LeadBytesWhateverTheAnsiPage) {
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x95));  // "表"
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x83));  // "ソ"
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0xFC));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0x5C));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA0));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 'A'));
}
