#include "ResourceImage.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "morstd/MorBinary.h"
#include "payload/EncipherResource.h"
#include "payload/SHA256.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool MakeSalt(const std::string& hex, Salt* salt, std::string* error) {
  if (hex.empty()) {
    size_t got = 0;
    while (got < salt->size()) {
      const ssize_t n = getrandom(salt->data() + got, salt->size() - got, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = std::string("no random salt: ") + std::strerror(errno);
        return false;
      }
      got += static_cast<size_t>(n);
    }
    return true;
  }
  if (hex.size() != 2 * salt->size()) {
    *error = "--salt takes 32 hexadecimal digits (16 bytes), not \"" + hex + "\"";
    return false;
  }
  for (size_t i = 0; i < salt->size(); ++i) {
    const int high = HexDigit(hex[2 * i]);
    const int low = HexDigit(hex[2 * i + 1]);
    if (high < 0 || low < 0) {
      *error = "--salt takes hexadecimal digits only, not \"" + hex + "\"";
      return false;
    }
    (*salt)[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}

Salt SaltOfArchive(const std::vector<uint8_t>& archive) {
  morstd::cSHA256 hash;
  // Fed in pieces: the count is 32-bit and an archive may be larger than one piece.
  constexpr size_t kPiece = 1u << 30;
  for (size_t at = 0; at < archive.size(); at += kPiece)
    hash.Update(static_cast<DWORD>(std::min(kPiece, archive.size() - at)), archive.data() + at);
  hash.Finish();
  BYTE digest[morstd::cSHA256::kDigestLength];
  hash.GetDigest(digest);
  Salt salt;
  std::copy(digest, digest + salt.size(), salt.begin());
  return salt;
}

bool EncipherArchive(const std::vector<uint8_t>& archive, const Salt& salt,
                     std::vector<uint8_t>* image, std::string* error) {
  // The installer holds the deciphered archive in one buffer of limited capacity.
  if (archive.size() + salt.size() > morstd::cMorBinary::kMaxRequest) {
    *error = "the archive (" + std::to_string(archive.size()) +
             " bytes) is larger than the installer can decipher";
    return false;
  }
  morstd::cMorBinary enciphered;
  if (!EncipherResource(archive.data(), static_cast<DWORD>(archive.size()), salt.data(),
                        &enciphered)) {
    *error = "cannot encipher the archive (out of memory)";
    return false;
  }
  image->assign(enciphered.data, enciphered.data + enciphered.size);
  return true;
}
