#include "morstd/MorMemBlock.h"

#include <climits>
#include <cstring>

#include "morstd/MorAlloc.h"
#include "morstd/MorException.h"
#include "platform/win.h"

namespace morstd {
namespace {

// The text area grows 256 bytes beyond the current need and the index 10 entries at a
// time: lists are built once, from a few dozen to a few thousand names.
constexpr int kDataSlack = 256;
constexpr int kIndexStep = 10;
constexpr int64_t kEntrySize = sizeof(int);

// Sizes beyond what the 32-bit fields can describe count as memory not to be had.
void* AllocZeroed(int64_t bytes) {
  if (bytes <= 0 || bytes > INT_MAX) return nullptr;
  return MorAllocZeroed(static_cast<size_t>(bytes));
}

}  // namespace

cMorMemBlock::~cMorMemBlock() { Clear(); }

void cMorMemBlock::Clear() {
  MorFree(data);
  MorFree(index);
  data = nullptr;
  index = nullptr;
  dataCapacity = indexCapacity = count = 0;
}

void cMorMemBlock::Fail() {
  Clear();
  throw cMorMemBlockException();
}

void cMorMemBlock::GrowIndex() {
  const int64_t entries = index ? int64_t{indexCapacity} + kIndexStep : kIndexStep;
  int* grown = static_cast<int*>(AllocZeroed(entries * kEntrySize));
  if (!grown) Fail();
  if (index) std::memcpy(grown, index, sizeof(int) * indexCapacity);
  MorFree(index);
  index = grown;
  indexCapacity = static_cast<int>(entries);
}

int cMorMemBlock::Add(const char* text) {
  if (!text) text = "";
  const int64_t length = lstrlenA(text);
  if (!index || count == indexCapacity - 1) GrowIndex();

  if (!data) {
    const int64_t size = length < kDataSlack ? kDataSlack : length + kDataSlack;
    data = static_cast<char*>(AllocZeroed(size));
    if (!data) Fail();
    dataCapacity = static_cast<int>(size);
    std::memcpy(data, text, length + 1);
    index[0] = 0;
    index[1] = static_cast<int>(length + 1);
    count = 1;
    return 1;
  }

  const int used = index[count];
  const int64_t end = used + length + 1;
  if (end >= dataCapacity) {
    const int64_t size = end + kDataSlack;
    char* grown = static_cast<char*>(AllocZeroed(size));
    if (!grown) Fail();
    std::memcpy(grown, data, used);
    // Copied before the old area goes: the text may be one of this list's own.
    std::memcpy(grown + used, text, length + 1);
    MorFree(data);
    data = grown;
    dataCapacity = static_cast<int>(size);
  } else {
    std::memcpy(data + used, text, length + 1);
  }
  index[count + 1] = static_cast<int>(end);
  ++count;
  return 1;
}

int cMorMemBlock::AddMultiple(const char* texts, uint32_t total, uint32_t n) {
  if (n == 0) return 1;
  if (!texts) return 0;
  uint32_t consumed = 0;
  const char* at = texts;
  for (uint32_t i = 0; i < n; ++i) {
    // Measured only within what is left of `total`: a text without its NUL there
    // would overrun the total anyway, and the search never leaves the buffer.
    const void* nul = std::memchr(at, '\0', total - consumed);
    if (!nul) return 0;
    const uint32_t size = static_cast<uint32_t>(static_cast<const char*>(nul) - at) + 1;
    try {
      Add(at);
    } catch (...) {
      return 0;
    }
    consumed += size;
    at += size;
  }
  return 1;
}

const char* cMorMemBlock::GetAt(int i) const {
  if (i < 0 || i >= count) return nullptr;
  return data + index[i];
}

cMorMemBlock& cMorMemBlock::CopyFrom(const cMorMemBlock& source) {
  if (&source == this) return *this;
  Clear();
  if (!source.data) return *this;
  data = static_cast<char*>(AllocZeroed(source.dataCapacity));
  index = static_cast<int*>(AllocZeroed(source.indexCapacity * kEntrySize));
  if (!data || !index) Fail();
  std::memcpy(data, source.data, source.dataCapacity);
  std::memcpy(index, source.index, sizeof(int) * source.indexCapacity);
  dataCapacity = source.dataCapacity;
  indexCapacity = source.indexCapacity;
  count = source.count;
  return *this;
}

}  // namespace morstd
