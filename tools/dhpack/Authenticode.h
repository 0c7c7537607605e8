// Who signed an executable: the Authenticode signature in the file's certificate
// table is a PKCS#7 SignedData; its signer is named by issuer and serial number, and
// its certificate is among those the signature carries. Only read here, not checked:
// `osslsigncode verify` checks the signature against a certificate authority.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The signer's subject common name (and organisation when given), as "CN=..., O=...".
// False, with `*error` set, when the table holds no PKCS#7 signature that names a
// signer among its certificates.
bool AuthenticodeSigner(const uint8_t* table, size_t size, std::string* signer, std::string* error);
