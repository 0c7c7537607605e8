// The -lh5- compressor: LZSS over an 8 KB dictionary (matches of 3 to 256 bytes found
// with hash chains, lazily parsed) and static Huffman codes sent per block, in exactly
// the layout the installer's decoder reads. The parse is either lazy or, by default,
// near-optimal: the cheapest path through each block priced with the previous block's
// code lengths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class cBitWriter;

class cLh5Encoder {
 public:
  // Most codes in one block: the block head counts them in 16 bits.
  static constexpr uint32_t kMaxBlockCodes = 65535;

  // How hard the match finder looks: candidates tried per position, and the match
  // length at which it stops looking.
  struct Effort {
    int maxChain = 96;
    int niceLength = 128;
    uint32_t blockCodes = 16384;
    // Cheapest path through each block instead of lazy matching.
    bool optimalParse = true;
  };

  cLh5Encoder() = default;
  explicit cLh5Encoder(const Effort& effort) : effort(effort) {}

  // The packed form of `size` bytes (empty for an empty input).
  std::vector<uint8_t> Encode(const uint8_t* data, size_t size) const;

 private:
  void EncodeOptimal(const uint8_t* data, size_t size, cBitWriter* bits) const;

  Effort effort;
};
