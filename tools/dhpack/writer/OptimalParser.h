// The near-optimal parse of one slice of the input into -lh5- blocks. The match finder
// lists the useful (length, distance) pairs of every position first; a first pass then
// walks the slice in fixed segments, each parsed as the cheapest path of literals and
// matches priced with the code lengths of the segment before. Those tokens decide
// where blocks end (where the statistics change, so that each block's codes fit it,
// against the cost of sending another block's code lengths), and every block is parsed
// again, priced with its own codes, before it is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Lh5BlockWriter.h"
#include "Lh5Encoder.h"
#include "MatchFinder.h"

class cBitWriter;

class cOptimalParser {
 public:
  cOptimalParser(const uint8_t* data, const cLh5Encoder::Effort& effort);

  // Writes the blocks of data[begin, end); the bytes before `begin` are the dictionary
  // the decoder will already hold.
  void Encode(size_t begin, size_t end, cBitWriter* bits);

 private:
  using Token = cLh5BlockWriter::Token;
  // Bits of each literal/length code and of each distance's position code with its
  // extra bits.
  struct Prices {
    uint32_t code[cLh5BlockWriter::kCodeSymbols];
    uint32_t position[cLh5BlockWriter::kPositionSymbols];
  };

  void FindMatches(size_t begin, size_t end);
  // The cheapest tokens for positions [from, from + span) of the slice, no match
  // reaching past the span.
  void Parse(uint32_t from, uint32_t span, const Prices& prices, std::vector<Token>* out);
  // Where the blocks end, as indexes into unitStart and unitToken (which it fills),
  // from the first pass's tokens.
  std::vector<uint32_t> ChooseBlocks(const std::vector<Token>& tokens);

  static void DefaultPrices(Prices* prices);
  static void PriceTokens(const Token* tokens, size_t count, Prices* prices);

  const uint8_t* data;
  cLh5Encoder::Effort effort;
  size_t base = 0;  // the slice's first position
  std::vector<cMatchFinder::Match> matches;
  std::vector<uint32_t> firstMatch;  // per slice position, into `matches`
  // Block boundary candidates: slice offsets and the first-pass token index there.
  std::vector<uint32_t> unitStart;
  std::vector<uint32_t> unitToken;
  // Running counts of every code and position symbol at each unit boundary.
  std::vector<uint32_t> counts;
  // Parse state, reused.
  std::vector<int32_t> arrival;
  std::vector<Token> first;  // the first pass's tokens
  std::vector<Token> block;
};
