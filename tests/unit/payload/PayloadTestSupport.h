// Small helpers shared by the cipher and resource tests.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "payload/GetLhaFile.h"

namespace dhtest {

// Lower-case hexadecimal of the bytes, to compare with published test vectors.
inline std::string Hex(const BYTE* bytes, size_t count) {
  std::string text;
  char pair[3];
  for (size_t k = 0; k < count; ++k) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[k]);
    text += pair;
  }
  return text;
}

// True when the extractor holds no key (before a decipherment and after each one).
inline bool KeyIsZero(const cGetLhaFile& lha) {
  for (BYTE b : lha.key) {
    if (b) return false;
  }
  return true;
}

}  // namespace dhtest
