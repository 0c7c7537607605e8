// The decoder's life cycle, input cursor, table builder and output loop. The methods'
// code and position decoders live in MorLhaDecStatic.cpp, MorLhaDecAdaptive.cpp and
// MorLhaDecByte.cpp.
#include "payload/MorLhaDec.h"

#include <cstring>

#include "morstd/MorAlloc.h"
#include "payload/MorLhaDecInline.h"

namespace {

struct MethodEntry {
  const char* id;
  int dictionaryBits;
};

// Searched in this order; the index is the decoder's method number.
const MethodEntry kMethods[] = {
    {"-lh0-", 13}, {"-lh1-", 12}, {"-lh2-", 13}, {"-lh3-", 13}, {"-lh4-", 12},
    {"-lh5-", 13}, {"-lzs-", 11}, {"-lz5-", 12}, {"-lz4-", 13},
};
constexpr int kMethodIdLength = 5;

// The dictionary starts as spaces: a match reaching before the member's first byte
// copies spaces, as the encoders assume.
constexpr uint8_t kDictionaryFill = 0x20;

}  // namespace

// Each method's fill loop is compiled in the file of its decoders.
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLh1>();
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLh2>();
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLh3>();
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLh5>();
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLzs>();
extern template void cMorLhaDec::FillCoded<cMorLhaDec::kLz5>();

namespace {
cMorLhaDec::ReleaseObserver releaseObserver = nullptr;
}  // namespace

void cMorLhaDec::SetReleaseObserver(ReleaseObserver observer) { releaseObserver = observer; }

cMorLhaDec::cMorLhaDec() = default;

cMorLhaDec::~cMorLhaDec() { FreeTables(); }

void cMorLhaDec::FreeTables() {
  // The dictionary holds the last plaintext decoded, and the tables what it was coded
  // with: wiped like every other buffer that held deciphered bytes.
  if (tables) {
    morstd::MorWipe(tables, sizeof(Tables));
    if (releaseObserver) releaseObserver(tables, sizeof(Tables));
  }
  morstd::MorFree(tables);
  tables = nullptr;
}

int cMorLhaDec::AllocTables() {
  FreeTables();
  tables = static_cast<Tables*>(morstd::MorAllocZeroed(sizeof(Tables)));
  return tables != nullptr ? 1 : 0;
}

int cMorLhaDec::FindMethod(const char* id) {
  for (int i = 0; i < kMethodNone; ++i) {
    if (memcmp(id, kMethods[i].id, kMethodIdLength) == 0) return i;
  }
  return kMethodNone;
}

void cMorLhaDec::SetInput(const uint8_t* bytes, uint32_t size) {
  input = bytes;
  inputSize = bytes != nullptr ? size : 0;
  inputLimit = inputSize;
  inputPos = 0;
  inputEnd = false;
}

uint8_t cMorLhaDec::ReadByte() {
  if (static_cast<uint32_t>(inputPos) < inputLimit) return input[inputPos++];
  inputEnd = true;
  return 0xFF;
}

uint16_t cMorLhaDec::Read16() {
  uint16_t low = ReadByte();
  return static_cast<uint16_t>(low | (ReadByte() << 8));
}

uint32_t cMorLhaDec::Read32() {
  uint32_t low = Read16();
  return low | (static_cast<uint32_t>(Read16()) << 16);
}

bool cMorLhaDec::SetInputPos(int64_t pos) {
  if (pos < 0 || pos > static_cast<int64_t>(inputSize)) return false;
  inputPos = static_cast<int32_t>(pos);
  inputLimit = inputSize;  // a member start narrows it again
  return true;
}

void cMorLhaDec::ClearBits() {
  bitBuffer = 0;
  bitCount = 0;
  phantomBits = 0;
}

int cMorLhaDec::StartMember(const LhaMemberList* list) {
  // Until the member is started properly, ReadMember delivers nothing.
  methodIndex = kMethodNone;
  finished = true;
  damaged = false;
  folderEntry = false;
  pending = 0;
  readPointer = nullptr;
  deliveredTotal = 0;
  decodedCount = 0;
  copySuspended = false;
  inputEnd = false;
  if (!AllocTables()) return kNoTables;
  const LhaMember* member = list != nullptr ? list->current : nullptr;
  if (member == nullptr) return kBadDataPosition;
  folderEntry = LhaIsFolder(*member);
  int method = FindMethod(member->method);
  if (method == kMethodNone) return kUnknownMethod;
  if (!SetInputPos(member->dataOffset)) return kBadDataPosition;
  int64_t dataEnd = static_cast<int64_t>(member->dataOffset) + member->packedSize;
  inputLimit = member->packedSize >= 0 && dataEnd <= static_cast<int64_t>(inputSize)
                   ? static_cast<uint32_t>(dataEnd)
                   : inputSize;
  methodIndex = method;
  dictionaryBits = kMethods[method].dictionaryBits;
  unpackedSize = member->unpackedSize;
  dictionarySize = 1u << dictionaryBits;
  dictionaryMask = dictionarySize - 1;
  memset(tables->dictionary, kDictionaryFill, dictionarySize);
  lengthBias = method == kLzs ? 254 : 253;
  ClearBits();
  switch (method) {
    case kLh1:
      maxMatch = 60;
      alphabetSize = 314;
      StartCodeTree();
      SetFixedPositionCode(64);
      break;
    case kLh2:
      alphabetSize = 286;
      maxMatch = 256;
      StartCodeTree();
      StartPositionTree();
      break;
    case kLh3:
      alphabetSize = 286;
      maxMatch = 256;
      positionSymbols = 128;
      lh3BlockRemaining = 0;
      break;
    case kLh4:
    case kLh5:
      blockRemaining = 0;
      break;
    case kLz5:
      flagsLeft = 0;
      StartLz5Dictionary();
      break;
    default:
      break;
  }
  finished = false;
  return kStarted;
}

