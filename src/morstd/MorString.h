// The program's narrow (code page 932) string: a zero-filled heap buffer that grows in
// 128-byte steps. The length is not stored; it is the byte count up to the first NUL.
// Every request is capped at 100 MiB. Copies are deep.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "platform/win.h"

#ifdef __MINGW_PRINTF_FORMAT
#define MOR_PRINTF_FORMAT(fmt, args) __attribute__((format(__MINGW_PRINTF_FORMAT, fmt, args)))
#else
#define MOR_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

namespace morstd {

class cMorString {
 public:
  // The largest buffer, terminator included, that may be asked for (100 MiB).
  static constexpr int kMaxRequest = 104857600;

  cMorString();
  virtual ~cMorString();
  cMorString(const cMorString& other);
  cMorString& operator=(const cMorString& other);
  // The moved-from string is left without a buffer, as after Clear.
  cMorString(cMorString&& other) noexcept;
  cMorString& operator=(cMorString&& other) noexcept;

  // Makes room for `n` bytes, terminator included: the buffer becomes 64 bytes for a
  // small request, else the next multiple of 128 strictly above `n`; it never shrinks
  // here. Above kMaxRequest: cMorStrBadMemException, the string unchanged. A failed
  // allocation releases the old buffer (no buffer, capacity 0) and throws the same.
  int Reserve(int n);

  // A null text leaves the string as it was. The text may point into this string.
  cMorString& Assign(const char* text);
  cMorString& Append(const char* text);
  // printf-style; the arguments may point into this string. A null format counts as
  // empty.
  cMorString& Format(const char* format, ...) MOR_PRINTF_FORMAT(2, 3);
  cMorString& AppendFormat(const char* format, ...) MOR_PRINTF_FORMAT(2, 3);
  // Format with the arguments of a caller's own variable argument list.
  cMorString& FormatV(const char* format, va_list args) {
    FormatAt(0, format, args);
    return *this;
  }
  // Replaces every non-overlapping occurrence, left to right. An empty search text
  // changes nothing; a null replacement counts as empty.
  cMorString& ReplaceAll(const char* search, const char* replacement);
  // Capacity becomes length + 1. On failure the string is cleared and
  // cMorStrBadMemException thrown.
  void ShrinkToFit();
  // Releases the buffer; the string then has none (capacity 0) until it grows again.
  void Clear();

  // The byte at `i` anywhere in the buffer; outside it cMorStrOutOfRangeException.
  char CharAt(int i) const;
  // Null when there is no buffer. Writers (Win32 calls that fill a buffer) must stay
  // within GetCapacity() bytes and leave a NUL in them.
  const char* GetData() const { return data; }
  char* GetData() { return data; }
  int GetLength() const { return data ? lstrlenA(data) : 0; }
  int GetCapacity() const { return capacity; }

 private:
  void Grow(int64_t n);
  void FormatAt(int offset, const char* format, va_list args);
  void Take(char* buffer, int newCapacity);

  char* data = nullptr;
  int capacity = 0;
  // Released with the string if ever set; nothing in the library fills it yet.
  char* aux = nullptr;
};

}  // namespace morstd
