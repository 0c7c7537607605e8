#include "morstd/MorString.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "morstd/MorAlloc.h"
#include "morstd/MorException.h"

namespace morstd {
namespace {

// Buffers come in 128-byte steps strictly above the request, with 64 bytes as the
// smallest; short paths and status lines rarely need a second step.
int StepFor(int64_t n) { return n < 64 ? 64 : static_cast<int>((n / 128 + 1) * 128); }

void CheckRequest(int64_t n) {
  if (n > cMorString::kMaxRequest) throw cMorStrBadMemException();
}

char* NewBuffer(int64_t bytes) {
  char* buffer = static_cast<char*>(MorAllocZeroed(static_cast<size_t>(bytes)));
  if (!buffer) throw cMorStrBadMemException();
  return buffer;
}

}  // namespace

cMorString::cMorString() { Reserve(64); }

cMorString::~cMorString() {
  MorFree(data);
  MorFree(aux);
}

cMorString::cMorString(const cMorString& other) {
  if (!other.data) return;
  data = NewBuffer(other.capacity);
  std::memcpy(data, other.data, other.capacity);
  capacity = other.capacity;
}

cMorString& cMorString::operator=(const cMorString& other) {
  if (this == &other) return *this;
  if (!other.data) {
    Clear();
    return *this;
  }
  char* buffer = NewBuffer(other.capacity);
  std::memcpy(buffer, other.data, other.capacity);
  Take(buffer, other.capacity);
  return *this;
}

cMorString::cMorString(cMorString&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      capacity(std::exchange(other.capacity, 0)),
      aux(std::exchange(other.aux, nullptr)) {}

cMorString& cMorString::operator=(cMorString&& other) noexcept {
  if (this == &other) return *this;
  MorFree(data);
  MorFree(aux);
  data = std::exchange(other.data, nullptr);
  capacity = std::exchange(other.capacity, 0);
  aux = std::exchange(other.aux, nullptr);
  return *this;
}

int cMorString::Reserve(int n) {
  Grow(n);
  return 1;
}

// Requests are computed in 64 bits so that a sum of two long texts cannot wrap
// around and slip under the limit.
void cMorString::Grow(int64_t n) {
  CheckRequest(n);
  const int size = StepFor(n);
  if (data && size <= capacity) return;
  char* buffer = static_cast<char*>(MorAllocZeroed(size));
  if (!buffer) {
    Clear();
    throw cMorStrBadMemException();
  }
  if (data) std::memcpy(buffer, data, capacity);
  Take(buffer, size);
}

void cMorString::Take(char* buffer, int newCapacity) {
  MorFree(data);
  data = buffer;
  capacity = newCapacity;
}

cMorString& cMorString::Assign(const char* text) {
  if (!text) return *this;
  const int length = lstrlenA(text);
  if (capacity < int64_t{length} + 1) Grow(int64_t{length} + 1);
  // Moved first and the rest zeroed after, rather than zeroing the whole buffer first,
  // so that a text lying inside this buffer (a caller dropping a prefix) survives.
  std::memmove(data, text, length + 1);
  std::memset(data + length + 1, 0, capacity - length - 1);
  return *this;
}

cMorString& cMorString::Append(const char* text) {
  if (!text) return *this;
  const int length = GetLength();
  const int added = lstrlenA(text);
  const int64_t need = int64_t{length} + added + 1;
  if (capacity < need) {
    // Appending a piece of this very string: growing releases the old buffer, so
    // find the piece again in the new one.
    const uintptr_t at = reinterpret_cast<uintptr_t>(text);
    const uintptr_t start = reinterpret_cast<uintptr_t>(data);
    const bool inside = data && at >= start && at < start + capacity;
    Grow(need);
    if (inside) text = data + (at - start);
  }
  std::memmove(data + length, text, added);
  data[length + added] = '\0';
  return *this;
}

cMorString& cMorString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    FormatAt(0, format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return *this;
}

cMorString& cMorString::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  try {
    FormatAt(GetLength(), format, args);
  } catch (...) {
    va_end(args);
    throw;
  }
  va_end(args);
  return *this;
}

// Writes the formatted output at `offset` with its terminator. It is formatted into a
// block of its own first: callers routinely pass this string's own text as an argument
// ("%s\\Dravenholt"), which growing the buffer would release or writing in place would
// overwrite while it is read.
void cMorString::FormatAt(int offset, const char* format, va_list args) {
  if (!format) format = "";
  va_list measure;
  va_copy(measure, args);
  const int n = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (n < 0) throw cMorStrBadMemException();  // output the runtime cannot produce
  const int64_t need = int64_t{offset} + n + 1;
  CheckRequest(need);
  char* text = NewBuffer(int64_t{n} + 1);
  std::vsnprintf(text, static_cast<size_t>(n) + 1, format, args);
  try {
    if (capacity < need) Grow(need);
  } catch (...) {
    MorFree(text);
    throw;
  }
  std::memcpy(data + offset, text, static_cast<size_t>(n) + 1);
  MorFree(text);
}

cMorString& cMorString::ReplaceAll(const char* search, const char* replacement) {
  // An empty search text would match everywhere and never advance.
  if (!data || !search || !*search) return *this;
  if (!replacement) replacement = "";
  const int length = GetLength();
  const int found = lstrlenA(search);
  const int put = lstrlenA(replacement);

  int64_t occurrences = 0;
  for (const char* hit = std::strstr(data, search); hit; hit = std::strstr(hit + found, search)) {
    ++occurrences;
  }
  if (occurrences == 0) return *this;

  int newCapacity = capacity;
  const int64_t growth = int64_t{put} - found;
  if (growth > 0) {
    const int64_t need = occurrences * growth + length + 1;
    CheckRequest(need);
    newCapacity = StepFor(need);
  }
  // The old text stays intact until the new one is complete, so the search or the
  // replacement may themselves point into this string.
  char* buffer = NewBuffer(newCapacity);
  char* out = buffer;
  const char* in = data;
  for (const char* hit = std::strstr(in, search); hit; hit = std::strstr(in, search)) {
    std::memcpy(out, in, hit - in);
    out += hit - in;
    std::memcpy(out, replacement, put);
    out += put;
    in = hit + found;
  }
  lstrcpyA(out, in);
  Take(buffer, newCapacity);
  return *this;
}

void cMorString::ShrinkToFit() {
  if (!data || capacity == 0) return;
  const int length = GetLength();
  char* buffer = static_cast<char*>(MorAllocZeroed(static_cast<size_t>(length) + 1));
  if (!buffer) {
    Clear();
    throw cMorStrBadMemException();
  }
  std::memcpy(buffer, data, static_cast<size_t>(length) + 1);
  Take(buffer, length + 1);
}

void cMorString::Clear() {
  MorFree(data);
  data = nullptr;
  capacity = 0;
}

char cMorString::CharAt(int i) const {
  if (i < 0 || i >= capacity) throw cMorStrOutOfRangeException();
  return data[i];
}

}  // namespace morstd
