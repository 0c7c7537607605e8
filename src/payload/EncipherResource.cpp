#include "payload/EncipherResource.h"

#include <cstring>

#include "payload/GetLhaFile.h"
#include "payload/RC4.h"

int EncipherResource(const BYTE* plain, DWORD size, const BYTE* salt, morstd::cMorBinary* image) {
  image->Clear();
  if (!salt || (size > 0 && !plain)) return 0;
  try {
    // Salt + plaintext has the shape of a stored image; "deciphering" it yields the
    // ciphertext under the key that this salt gives.
    morstd::cMorBinary salted;
    if (size > morstd::cMorBinary::kMaxRequest - cRC4::kSaltLength) return 0;
    salted.Assign(nullptr, size + cRC4::kSaltLength);
    std::memcpy(salted.data, salt, cRC4::kSaltLength);
    if (size > 0) std::memcpy(salted.data + cRC4::kSaltLength, plain, size);

    morstd::cMorBinary cipher;
    cGetLhaFile lha;
    if (!lha.DecryptData(salted, &cipher)) return 0;

    // The salted copy is reused for the result: its salt is already in place.
    std::memcpy(salted.data + cRC4::kSaltLength, cipher.data, size);
    image->Assign(salted.data, salted.size);
  } catch (...) {
    image->Clear();
    return 0;
  }
  return 1;
}
