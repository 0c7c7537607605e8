// The cipher context: the RC4 core against RFC 6229, the salted scheme against an
// independently computed image, and the state it leaves behind.
#include "payload/RC4.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "morstd/MorAlloc.h"
#include "unit/payload/PayloadVectors.h"
#include "unit/payload/PayloadTestSupport.h"

using dhtest::Hex;

namespace {

// 16 keystream bytes at an offset, in hex as the RFC prints them.
struct KeystreamBlock {
  DWORD offset;
  const char* hex;
};

// RFC 6229, key length 256 bits, key 0x0102...20.
const KeystreamBlock kCountingKeyStream[] = {
    {0, "eaa6bd25880bf93d3f5d1e4ca2611d91"},
    {16, "cfa45c9f7e714b54bdfa80027cb14380"},
    {240, "114ae344ded71b35f2e60febad727fd8"},
    {256, "02e1e7056b0f623900496422943e97b6"},
    {496, "91cb93c787964e10d9527d999c6f936b"},
    {512, "49b18b42f8e8367cbeb5ef104ba1c7cd"},
    {752, "87084b3ba700bade955610672745b374"},
    {768, "e7a7b9e9ec540d5ff43bdb12792d1b35"},
    {1008, "c799b596738f6b018c76c74b1759bd90"},
    {1024, "7fec5bfd9f9b89ce6548309092d7e958"},
    {1520, "40f250b26d1f096a4afd4c340a588815"},
    {1536, "3e34135c79db010200767651cf263073"},
    {2032, "f656abccf88dd827027b2ce917d464ec"},
    {2048, "18b62503bfbc077fbabb98f20d98ab34"},
    {3056, "8aed95ee5b0dcbfbef4eb21d3a3f52f9"},
    {3072, "625a1ab00ee39a5327346bddb01a9c18"},
    {4080, "a13a7c79c7e119b5ab0296ab28c300b9"},
    {4096, "f3e4c0a2e02d1d01f7f0a74618af2b48"},
};

// RFC 6229, key length 256 bits, key 0x1ada31d5...3222772a.
const BYTE kRandomKey[32] = {0x1a, 0xda, 0x31, 0xd5, 0xcf, 0x68, 0x82, 0x21, 0xc1, 0x09, 0x16,
                             0x39, 0x08, 0xeb, 0xe5, 0x1d, 0xeb, 0xb4, 0x62, 0x27, 0xc6, 0xcc,
                             0x8b, 0x37, 0x64, 0x19, 0x10, 0x83, 0x32, 0x22, 0x77, 0x2a};
const KeystreamBlock kRandomKeyStream[] = {
    {0, "dd5bcb0018e922d494759d7c395d02d3"},
    {16, "c8446f8f77abf737685353eb89a1c9eb"},
    {1520, "ac4e95368d99b9eb78b8da8f81ffa795"},
    {4096, "370b1c1fe655916d97fd0d47ca1d72b8"},
};

// The first 4112 keystream bytes of the unsalted 32-byte key.
std::vector<BYTE> Keystream(const BYTE* key) {
  cRC4 cipher;
  cipher.Init();
  cipher.useSaltedKey = 0;
  cipher.keyLength = 32;
  std::memcpy(cipher.keyMaterial, key, 32);
  cipher.PrepareKey();
  EXPECT_EQ(0u, cipher.i);
  EXPECT_EQ(0u, cipher.j);
  std::vector<BYTE> stream(4112, 0);
  // In two runs: the keystream must continue across calls.
  cipher.Transform(stream.data(), stream.data(), 1000);
  cipher.Transform(stream.data() + 1000, stream.data() + 1000, 3112);
  return stream;
}

template <size_t N>
void ExpectKeystream(const BYTE* key, const KeystreamBlock (&blocks)[N]) {
  const std::vector<BYTE> stream = Keystream(key);
  for (const KeystreamBlock& block : blocks)
    EXPECT_EQ(block.hex, Hex(stream.data() + block.offset, 16)) << block.offset;
}

bool AllZero(const BYTE* bytes, size_t count) {
  for (size_t k = 0; k < count; ++k)
    if (bytes[k]) return false;
  return true;
}

}  // namespace

TEST(RC4Test, CoreMatchesRfc6229ForA256BitKey) {
  BYTE counting[32];
  for (int k = 0; k < 32; ++k) counting[k] = static_cast<BYTE>(k + 1);
  ExpectKeystream(counting, kCountingKeyStream);
  ExpectKeystream(kRandomKey, kRandomKeyStream);
}

