// Code lengths stay within the limit and always form a complete code, which the
// installer's decoder demands.
#include <gtest/gtest.h>

#include <vector>

#include "HuffmanBuilder.h"

namespace {

uint64_t KraftUnits(const std::vector<uint8_t>& lengths) {
  uint64_t sum = 0;
  for (uint8_t len : lengths) {
    if (len) sum += uint64_t{1} << (16 - len);
  }
  return sum;
}

TEST(HuffmanBuilder, SkewedFrequenciesAreCappedAtSixteenBitsAndStayComplete) {
  // Fibonacci weights give a Huffman tree as deep as there are symbols.
  std::vector<uint32_t> freq(30);
  freq[0] = 1;
  freq[1] = 1;
  for (size_t i = 2; i < freq.size(); ++i) freq[i] = freq[i - 1] + freq[i - 2];
  const std::vector<uint8_t> lengths = cHuffmanBuilder::Lengths(freq, 16);
  for (size_t i = 0; i < lengths.size(); ++i) {
    EXPECT_GE(lengths[i], 1) << i;
    EXPECT_LE(lengths[i], 16) << i;
  }
  EXPECT_EQ(KraftUnits(lengths), 0x10000u);
  // The most frequent symbol has the shortest code.
  EXPECT_EQ(lengths[29], 1);
}

TEST(HuffmanBuilder, FullAlphabetOfTheLiteralCodeIsComplete) {
  std::vector<uint32_t> freq(510);
  for (size_t i = 0; i < freq.size(); ++i) freq[i] = static_cast<uint32_t>(1 + (i * 7919) % 1000);
  freq[3] = 5000000;
  const std::vector<uint8_t> lengths = cHuffmanBuilder::Lengths(freq, 16);
  EXPECT_EQ(KraftUnits(lengths), 0x10000u);
  for (uint8_t len : lengths) EXPECT_LE(len, 16);
}

TEST(HuffmanBuilder, FewerThanTwoSymbolsGetNoLengthsAndTwoGetOneBitEach) {
  std::vector<uint32_t> freq(14, 0);
  EXPECT_EQ(KraftUnits(cHuffmanBuilder::Lengths(freq, 16)), 0u);
  freq[5] = 9;
  EXPECT_EQ(KraftUnits(cHuffmanBuilder::Lengths(freq, 16)), 0u);
  freq[13] = 1;
  const std::vector<uint8_t> lengths = cHuffmanBuilder::Lengths(freq, 16);
  EXPECT_EQ(lengths[5], 1);
  EXPECT_EQ(lengths[13], 1);
}

TEST(HuffmanBuilder, CanonicalCodesFollowLengthThenSymbolOrder) {
  const std::vector<uint8_t> lengths = {2, 1, 3, 3};
  const std::vector<uint16_t> codes = cHuffmanBuilder::Codes(lengths);
  EXPECT_EQ(codes[1], 0b0);
  EXPECT_EQ(codes[0], 0b10);
  EXPECT_EQ(codes[2], 0b110);
  EXPECT_EQ(codes[3], 0b111);
}

}  // namespace
