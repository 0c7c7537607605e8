// Code lengths and canonical codes of a static Huffman code whose lengths never exceed
// a limit (16 for every -lh5- code). Codes are complete, as the decoder demands,
// whenever two or more symbols occur; a single used symbol is sent by the caller with
// the format's own single-symbol encoding instead.
#pragma once

#include <cstdint>
#include <vector>

class cHuffmanBuilder {
 public:
  // Lengths for `frequencies` (0 for an unused symbol). With fewer than two used
  // symbols every length is 0.
  static std::vector<uint8_t> Lengths(const std::vector<uint32_t>& frequencies, int maxLength);
  // Canonical codes for the lengths, assigned the way the decoder's table builder
  // expects: shorter codes first, equal lengths in symbol order.
  static std::vector<uint16_t> Codes(const std::vector<uint8_t>& lengths);
};
