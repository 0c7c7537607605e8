// The resource key, DecryptData and the enciphering direction of the payload builder.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "morstd/MorAlloc.h"
#include "payload/EncipherResource.h"
#include "payload/GetLhaFile.h"
#include "unit/payload/PayloadVectors.h"
#include "unit/payload/PayloadTestSupport.h"

using dhtest::KeyIsZero;

using morstd::cMorBinary;

TEST(ResourceCipherTest, NewExtractorIsEmpty) {
  cGetLhaFile lha;
  EXPECT_EQ(nullptr, lha.resourceData);
  EXPECT_EQ(0u, lha.resourceSize);
  EXPECT_EQ(0, lha.memberCount);
  EXPECT_EQ(0, lha.lastError);
  EXPECT_TRUE(KeyIsZero(lha));
  EXPECT_EQ(nullptr, lha.payload.data);
}

TEST(ResourceCipherTest, ResourceKeyIsTheDigestOfThePassPhrase) {
  cGetLhaFile lha;
  lha.key[0] = 0x55;
  lha.MakeResourceKey();
  EXPECT_EQ(0, std::memcmp(payloadvectors::kResourceKey, lha.key, sizeof lha.key));
}

TEST(ResourceCipherTest, DecryptDataDeciphersAndWipesTheKey) {
  cMorBinary image, plain;
  image.Assign(payloadvectors::kImage, sizeof payloadvectors::kImage);
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.DecryptData(image, &plain));
  ASSERT_EQ(sizeof payloadvectors::kPlain, plain.size);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kPlain, plain.data, plain.size));
  EXPECT_TRUE(KeyIsZero(lha));
  // The input is read only.
  EXPECT_EQ(0, std::memcmp(payloadvectors::kImage, image.data, image.size));

  // A damaged byte has no integrity check to trip: same length, one byte changed.
  image.data[20] ^= 0x01;
  ASSERT_EQ(1, lha.DecryptData(image, &plain));
  EXPECT_EQ(payloadvectors::kPlain[4] ^ 0x01, plain.data[4]);
}

TEST(ResourceCipherTest, DecryptDataRefusesImagesWithoutAWholeSalt) {
  cGetLhaFile lha;
  cMorBinary plain;
  plain.Assign("previous", 8);
  cMorBinary empty;
  EXPECT_EQ(0, lha.DecryptData(empty, &plain));
  cMorBinary shortImage;
  for (DWORD length : {1u, 15u}) {
    shortImage.Assign(payloadvectors::kImage, length);
    EXPECT_EQ(0, lha.DecryptData(shortImage, &plain)) << length;
  }
  EXPECT_TRUE(KeyIsZero(lha));
  EXPECT_EQ(0, std::memcmp("previous", plain.data, 8));

  // Exactly the salt: an empty plaintext.
  shortImage.Assign(payloadvectors::kImage, 16);
  ASSERT_EQ(1, lha.DecryptData(shortImage, &plain));
  EXPECT_EQ(0u, plain.size);
}

TEST(ResourceCipherTest, DecryptDataFailsCleanlyWithoutMemory) {
  cMorBinary image, plain;
  image.Assign(payloadvectors::kImage, sizeof payloadvectors::kImage);
  cGetLhaFile lha;
  // The plaintext buffer, then (on a second try) the output buffer cannot be had.
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, lha.DecryptData(image, &plain));
  morstd::MorFailNextAllocations(0);
  EXPECT_TRUE(KeyIsZero(lha));
  EXPECT_EQ(1, lha.DecryptData(image, &plain));
}

TEST(ResourceCipherTest, EncipherMatchesTheIndependentImage) {
  cMorBinary image;
  ASSERT_EQ(1, EncipherResource(payloadvectors::kPlain, sizeof payloadvectors::kPlain,
                                payloadvectors::kImage, &image));
  ASSERT_EQ(sizeof payloadvectors::kImage, image.size);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kImage, image.data, image.size));
}

TEST(ResourceCipherTest, EncipherRoundTrips) {
  std::vector<BYTE> plain(70000);
  uint32_t seed = 12345;
  for (BYTE& b : plain) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<BYTE>(seed >> 16);
  }
  const BYTE salt[16] = {0x5a, 0x01, 0xff, 0x00, 0x77, 0x10, 0x20, 0x30,
                         0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xa0, 0xb0};
  cMorBinary image, back;
  ASSERT_EQ(1, EncipherResource(plain.data(), static_cast<DWORD>(plain.size()), salt, &image));
  ASSERT_EQ(plain.size() + 16, image.size);
  EXPECT_EQ(0, std::memcmp(salt, image.data, 16));
  EXPECT_NE(0, std::memcmp(plain.data(), image.data + 16, 64));  // really enciphered

  cGetLhaFile lha;
  ASSERT_EQ(1, lha.DecryptData(image, &back));
  ASSERT_EQ(plain.size(), back.size);
  EXPECT_EQ(0, std::memcmp(plain.data(), back.data, back.size));

  // Another salt, another ciphertext of the same plaintext.
  BYTE otherSalt[16];
  std::memcpy(otherSalt, salt, 16);
  otherSalt[15] ^= 1;
  cMorBinary other;
  ASSERT_EQ(1, EncipherResource(plain.data(), static_cast<DWORD>(plain.size()), otherSalt, &other));
  EXPECT_NE(0, std::memcmp(image.data + 16, other.data + 16, 64));

  // An empty plaintext is just the salt; a missing salt or plaintext is refused.
  ASSERT_EQ(1, EncipherResource(nullptr, 0, salt, &other));
  ASSERT_EQ(16u, other.size);
  EXPECT_EQ(0, std::memcmp(salt, other.data, 16));
  EXPECT_EQ(0, EncipherResource(plain.data(), 10, nullptr, &other));
  EXPECT_EQ(nullptr, other.data);
  EXPECT_EQ(0, EncipherResource(nullptr, 10, salt, &other));
}
