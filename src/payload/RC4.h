// The payload's stream cipher: RC4 keyed either with the owner's key material itself or
// with SHA-256(key material || salt), the salt being the first 16 bytes of a stored
// resource image. The context owns the plaintext it makes until Reset or FreeBuffers,
// and wipes every byte that held key material, keystream state or plaintext before it
// lets it go. Owners set the fields directly (keyLength, keyMaterial).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win.h"

class cRC4 {
 public:
  static constexpr BYTE kDefaultKeyLength = 32;
  static constexpr BYTE kSaltLength = 16;

  // Starts as Init leaves it, so that Reset or the destructor never free garbage.
  cRC4();
  // Releases both buffers and wipes the key material, the salt and the schedule.
  ~cRC4();
  cRC4(const cRC4&) = delete;
  cRC4& operator=(const cRC4&) = delete;

  // Indices, flags and buffer pointers zero, default lengths, key arrays and S zeroed.
  // Does not release the buffers: only use it on a fresh context.
  void Init();
  // Releases both buffers, then does what Init does.
  void Reset();
  // Releases both buffers (wiped first) and touches nothing else.
  void FreeBuffers();
  // Deciphers a stored image (16 bytes of salt, then the ciphertext) of `length` bytes
  // and returns the plaintext, which the context keeps owning; it is followed by 26 zero
  // bytes. `plainLength` (when given) receives length - 16. Null, with `plainLength`
  // untouched, when the image is shorter than 16 bytes, too long for a signed length,
  // or the buffer cannot be had.
  BYTE* Decrypt(const BYTE* input, DWORD length, int32_t* plainLength);
  // Deciphers a stored image of `length` bytes straight into `plain`, which holds
  // length - 16 bytes (a caller's buffer: the context owns nothing afterwards). False,
  // with nothing written, for an image shorter than 16 bytes or too long for a signed
  // length.
  bool DecryptTo(const BYTE* input, DWORD length, BYTE* plain);
  // Derives the cipher key (salted when useSaltedKey is set) and runs the RC4 key
  // schedule into S. Leaves i and j alone.
  void PrepareKey();
  // XORs `count` bytes with the keystream that continues from i, j and S. The two
  // pointers may be equal.
  void Transform(const BYTE* input, BYTE* result, DWORD count);

  uint32_t i;
  uint32_t j;
  BYTE S[256];
  BYTE keySchedule[256];
  BYTE keyMaterial[256];  // only the first keyLength bytes count
  BYTE keyLength;
  BYTE salt[32];  // only the first saltLength bytes count
  int32_t useSaltedKey;
  BYTE saltLength;
  // A second owned buffer, released with the first; nothing fills it today. Whoever
  // does must record its size in secondBytes so that it is wiped on release.
  BYTE* secondBuffer;
  BYTE* output;
  // Allocation sizes of the two buffers, for wiping them on release.
  size_t secondBytes;
  size_t outputBytes;

 private:
  void WipeKeyState();
};
