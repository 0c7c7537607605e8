// LoadDatResource over the host layer's module resources: what the user sees for each
// failure, and what is left in the extractor.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "morstd/MorAlloc.h"
#include "payload/EncipherResource.h"
#include "payload/GetLhaFile.h"
#include "support/HostFixture.h"

using morstd::cMorBinary;

namespace {

const BYTE kSalt[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0xf0, 0xe0, 0xd0, 0xc0, 0xb0, 0xa0};

// The blocks the byte buffers gave up, and whether each was all zero by then.
struct Release {
  const BYTE* block;
  bool wiped;
};
std::vector<Release> releases;
void RecordRelease(const BYTE* block, DWORD capacity) {
  bool wiped = true;
  for (DWORD k = 0; k < capacity; ++k) wiped = wiped && block[k] == 0;
  releases.push_back({block, wiped});
}

class LoadDatResourceTest : public dhtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    releases.clear();
  }
  void TearDown() override {
    cMorBinary::SetReleaseObserver(nullptr);
    morstd::MorFailNextAllocations(0);
    HostFixture::TearDown();
  }

  // Registers `text` enciphered as "DAT" `id`.
  static void RegisterPayload(int id, const std::string& text) {
    cMorBinary image;
    ASSERT_EQ(1, EncipherResource(reinterpret_cast<const BYTE*>(text.data()),
                                  static_cast<DWORD>(text.size()), kSalt, &image));
    hostwin::RegisterResource("DAT", id, std::vector<BYTE>(image.data, image.data + image.size));
  }

  static std::string Payload(const cGetLhaFile& lha) {
    return std::string(reinterpret_cast<const char*>(lha.payload.data), lha.payload.size);
  }

  // The one message box shown so far must be this resource failure.
  static void ExpectOnlyMessage(const char* text) {
    const auto journal = hostwin::MessageJournal();
    ASSERT_EQ(1u, journal.size());
    EXPECT_EQ(text, journal[0].text);
    EXPECT_EQ("Err", journal[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), journal[0].flags);
    EXPECT_EQ(nullptr, journal[0].owner);
  }
};

bool KeyIsZero(const cGetLhaFile& lha) {
  for (BYTE b : lha.key)
    if (b) return false;
  return true;
}

}  // namespace

TEST_F(LoadDatResourceTest, LoadsAndDeciphersEachResource) {
  RegisterPayload(cGetLhaFile::kReadMeResource, "-lh5- read me");
  RegisterPayload(cGetLhaFile::kPayloadResource, "-lh5- the whole viewer");
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kReadMeResource));
  EXPECT_EQ("-lh5- read me", Payload(lha));
  EXPECT_EQ(13u + 16u, lha.resourceSize);
  EXPECT_EQ(0, std::memcmp(kSalt, lha.resourceData, 16));
  EXPECT_TRUE(KeyIsZero(lha));

  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  EXPECT_EQ("-lh5- the whole viewer", Payload(lha));
  EXPECT_TRUE(KeyIsZero(lha));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(LoadDatResourceTest, ReloadingWipesTheFirstContent) {
  RegisterPayload(cGetLhaFile::kPayloadResource, std::string(3000, 'x') + "end");
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  const std::string first = Payload(lha);
  const BYTE* firstBlock = lha.payload.data;

  cMorBinary::SetReleaseObserver(RecordRelease);
  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  EXPECT_EQ(first, Payload(lha));
  // The old payload went, wiped; the resource was deciphered straight into the new
  // one, without a copy of it or a second plaintext.
  ASSERT_EQ(1u, releases.size());
  EXPECT_EQ(firstBlock, releases[0].block);
  EXPECT_TRUE(releases[0].wiped);
}

TEST_F(LoadDatResourceTest, SaltOnlyResourceGivesAnEmptyPayload) {
  hostwin::RegisterResource("DAT", cGetLhaFile::kReadMeResource,
                            std::vector<BYTE>(kSalt, kSalt + 16));
  cGetLhaFile lha;
  EXPECT_EQ(1, lha.LoadDatResource(cGetLhaFile::kReadMeResource));
  EXPECT_EQ(0u, lha.payload.size);
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(LoadDatResourceTest, ImagesShorterThanASaltFailToDecipher) {
  for (size_t length : {0u, 1u, 15u}) {
    hostwin::ClearMessageJournal();
    RegisterPayload(cGetLhaFile::kPayloadResource, "earlier content");
    cGetLhaFile lha;
    ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
    hostwin::ClearMessageJournal();

    hostwin::RegisterResource("DAT", cGetLhaFile::kPayloadResource,
                              std::vector<BYTE>(kSalt, kSalt + length));
    EXPECT_EQ(0, lha.LoadDatResource(cGetLhaFile::kPayloadResource)) << length;
    ExpectOnlyMessage("DecryptData failed");
    // The payload was cleared before the decipherment.
    EXPECT_EQ(0u, lha.payload.size) << length;
    EXPECT_EQ(nullptr, lha.payload.data) << length;
    EXPECT_EQ(length, lha.resourceSize);
    EXPECT_TRUE(KeyIsZero(lha));
  }
}

TEST_F(LoadDatResourceTest, MissingResourceKeepsThePayload) {
  RegisterPayload(cGetLhaFile::kReadMeResource, "read me");
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kReadMeResource));

  EXPECT_EQ(0, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  ExpectOnlyMessage("FindResource failed");
  EXPECT_EQ("read me", Payload(lha));

  // Only a "DAT" resource will do, not another type under the same id.
  hostwin::ClearMessageJournal();
  hostwin::RegisterResource("PNG", cGetLhaFile::kPayloadResource, {1, 2, 3});
  EXPECT_EQ(0, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  ExpectOnlyMessage("FindResource failed");
}

TEST_F(LoadDatResourceTest, LoadAndLockFailuresAreReported) {
  RegisterPayload(cGetLhaFile::kPayloadResource, "payload");
  const struct {
    const char* function;
    const char* message;
  } cases[] = {
      {"FindResourceA", "FindResource failed"},
      {"LoadResource", "LoadResource failed"},
      {"LockResource", "LockResource failed"},
  };
  for (const auto& c : cases) {
    hostwin::ResetAll();
    RegisterPayload(cGetLhaFile::kPayloadResource, "payload");
    cGetLhaFile lha;
    ASSERT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
    hostwin::ClearMessageJournal();

    hostwin::Fault fault;
    fault.function = c.function;
    fault.argument = "130";
    hostwin::InjectFault(fault);
    EXPECT_EQ(0, lha.LoadDatResource(cGetLhaFile::kPayloadResource)) << c.function;
    ExpectOnlyMessage(c.message);
    EXPECT_EQ("payload", Payload(lha)) << c.function;
  }
}

TEST_F(LoadDatResourceTest, BufferFailureIsADecipherFailure) {
  RegisterPayload(cGetLhaFile::kPayloadResource, "payload");
  cGetLhaFile lha;
  // The plaintext's buffer cannot be allocated.
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  morstd::MorFailNextAllocations(0);
  ExpectOnlyMessage("DecryptData failed");
  EXPECT_EQ(nullptr, lha.payload.data);
  EXPECT_TRUE(KeyIsZero(lha));

  // The plaintext's block is the only one a load takes: no copy of the resource and
  // no second plaintext, so a second allocation failing changes nothing.
  hostwin::ClearMessageJournal();
  morstd::MorFailAllocationAfter(1);
  EXPECT_EQ(1, lha.LoadDatResource(cGetLhaFile::kPayloadResource));
  morstd::MorFailNextAllocations(0);
  EXPECT_EQ("payload", Payload(lha));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}
