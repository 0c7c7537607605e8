#include "payload/RC4.h"

#include <cstring>

#include "morstd/MorAlloc.h"
#include "payload/SHA256.h"

namespace {

// The plaintext buffer is allocated this much larger than the whole image, so that a
// reader that looks past the plaintext finds zeros (26 bytes of them).
constexpr size_t kOutputSlack = 10;
// plainLength is signed: a longer image could not report its length.
constexpr DWORD kMaxInput = 0x7FFFFFFFu + DWORD{cRC4::kSaltLength};

void Release(BYTE** buffer, size_t* bytes) {
  if (*buffer) {
    morstd::MorWipe(*buffer, *bytes);
    morstd::MorFree(*buffer);
  }
  *buffer = nullptr;
  *bytes = 0;
}

}  // namespace

cRC4::cRC4() { Init(); }

cRC4::~cRC4() {
  FreeBuffers();
  WipeKeyState();
}

void cRC4::Init() {
  i = 0;
  j = 0;
  useSaltedKey = 0;
  secondBuffer = nullptr;
  output = nullptr;
  secondBytes = 0;
  outputBytes = 0;
  keyLength = kDefaultKeyLength;
  saltLength = kSaltLength;
  WipeKeyState();
}

void cRC4::Reset() {
  FreeBuffers();
  Init();
}

void cRC4::FreeBuffers() {
  Release(&secondBuffer, &secondBytes);
  Release(&output, &outputBytes);
}

void cRC4::WipeKeyState() {
  morstd::MorWipe(S, sizeof S);
  morstd::MorWipe(keySchedule, sizeof keySchedule);
  morstd::MorWipe(keyMaterial, sizeof keyMaterial);
  morstd::MorWipe(salt, sizeof salt);
}

namespace {

// An image without a whole salt has no meaning; refusing it keeps plainLength from
// going negative and the keystream run from reading before the input.
bool UsableImage(const BYTE* input, DWORD length) {
  return input && length >= cRC4::kSaltLength && length <= kMaxInput;
}

}  // namespace

BYTE* cRC4::Decrypt(const BYTE* input, DWORD length, int32_t* plainLength) {
  if (!UsableImage(input, length)) return nullptr;

  Release(&output, &outputBytes);
  const size_t bytes = size_t{length} + kOutputSlack;
  output = static_cast<BYTE*>(morstd::MorAllocZeroed(bytes));
  if (!output) return nullptr;
  outputBytes = bytes;

  if (plainLength) *plainLength = static_cast<int32_t>(length - kSaltLength);
  DecryptTo(input, length, output);
  return output;
}

bool cRC4::DecryptTo(const BYTE* input, DWORD length, BYTE* plain) {
  if (!UsableImage(input, length) || !plain) return false;
  saltLength = kSaltLength;
  useSaltedKey = 1;
  std::memset(salt, 0, sizeof salt);
  std::memcpy(salt, input, kSaltLength);
  PrepareKey();
  Transform(input + kSaltLength, plain, length - kSaltLength);
  return true;
}

void cRC4::Transform(const BYTE* input, BYTE* result, DWORD count) {
  // Local indices let the compiler keep them in registers over a multi-megabyte run.
  uint32_t x = i, y = j;
  for (DWORD k = 0; k < count; ++k) {
    x = (x + 1) & 0xFF;
    y = (y + S[x]) & 0xFF;
    const BYTE t = S[x];
    S[x] = S[y];
    S[y] = t;
    result[k] = static_cast<BYTE>(S[(S[x] + S[y]) & 0xFF] ^ input[k]);
  }
  i = x;
  j = y;
}

void cRC4::PrepareKey() {
  BYTE key[256] = {};
  if (useSaltedKey) {
    // The salt array holds 32 bytes; a larger saltLength must not read past it.
    const DWORD saltBytes = saltLength <= sizeof salt ? saltLength : DWORD{sizeof salt};
    morstd::cSHA256 hash;
    hash.Update(keyLength, keyMaterial);
    hash.Update(saltBytes, salt);
    hash.Finish();
    hash.GetDigest(key);
  } else {
    std::memcpy(key, keyMaterial, keyLength);
  }
  // A key length of 0 would divide by zero; the whole (zero-padded) local key serves.
  const unsigned length = keyLength ? keyLength : sizeof key;

  for (unsigned x = 0; x < 256; ++x) {
    S[x] = static_cast<BYTE>(x);
    keySchedule[x] = key[x % length];
  }
  unsigned y = 0;
  for (unsigned x = 0; x < 256; ++x) {
    y = (y + S[x] + keySchedule[x]) & 0xFF;
    const BYTE t = S[x];
    S[x] = S[y];
    S[y] = t;
  }
  morstd::MorWipe(key, sizeof key);
}
