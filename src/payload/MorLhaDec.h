// Decoder of one LHA archive member at a time. It also owns the input cursor over the
// archive bytes, which the archive reader uses to parse headers.
//
// Decoded bytes are staged in the sliding dictionary itself: a fill decodes until the
// dictionary is full (or the member is complete), ReadMember hands the bytes out, and
// the next fill starts again at the front, so a match that would run past the end is
// suspended and finished at the front of the next fill.
//
// Nothing in the packed data is trusted: code lengths, counts and table entries are
// checked before they index anything, the bit reader never reads outside the archive,
// and a member found damaged simply ends early, so ReadMember returns a short count.
#pragma once

#include <cstddef>
#include <cstdint>

#include "payload/LhaMember.h"

class cMorLhaDec {
 public:
  // Method table indices; kMethodNone for an id that is not one of the nine.
  enum Method {
    kLh0, kLh1, kLh2, kLh3, kLh4, kLh5, kLzs, kLz5, kLz4, kMethodNone
  };
  // Results of StartMember.
  static constexpr int kStarted = 0;
  static constexpr int kBadDataPosition = 1;
  static constexpr int kUnknownMethod = 2;
  static constexpr int kNoTables = 10;

  cMorLhaDec();
  virtual ~cMorLhaDec();
  cMorLhaDec(const cMorLhaDec&) = delete;
  cMorLhaDec& operator=(const cMorLhaDec&) = delete;

  // Releases and reallocates every table, zeroed. 1 on success; 0 (no tables) if any
  // allocation failed.
  int AllocTables();
  // Prepares decoding of the list's current member.
  int StartMember(const LhaMemberList* list);
  // Copies up to `count` decoded bytes of the member to `out`; returns how many.
  uint32_t ReadMember(void* out, uint32_t count);

  // The method table index of a five-character id, kMethodNone when unknown.
  static int FindMethod(const char* id);

  // Input cursor. Reading at or past the end yields 0xFF and sets the end flag.
  void SetInput(const uint8_t* bytes, uint32_t size);
  uint8_t ReadByte();
  uint16_t Read16();
  uint32_t Read32();
  int32_t InputPos() const { return inputPos; }
  uint32_t InputSize() const { return inputSize; }
  const uint8_t* Input() const { return input; }
  // False, without moving, for a position outside 0..size.
  bool SetInputPos(int64_t pos);
  bool InputEnd() const { return inputEnd; }
  void ClearInputEnd() { inputEnd = false; }

  // For tests: called with the tables' block after it is wiped and just before it is
  // freed.
  using ReleaseObserver = void (*)(const void* block, size_t bytes);
  static void SetReleaseObserver(ReleaseObserver observer);

  int MethodIndex() const { return methodIndex; }
  // True once the member's data was found damaged (its output then ends early).
  bool Damaged() const { return damaged; }
  uint32_t DeliveredTotal() const { return deliveredTotal; }

 private:
  struct Tables;

  void FreeTables();
  void ClearBits();
  void RefillBits();
  uint32_t PeekBits(int n);
  void SkipBits(int n) { bitBuffer <<= n; bitCount -= n; }
  uint32_t GetBits(int n);
  int Fail();

  bool BuildTable(int count, const uint8_t* lengths, int width, uint16_t* table);
  int DecodeWith(const uint16_t* table, const uint8_t* lengths, int count, int width);
  bool ReadSmallLengths(int countBits, int symbols, int special);
  bool ReadCodeLengths();
  bool ReadLh3Tables();
  bool SetFixedPositionCode(int symbols);
  uint32_t DecodeFixedPosition();

  void Fill();
  void FillStored();
  template <int M> void FillCoded();
  template <int M> int DecodeCode();
  template <int M> uint32_t DecodePosition(uint32_t writePos);
  uint32_t CopyMatch(uint32_t writePos, uint32_t source, uint32_t length);

  // Adaptive Huffman trees (-lh1-, -lh2-).
  void StartCodeTree();
  void StartPositionTree();
  int DecodeTreeSymbol(int root);
  bool UpdateCodeTree(int symbol);
  bool UpdatePositionTree(int symbol);
  bool AddPositionSymbol(int symbol);
  int Increment(int node);
  bool Rebuild(int start, int end);
  bool TakeBlock(int* block);
  bool ReturnBlock(int block);
  int DecodeAdaptiveCode();
  void StartLz5Dictionary();

  Tables* tables = nullptr;

  // Bit reader: the next bits of the stream, most significant first; bitCount of
  // them are valid. Bytes past the end of the archive are loaded as 0xFF and counted
  // in phantomBits, so a stream that consumes them is known to be truncated.
  uint64_t bitBuffer = 0;
  int bitCount = 0;
  int phantomBits = 0;

  // Adaptive coding.
  int alphabetSize = 0;
  int freeBlock = 0;
  int escapeSymbol = 0;
  int lastPositionLeaf = 0;
  uint16_t positionTotal = 0;
  uint32_t positionLimit = 0;
  uint32_t nextGrowth = 0;

  // Static coding.
  int positionSymbols = 0;
  uint32_t blockRemaining = 0;
  uint32_t lh3BlockRemaining = 0;

  // Output.
  bool finished = false;
  bool damaged = false;
  bool folderEntry = false;
  uint32_t decodedCount = 0;
  const uint8_t* readPointer = nullptr;
  uint32_t unpackedSize = 0;
  uint32_t deliveredTotal = 0;
  int dictionaryBits = 0;
  int maxMatch = 0;
  uint32_t pending = 0;
  int methodIndex = kMethodNone;
  int lengthBias = 253;
  bool copySuspended = false;
  uint32_t copyRemaining = 0;
  uint32_t copySource = 0;
  uint32_t dictionarySize = 0;
  uint32_t dictionaryMask = 0;

  // Input cursor.
  const uint8_t* input = nullptr;
  uint32_t inputSize = 0;
  // Where reading stops: the end of the archive while headers are read, the end of the
  // selected member's packed data while it is decoded, so that a member claiming more
  // than its data holds ends short instead of decoding the next header.
  uint32_t inputLimit = 0;
  int32_t inputPos = 0;
  bool inputEnd = false;

  // Byte-flag methods.
  uint32_t flagByte = 0;
  int flagsLeft = 0;
  uint32_t matchPosition = 0;
};