TEST(RC4Test, DecryptsTheSaltedImage) {
  cRC4 cipher;
  cipher.Reset();
  cipher.keyLength = 32;
  std::memcpy(cipher.keyMaterial, payloadvectors::kResourceKey, 32);
  int32_t plainLength = -1;
  const BYTE* plain = cipher.Decrypt(payloadvectors::kImage, sizeof payloadvectors::kImage,
                                     &plainLength);
  ASSERT_NE(nullptr, plain);
  ASSERT_EQ(static_cast<int32_t>(sizeof payloadvectors::kPlain), plainLength);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kPlain, plain, sizeof payloadvectors::kPlain));
  // The plaintext is followed by 26 zero bytes.
  EXPECT_TRUE(AllZero(plain + plainLength, 26));
  EXPECT_EQ(1, cipher.useSaltedKey);
  EXPECT_EQ(16, cipher.saltLength);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kImage, cipher.salt, 16));
  EXPECT_TRUE(AllZero(cipher.salt + 16, 16));

  // A second image replaces the first plaintext buffer; a null plainLength is allowed.
  cipher.Reset();
  cipher.keyLength = 32;
  std::memcpy(cipher.keyMaterial, payloadvectors::kResourceKey, 32);
  const BYTE* again =
      cipher.Decrypt(payloadvectors::kImage, sizeof payloadvectors::kImage, nullptr);
  ASSERT_NE(nullptr, again);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kPlain, again, sizeof payloadvectors::kPlain));
}

TEST(RC4Test, ImagesWithoutAWholeSaltGiveNothing) {
  const BYTE salt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  cRC4 cipher;
  for (DWORD length : {0u, 1u, 15u}) {
    int32_t plainLength = 1234;
    EXPECT_EQ(nullptr, cipher.Decrypt(salt, length, &plainLength)) << length;
    EXPECT_EQ(1234, plainLength) << length;
  }
  EXPECT_EQ(nullptr, cipher.output);

  // Exactly a salt: an empty plaintext, still a (zero-filled) buffer.
  int32_t plainLength = 1234;
  const BYTE* plain = cipher.Decrypt(salt, 16, &plainLength);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(0, plainLength);
  EXPECT_TRUE(AllZero(plain, 26));
}

TEST(RC4Test, AllocationFailureGivesNothing) {
  cRC4 cipher;
  morstd::MorFailNextAllocations(1);
  int32_t plainLength = 1234;
  EXPECT_EQ(nullptr, cipher.Decrypt(payloadvectors::kImage, sizeof payloadvectors::kImage,
                                    &plainLength));
  morstd::MorFailNextAllocations(0);
  EXPECT_EQ(1234, plainLength);
  EXPECT_EQ(nullptr, cipher.output);
}

TEST(RC4Test, ResetAndFreeBuffers) {
  cRC4 cipher;
  cipher.keyLength = 32;
  std::memcpy(cipher.keyMaterial, payloadvectors::kResourceKey, 32);
  ASSERT_NE(nullptr,
            cipher.Decrypt(payloadvectors::kImage, sizeof payloadvectors::kImage, nullptr));

  // FreeBuffers lets the plaintext go and keeps the keystream state.
  const uint32_t i = cipher.i, j = cipher.j;
  BYTE state[256];
  std::memcpy(state, cipher.S, sizeof state);
  cipher.FreeBuffers();
  EXPECT_EQ(nullptr, cipher.output);
  EXPECT_EQ(nullptr, cipher.secondBuffer);
  EXPECT_EQ(i, cipher.i);
  EXPECT_EQ(j, cipher.j);
  EXPECT_EQ(0, std::memcmp(state, cipher.S, sizeof state));

  // Reset clears the key, salt and schedule too, and restores the defaults.
  cipher.keyLength = 7;
  cipher.saltLength = 3;
  cipher.Reset();
  EXPECT_EQ(0u, cipher.i);
  EXPECT_EQ(0u, cipher.j);
  EXPECT_EQ(0, cipher.useSaltedKey);
  EXPECT_EQ(32, cipher.keyLength);
  EXPECT_EQ(16, cipher.saltLength);
  EXPECT_TRUE(AllZero(cipher.S, sizeof cipher.S));
  EXPECT_TRUE(AllZero(cipher.keySchedule, sizeof cipher.keySchedule));
  EXPECT_TRUE(AllZero(cipher.keyMaterial, sizeof cipher.keyMaterial));
  EXPECT_TRUE(AllZero(cipher.salt, sizeof cipher.salt));
}

TEST(RC4Test, OddKeyLengthsStayInBounds) {
  // A key of 5 bytes repeats through the schedule; a length of 0 schedules without a
  // division by zero; an oversized salt length hashes only the salt array.
  cRC4 cipher;
  const BYTE key[5] = {0x01, 0x02, 0x03, 0x04, 0x05};
  std::memcpy(cipher.keyMaterial, key, sizeof key);
  cipher.keyLength = 5;
  cipher.PrepareKey();
  for (int x = 0; x < 256; ++x) ASSERT_EQ(key[x % 5], cipher.keySchedule[x]) << x;
  BYTE stream[16] = {};
  cipher.Transform(stream, stream, sizeof stream);
  // RFC 6229, 40-bit key 0x0102030405, offset 0.
  const BYTE expected[16] = {0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27,
                             0xcc, 0xc3, 0x52, 0x4a, 0x0a, 0x11, 0x18, 0xa8};
  EXPECT_EQ(0, std::memcmp(expected, stream, sizeof stream));

  cipher.Reset();
  cipher.keyLength = 0;
  cipher.PrepareKey();
  EXPECT_TRUE(AllZero(cipher.keySchedule, sizeof cipher.keySchedule));
  cipher.useSaltedKey = 1;
  cipher.saltLength = 255;
  cipher.keyLength = 255;
  cipher.PrepareKey();
  EXPECT_FALSE(AllZero(cipher.keySchedule, sizeof cipher.keySchedule));
}
