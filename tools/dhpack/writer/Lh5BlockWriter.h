// One -lh5- block: the code count, the pre-code, the literal/length code's lengths, the
// position code's lengths and the codes themselves, in the layout the installer's
// decoder reads. The codes are static Huffman codes of at most 16 bits built from the
// block's own tokens.
#pragma once

#include <cstdint>

class cBitWriter;

class cLh5BlockWriter {
 public:
  static constexpr int kCodeSymbols = 510;     // 256 literals, then match lengths 3..256
  static constexpr int kPositionSymbols = 14;  // bit lengths of the distance minus one
  static constexpr int kLengthBase = 253;      // length code = match length + 253
  static constexpr int kMaxCodeLength = 16;
  // Most codes in one block: the block head counts them in 16 bits.
  static constexpr uint32_t kMaxBlockCodes = 65535;

  struct Token {
    uint16_t code;      // literal byte or length code
    uint16_t distance;  // match distance minus one
  };

  static int PositionSymbol(uint32_t distance) {
    return distance ? 32 - __builtin_clz(distance) : 0;
  }
  // Bits a distance sends after its position code.
  static int ExtraBits(int positionSymbol) { return positionSymbol > 1 ? positionSymbol - 1 : 0; }

  // Writes `count` tokens (1..kMaxBlockCodes) as one block.
  static void Put(cBitWriter* bits, const Token* tokens, uint32_t count);
};
