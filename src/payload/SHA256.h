// SHA-256 (FIPS 180-2) for deriving the payload cipher's keys. One object hashes one
// message: construct, Update any number of times, Finish, GetDigest.
#pragma once

#include <cstdint>

#include "platform/win.h"

namespace morstd {

class cSHA256 {
 public:
  static constexpr DWORD kDigestLength = 32;

  cSHA256();
  // The state and the block may have held key material: both are wiped.
  virtual ~cSHA256();
  cSHA256(const cSHA256&) = delete;
  cSHA256& operator=(const cSHA256&) = delete;

  // Absorbs `count` bytes; a count of 0 does nothing (the pointer is then not read).
  void Update(DWORD count, const void* bytes);
  // Appends the padding and the 64-bit message length.
  void Finish();
  // Writes H0..H7, each most significant byte first, to `digest` (32 bytes).
  void GetDigest(BYTE* digest) const;

 private:
  void Compress();

  uint32_t state[8];
  uint32_t bitCountLow = 0;
  uint32_t bitCountHigh = 0;
  BYTE block[64] = {};
  int32_t blockUsed = 0;
};

}  // namespace morstd
