// The version texts and their comparison, which decide between a fresh installation,
// an over-installation and an update.
#include <gtest/gtest.h>

#include <cstring>

#include "registry/Reg.h"

namespace {

struct Parsed {
  int result;
  int32_t numbers[4];
};

Parsed Parse(const char* text) {
  Parsed parsed{0, {-1, -1, -1, -1}};
  parsed.result = cReg::ParseVersion(text, parsed.numbers);
  return parsed;
}

void ExpectParsed(const char* text, int32_t a, int32_t b, int32_t c, int32_t d) {
  SCOPED_TRACE(text);
  const Parsed parsed = Parse(text);
  ASSERT_EQ(1, parsed.result);
  EXPECT_EQ(a, parsed.numbers[0]);
  EXPECT_EQ(b, parsed.numbers[1]);
  EXPECT_EQ(c, parsed.numbers[2]);
  EXPECT_EQ(d, parsed.numbers[3]);
}

TEST(RegVersion, ParseReadsFourNumbers) {
  ExpectParsed("1.0.4.8219", 1, 0, 4, 8219);
  ExpectParsed("1234567.7654321.1.12345678", 1234567, 7654321, 1, 12345678);
  // Everything after a fourth dot, and what is no digit, stops the conversion.
  ExpectParsed("1.0.4.8219.123", 1, 0, 4, 8219);
  ExpectParsed("1a.b.-3.", 1, 0, -3, 0);
  ExpectParsed("...", 0, 0, 0, 0);
}

TEST(RegVersion, ParseRefusesWhatIsNoVersion) {
  for (const char* text : {"1.0.4", "", "1", "12345678.0.0.0", "0.12345678.0.0", "0.0.12345678.0",
                           "0.0.0.123456789", "1.0.4.8219.1234"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(0, Parse(text).result);
  }
  EXPECT_EQ(0, cReg::ParseVersion(nullptr, Parse("").numbers));
}

int Compare(cReg* reg, const char* installed) {
  std::memset(reg->installedVersion, 0, sizeof reg->installedVersion);
  std::strcpy(reg->installedVersion, installed);
  return reg->CompareVersions();
}

TEST(RegVersion, CompareTakesNumbersNotTexts) {
  cReg reg;
  reg.lastError = 7;
  EXPECT_EQ(1, Compare(&reg, "1.0.4.8219"));
  EXPECT_EQ(0, reg.lastError);
  EXPECT_EQ(2, Compare(&reg, "1.0.3.9999"));
  EXPECT_EQ(2, Compare(&reg, "1.0.4.8218"));
  EXPECT_EQ(2, Compare(&reg, "0.99.99.99999"));
  EXPECT_EQ(0, Compare(&reg, "1.0.10.0"));
  EXPECT_EQ(0, Compare(&reg, "1.0.4.10000"));
  EXPECT_EQ(0, Compare(&reg, "2.0.0.0"));
  EXPECT_EQ(2, Compare(&reg, "-1.0.9.9"));  // signed: a negative number is older
  EXPECT_EQ(0, reg.lastError);
}

TEST(RegVersion, CompareNamesTheVersionThatCannotBeParsed) {
  cReg reg;
  EXPECT_EQ(-1, Compare(&reg, "1.0.4"));
  EXPECT_EQ(200, reg.lastError);
  EXPECT_STREQ("現バージョンVersionParse失敗(00200)", reg.GetErrorMessage());
  EXPECT_EQ(-1, Compare(&reg, ""));
  EXPECT_EQ(200, reg.lastError);

  std::strcpy(reg.setupVersion, "1.0.4.123456789");
  EXPECT_EQ(-1, Compare(&reg, "1.0.4.8219"));
  EXPECT_EQ(205, reg.lastError);
  EXPECT_STREQ("アップデーターVersionParse失敗(00205)", reg.GetErrorMessage());
}

}  // namespace
