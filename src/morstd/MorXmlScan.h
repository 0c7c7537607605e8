// Byte scanning over the XML reader's working copy. Every search is bounded by the end
// it is given rather than by a NUL: the reader writes NUL bytes into the copy as it
// cuts it, and a search must neither stop early at them nor run past the copy's end.
#pragma once

#include <cstring>

namespace morstd {
namespace xmlscan {

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Skips a run of space, tab, CR and LF, then at most one ideographic space (0x81 0x40).
// The byte at `end` is the copy's terminating NUL, so looking one byte ahead of a
// position before `end` stays inside the copy.
inline char* SkipSpaces(char* at, const char* end) {
  while (at < end && IsSpace(*at)) ++at;
  if (at + 1 < end && static_cast<unsigned char>(at[0]) == 0x81 && at[1] == 0x40) at += 2;
  return at;
}

// The first `c` in [from, end), or null.
inline char* Find(char* from, const char* end, char c) {
  if (from >= end) return nullptr;
  return static_cast<char*>(std::memchr(from, c, static_cast<size_t>(end - from)));
}

// The first occurrence of the `length` bytes of `text` that lies wholly in [from, end),
// or null.
inline char* FindSequence(char* from, const char* end, const char* text, size_t length) {
  if (length == 0) return from;
  for (char* at = from; at < end && static_cast<size_t>(end - at) >= length; ++at) {
    at = Find(at, end, text[0]);
    if (!at || static_cast<size_t>(end - at) < length) return nullptr;
    if (std::memcmp(at, text, length) == 0) return at;
  }
  return nullptr;
}

inline bool StartsWith(const char* at, const char* end, const char* text, size_t length) {
  return at <= end && static_cast<size_t>(end - at) >= length && std::memcmp(at, text, length) == 0;
}

// Skips white space and at most one comment ("<!--" to "-->") with the white space after
// it. False when a comment starts and does not end; `*at` then stays where it was.
inline bool SkipComment(char** at, const char* end) {
  char* p = SkipSpaces(*at, end);
  if (StartsWith(p, end, "<!--", 4)) {
    char* close = FindSequence(p + 4, end, "-->", 3);
    if (!close) return false;
    p = SkipSpaces(close + 3, end);
  }
  *at = p;
  return true;
}

}  // namespace xmlscan
}  // namespace morstd