uint32_t cMorLhaDec::ReadMember(void* out, uint32_t count) {
  if (tables == nullptr || methodIndex == kMethodNone || folderEntry || out == nullptr) {
    return 0;
  }
  uint8_t* to = static_cast<uint8_t*>(out);
  uint32_t total = 0;
  for (;;) {
    if (pending > 0) {
      uint32_t n = pending < count ? pending : count;
      memcpy(to, readPointer, n);
      to += n;
      readPointer += n;
      pending -= n;
      total += n;
      count -= n;
      if (pending > 0) break;
    }
    if (finished || count == 0) break;
    if (damaged || decodedCount >= unpackedSize) {
      finished = true;
      break;
    }
    Fill();
    readPointer = tables->dictionary;
  }
  deliveredTotal += total;
  return total;
}

void cMorLhaDec::Fill() {
  switch (methodIndex) {
    case kLh0:
    case kLz4:
      FillStored();
      break;
    case kLh1:
      FillCoded<kLh1>();
      break;
    case kLh2:
      FillCoded<kLh2>();
      break;
    case kLh3:
      FillCoded<kLh3>();
      break;
    case kLh4:
    case kLh5:
      FillCoded<kLh5>();
      break;
    case kLzs:
      FillCoded<kLzs>();
      break;
    case kLz5:
      FillCoded<kLz5>();
      break;
    default:
      Fail();
      break;
  }
}

// Stored data is staged like decoded data; input that ends before the member's size
// ends the member there.
void cMorLhaDec::FillStored() {
  uint32_t n = unpackedSize - decodedCount;
  if (n > dictionarySize) n = dictionarySize;
  uint32_t available = inputLimit - static_cast<uint32_t>(inputPos);
  if (n > available) n = available;
  if (n > 0) memcpy(tables->dictionary, input + inputPos, n);
  inputPos += static_cast<int32_t>(n);
  decodedCount += n;
  pending = n;
  if (n == 0) Fail();
}

// Builds the lookup table (and the trees below it) of a canonical code. Lengths above
// 16 and codes that do not exactly fill the code space are refused: an incomplete
// code would leave lookups that lead nowhere, an over-full one would write past the
// table.
bool cMorLhaDec::BuildTable(int count, const uint8_t* lengths, int width, uint16_t* table) {
  uint32_t lengthCount[17] = {0};
  for (int j = 0; j < count; ++j) {
    if (lengths[j] > 16) return false;
    ++lengthCount[lengths[j]];
  }
  uint32_t start[18];
  start[1] = 0;
  for (int len = 1; len <= 16; ++len) {
    start[len + 1] = start[len] + (lengthCount[len] << (16 - len));
  }
  if (start[17] != 0x10000) return false;

  const int shift = 16 - width;
  const uint32_t tableSize = 1u << width;
  for (uint32_t i = start[width + 1] >> shift; i < tableSize; ++i) table[i] = 0;

  uint32_t avail = static_cast<uint32_t>(count);
  for (int j = 0; j < count; ++j) {
    int len = lengths[j];
    if (len == 0) continue;
    uint32_t code = start[len];
    uint32_t weight = 1u << (16 - len);
    if (len <= width) {
      for (uint32_t i = code >> shift; i < (code + weight) >> shift; ++i) {
        table[i] = static_cast<uint16_t>(j);
      }
    } else {
      uint16_t* link = &table[code >> shift];
      uint32_t bits = code << width;
      for (int level = len - width; level > 0; --level) {
        if (*link == 0) {
          if (avail >= static_cast<uint32_t>(Tables::kTreeNodes)) return false;
          tables->left[avail] = 0;
          tables->right[avail] = 0;
          *link = static_cast<uint16_t>(avail++);
        }
        link = (bits & 0x8000) ? &tables->right[*link] : &tables->left[*link];
        bits <<= 1;
      }
      *link = static_cast<uint16_t>(j);
    }
    start[len] += weight;
  }
  return true;
}
