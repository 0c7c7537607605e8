// Narrow string functions of the host layer.
#include "platform/host/HostWin32.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
// The Win32 wsprintf family stops at 1024 bytes, terminator included.
constexpr int kWsprintfLimit = 1024;
}  // namespace

int lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPSTR lstrcpyA(LPSTR dst, LPCSTR src) {
  if (!dst) return nullptr;
  if (!src) src = "";
  return std::strcpy(dst, src);
}

// Copies at most maxCount - 1 bytes and always terminates (when maxCount > 0).
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int maxCount) {
  if (!dst) return nullptr;
  if (maxCount <= 0) return dst;
  if (!src) src = "";
  int i = 0;
  for (; i < maxCount - 1 && src[i] != '\0'; ++i) dst[i] = src[i];
  dst[i] = '\0';
  return dst;
}

LPSTR lstrcatA(LPSTR dst, LPCSTR src) {
  if (!dst) return nullptr;
  if (!src) return dst;
  return std::strcat(dst, src);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
  if (!a) a = "";
  if (!b) b = "";
  int r = std::strcmp(a, b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Case-insensitive for ASCII letters only, which is what our callers compare (names
// of keys, values and files); double-byte characters compare bytewise.
int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a) a = "";
  if (!b) b = "";
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a));
    int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

int wvsprintfA(LPSTR dst, LPCSTR format, va_list args) {
  if (!dst || !format) return 0;
  int n = std::vsnprintf(dst, kWsprintfLimit, format, args);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return n < kWsprintfLimit ? n : kWsprintfLimit - 1;
}

int wsprintfA(LPSTR dst, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = wvsprintfA(dst, format, args);
  va_end(args);
  return n;
}

BOOL IsDBCSLeadByte(BYTE c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE c) { return codePage == 932 && IsDBCSLeadByte(c); }

LPSTR CharNextA(LPCSTR p) {
  if (!p || *p == '\0') return const_cast<LPSTR>(p);
  if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') return const_cast<LPSTR>(p + 2);
  return const_cast<LPSTR>(p + 1);
}

// Walks forward from the start, since a trail byte cannot be told from a lead byte
// looking backwards.
LPSTR CharPrevA(LPCSTR start, LPCSTR p) {
  if (!start || !p || p <= start) return const_cast<LPSTR>(start);
  LPCSTR prev = start;
  for (LPCSTR q = start; q < p;) {
    prev = q;
    LPCSTR next = CharNextA(q);
    if (next == q) break;
    q = next;
  }
  return const_cast<LPSTR>(prev);
}
