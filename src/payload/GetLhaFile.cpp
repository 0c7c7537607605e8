#include "payload/GetLhaFile.h"

#include <cstring>

#include "morstd/MorAlloc.h"
#include "payload/DatResource.h"
#include "payload/PayloadNames.h"
#include "payload/RC4.h"
#include "payload/SHA256.h"
#include "res/Captions.h"

namespace {

// The resource key is the SHA-256 digest of this phrase (its 24 bytes, no terminator).
constexpr char kPassPhrase[] = "#LanternQuietHarborKeys#";

constexpr char kFindFailed[] = "FindResource failed";
constexpr char kLoadFailed[] = "LoadResource failed";
constexpr char kLockFailed[] = "LockResource failed";
constexpr char kDecryptFailed[] = "DecryptData failed";

// Raised inside LoadDatResource when the decipherment gives nothing.
constexpr int kDecipherFailure = 100;

int ShowResourceError(const char* text) {
  MessageBoxA(nullptr, text, kCaptionResourceError, MB_ICONERROR);
  return 0;
}

}  // namespace

cGetLhaFile::cGetLhaFile() = default;

cGetLhaFile::~cGetLhaFile() { morstd::MorWipe(key, sizeof key); }

void cGetLhaFile::MakeResourceKey() {
  morstd::MorWipe(key, sizeof key);
  morstd::cSHA256 hash;
  hash.Update(sizeof kPassPhrase - 1, kPassPhrase);
  hash.Finish();
  hash.GetDigest(key);
}

int cGetLhaFile::LoadDatResource(WORD id) {
  switch (LockDatResource(id, &resourceData, &resourceSize)) {
    case kDatResourceLocked:
      break;
    case kDatResourceNotFound:
      return ShowResourceError(kFindFailed);
    case kDatResourceNotLoaded:
      return ShowResourceError(kLoadFailed);
    case kDatResourceNotLocked:
      resourceData = nullptr;
      return ShowResourceError(kLockFailed);
  }

  try {
    morstd::cMorBinary image;
    payload.Clear();
    image.Assign(resourceData, resourceSize);
    if (!DecryptData(image, &payload)) throw kDecipherFailure;
  } catch (...) {
    return ShowResourceError(kDecryptFailed);
  }
  return 1;
}

int cGetLhaFile::DecryptData(const morstd::cMorBinary& input, morstd::cMorBinary* output) {
  try {
    MakeResourceKey();
    cRC4 cipher;
    cipher.Init();
    cipher.Reset();
    cipher.keyLength = kKeyLength;
    std::memcpy(cipher.keyMaterial, key, kKeyLength);
    int32_t plainLength = 0;
    const BYTE* plain = cipher.Decrypt(input.data, input.size, &plainLength);
    if (!plain) {
      // The key is of no use once the decipherment has failed; the context wipes its
      // own copy when it goes.
      morstd::MorWipe(key, sizeof key);
      cipher.FreeBuffers();
      return 0;
    }
    output->Assign(plain, static_cast<DWORD>(plainLength));
    morstd::MorWipe(key, sizeof key);
    cipher.FreeBuffers();
    return 1;
  } catch (...) {
    morstd::MorWipe(key, sizeof key);
    return 0;
  }
}
