#include "morstd/MorMemBlock.h"

#include <climits>
#include <cstring>

#include "morstd/MorAlloc.h"
#include "morstd/MorException.h"
#include "platform/win.h"

namespace morstd {
namespace {

// A new list starts with 256 bytes beyond its first text and 10 index entries. Each
// growth at least doubles the area and the index (at least 256 bytes beyond the need,
// at least 10 entries more), so that a list of tens of thousands of names is copied a
// few dozen times while it is built, not once per name.
constexpr int kDataSlack = 256;
constexpr int kIndexStep = 10;
constexpr int64_t kEntrySize = sizeof(int);

// The larger of the need and twice the old size, kept within what the 32-bit fields
// describe whenever the need itself fits.
int64_t Grown(int64_t need, int64_t old) {
  const int64_t doubled = old * 2;
  if (doubled <= need) return need;
  return doubled > INT_MAX ? (need > INT_MAX ? need : int64_t{INT_MAX}) : doubled;
}

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
  GrowIndexTo(index ? Grown(int64_t{indexCapacity} + kIndexStep, indexCapacity) : kIndexStep);
}

void cMorMemBlock::GrowIndexTo(int64_t entries) {
  if (entries > INT_MAX / kEntrySize) Fail();
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
    const int64_t size = Grown(end + kDataSlack, dataCapacity);
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

void cMorMemBlock::Reserve(int texts, int bytes) {
  if (texts < 0 || bytes < 0) return;
  // Room for the texts after the ones there are, their bytes and the spare NUL.
  const int64_t entries = int64_t{count} + texts + 1;
  if (index && entries > indexCapacity) GrowIndexTo(entries);
  if (!data) return;
  const int64_t need = int64_t{index[count]} + bytes + 1;
  if (need <= dataCapacity) return;
  char* grown = static_cast<char*>(AllocZeroed(need));
  if (!grown) Fail();
  std::memcpy(grown, data, index[count]);
  MorFree(data);
  data = grown;
  dataCapacity = static_cast<int>(need);
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
      // Once the first text has sized the list, room for the rest at once: each takes
      // at least its NUL, so no more than what is left of `total` can come.
      if (i == 0 && total - size <= INT_MAX) {
        const uint32_t rest = n - 1 < total - size ? n - 1 : total - size;
        Reserve(static_cast<int>(rest), static_cast<int>(total - size));
      }
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
