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

void cGetLhaFile::ReleasePayload() {
  payload.Clear();
  heldResource = 0;
}

int cGetLhaFile::LoadDatResource(WORD id) {
  if (holdPayload && heldResource == id && payload.data) return 1;
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

  // Deciphered straight from the locked bytes into `payload`, the one buffer the
  // archive reader uses: no copy of the resource and no second plaintext.
  try {
    payload.Clear();
    heldResource = 0;
    if (!DecryptData(resourceData, resourceSize, &payload)) throw kDecipherFailure;
  } catch (...) {
    return ShowResourceError(kDecryptFailed);
  }
  heldResource = id;
  return 1;
}

int cGetLhaFile::DecryptData(const morstd::cMorBinary& input, morstd::cMorBinary* output) {
  return DecryptData(input.data, input.size, output);
}

int cGetLhaFile::DecryptData(const BYTE* image, DWORD size, morstd::cMorBinary* output) {
  try {
    MakeResourceKey();
    cRC4 cipher;
    cipher.Init();
    cipher.Reset();
    cipher.keyLength = kKeyLength;
    std::memcpy(cipher.keyMaterial, key, kKeyLength);
    // The key is of no use once the cipher holds it; the context wipes its own copy
    // when it goes.
    morstd::MorWipe(key, sizeof key);
    if (!image || size < cRC4::kSaltLength) return 0;
    // A zeroed block of the plaintext's length (and the spare zeros after it that the
    // buffer always keeps), then the keystream run into it.
    output->Assign(nullptr, size - cRC4::kSaltLength);
    if (!cipher.DecryptTo(image, size, output->data)) {
      output->Clear();
      return 0;
    }
    return 1;
  } catch (...) {
    morstd::MorWipe(key, sizeof key);
    return 0;
  }
}
