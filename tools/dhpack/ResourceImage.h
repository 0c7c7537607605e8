// The enciphered form of an archive as the installer stores it in a "DAT" resource:
// a 16-byte salt followed by the ciphertext.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Salt = std::array<uint8_t, 16>;

// The salt from `hex` (32 hexadecimal digits, for reproducible builds), or 16 fresh
// random bytes from the system when `hex` is empty. False, with `*error` set, for
// malformed digits or when the system has no randomness to give.
bool MakeSalt(const std::string& hex, Salt* salt, std::string* error);

// A salt that only the archive decides: the first 16 bytes of the SHA-256 of its bytes,
// for reproducible builds that give no salt of their own. Two different archives
// still get different keys.
Salt SaltOfArchive(const std::vector<uint8_t>& archive);

// The resource image of `archive` under `salt`. False, with `*error` set, when the
// archive is too large for the installer to decipher.
bool EncipherArchive(const std::vector<uint8_t>& archive, const Salt& salt,
                     std::vector<uint8_t>* image, std::string* error);
