// The enciphering direction of the "DAT" resources, for the payload builder. The cipher
// is a keystream XOR, so enciphering is the installer's own decipherment run over the
// plaintext; this keeps a single copy of the key derivation and of the cipher.
#pragma once

#include "morstd/MorBinary.h"
#include "platform/win.h"

// Stores in `image` the resource image of `size` bytes of `plain`: the 16 bytes of
// `salt` followed by the ciphertext (exactly `size` bytes). The salt should be fresh
// random bytes; any salt deciphers. Returns 1 on success; 0 (with `image` empty) when
// the buffers cannot be had or the plaintext is too large. The temporary copy of the
// plaintext is wiped.
int EncipherResource(const BYTE* plain, DWORD size, const BYTE* salt, morstd::cMorBinary* image);
