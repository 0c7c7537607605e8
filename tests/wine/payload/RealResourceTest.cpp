// LoadDatResource over the executable's own "DAT" resources, found, loaded and locked
// by Windows itself. Only the successful loads: a failure would show a message box.
#include <gtest/gtest.h>

#include <cstring>

#include "payload/GetLhaFile.h"
#include "unit/payload/PayloadVectors.h"
#include "unit/payload/PayloadTestSupport.h"

using dhtest::KeyIsZero;

TEST(RealResourceTest, DeciphersTheReadMeResource) {
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kReadMeResource));
  EXPECT_EQ(sizeof payloadvectors::kImage, lha.resourceSize);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kImage, lha.resourceData, 16));
  ASSERT_EQ(sizeof payloadvectors::kPlain, lha.payload.size);
  EXPECT_EQ(0, std::memcmp(payloadvectors::kPlain, lha.payload.data, lha.payload.size));
  EXPECT_TRUE(KeyIsZero(lha));
}

TEST(RealResourceTest, DeciphersThePayloadResourceTwice) {
  cGetLhaFile lha;
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
    EXPECT_EQ(5016u, lha.resourceSize);
    ASSERT_EQ(5000u, lha.payload.size);
    for (DWORD k = 0; k < lha.payload.size; ++k)
      ASSERT_EQ((k * 7 + 3) % 251, lha.payload.data[k]) << k;
  }
}
