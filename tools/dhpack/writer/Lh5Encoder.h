// The -lh5- compressor: LZSS over an 8 KB dictionary (matches of 3 to 256 bytes found
// with binary trees) and static Huffman codes sent per block, in exactly the layout the
// installer's decoder reads. The parse is either lazy or, by default, near-optimal (see
// cOptimalParser).
//
// A large input is cut into slices that are packed at the same time on every core:
// the blocks of a slice need nothing but the dictionary bytes before it, which are in
// the input, so the slices' bit streams simply follow one another. The output depends
// on the slice size, never on the number of threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class cBitWriter;
class cOptimalParser;

class cLh5Encoder {
 public:
  // Most codes in one block: the block head counts them in 16 bits.
  static constexpr uint32_t kMaxBlockCodes = 65535;

  struct Effort {
    // Tree nodes the match finder compares per position, and the match length at
    // which it stops looking.
    int depth = 16;
    int niceLength = 128;
    // The most codes in one block (the lazy parse writes blocks of at most 16384).
    uint32_t blockCodes = kMaxBlockCodes;
    // Cheapest path through each block instead of lazy matching.
    bool optimalParse = true;
    // How often the near-optimal parse goes over each block with its own prices.
    int passes = 1;
    // Input bytes per slice; threads packing slices at once (0: one per core).
    size_t sliceBytes = size_t{1} << 20;
    unsigned threads = 0;
  };

  cLh5Encoder() = default;
  explicit cLh5Encoder(const Effort& effort) : effort(effort) {}

  // The packed form of `size` bytes (empty for an empty input).
  std::vector<uint8_t> Encode(const uint8_t* data, size_t size) const;

 private:
  // `parser`, when given, is the calling thread's own, reused from slice to slice.
  void EncodeSlice(const uint8_t* data, size_t begin, size_t end, cBitWriter* bits,
                   cOptimalParser* parser) const;
  void EncodeLazy(const uint8_t* data, size_t begin, size_t end, cBitWriter* bits) const;

  Effort effort;
};
