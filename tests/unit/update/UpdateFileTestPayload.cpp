// The update's payload: loading and deciphering resource 130, the member list and its
// size, the disk-space check and the extraction of the update patch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/MorAlloc.h"
#include "unit/update/UpdateFileTestFixture.h"

namespace {

using dhtest::StoredMember;

std::vector<std::string> Names(const morstd::cMorMemBlock& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.GetCount(); ++i) names.emplace_back(list.GetAt(i));
  return names;
}

class UpdateFilePayloadTest : public dhtest::UpdateFileFixture {
 protected:
  void TearDown() override {
    morstd::MorFailNextAllocations(0);
    UpdateFileFixture::TearDown();
  }
};

TEST_F(UpdateFilePayloadTest, LoadPayloadListsEveryMemberButThePatch) {
  RegisterPayload(NewMembers());
  ASSERT_EQ(1, update.LoadPayload());
  EXPECT_EQ(0, update.lastError);
  EXPECT_EQ(5, update.memberCount);
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\", "#PROGRAMFILES#\\Plugins\\Extra\\",
                                      "#PROGRAMFILES#\\DHViewer.exe",
                                      "#PROGRAMFILES#\\Plugins\\Extra\\x.dll",
                                      "#APPDATA#\\Model\\config.xml"}),
            Names(update.memberList));
  // "new viewer", "plugin" and the configuration; the patch's bytes do not count.
  EXPECT_EQ(10u + 6u + 15u, update.requiredBytes);
  EXPECT_EQ(dhtest::StoredArchive(NewMembers()),
            std::string(reinterpret_cast<const char*>(update.payload.data), update.payload.size));
}

TEST_F(UpdateFilePayloadTest, TheSizeIsSummedIn64BitsAndListedAgainFromScratch) {
  // Header sizes only: ListMembers never decodes.
  StoredMember big{"#PROGRAMFILES#\\big.bin", "", "-lh0-", 0xFFFFFFF0LL};
  RegisterPayload({big, big, {"SETUPINFO.XML", "x"}});
  ASSERT_EQ(1, update.LoadDatResource());
  ASSERT_EQ(1, update.ListMembers());
  EXPECT_EQ(2ull * 0xFFFFFFF0ull, update.requiredBytes);
  ASSERT_EQ(1, update.ListMembers());
  EXPECT_EQ(2, update.memberCount);
  EXPECT_EQ(2, update.memberList.GetCount());
  EXPECT_EQ(2ull * 0xFFFFFFF0ull, update.requiredBytes);
}

TEST_F(UpdateFilePayloadTest, APayloadOfOnlyThePatchHasNothingToInstall) {
  RegisterPayload({{"SetupInfo.xml", "<UpdatePatch/>"}});
  hostwin::SetFreeSpace("C", 1000);
  ASSERT_EQ(1, update.LoadPayload());
  EXPECT_EQ(0, update.memberCount);
  EXPECT_EQ(0u, update.requiredBytes);
  EXPECT_EQ(0, update.memberList.GetCount());
  EXPECT_EQ(-1, update.CheckDiskSpace());
}

TEST_F(UpdateFilePayloadTest, CheckDiskSpaceComparesWithTheInstallFoldersDrive) {
  LoadNewPayload();
  const uint64_t need = update.requiredBytes;
  hostwin::SetFreeSpace("C", need);
  EXPECT_EQ(1, update.CheckDiskSpace());
  EXPECT_EQ(need, update.freeBytes);
  hostwin::SetFreeSpace("C", need - 1);
  EXPECT_EQ(0, update.CheckDiskSpace());
  EXPECT_EQ(need - 1, update.freeBytes);

  hostwin::InjectFault({"GetDiskFreeSpaceExA", "", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(-2, update.CheckDiskSpace());
  update.installLocation = nullptr;
  EXPECT_EQ(-2, update.CheckDiskSpace());
  EXPECT_EQ(0, update.lastError);  // the check sets no code
}

TEST_F(UpdateFilePayloadTest, ResourceFailuresAreCodesAndShowNothing) {
  struct Case {
    const char* function;
    int code;
  };
  for (const Case& c : {Case{"FindResourceA", 100}, Case{"LoadResource", 105},
                        Case{"LockResource", 110}}) {
    hostwin::ResetAll();
    RegisterPayload(NewMembers());
    hostwin::InjectFault({c.function, "130", 0, ERROR_RESOURCE_NAME_NOT_FOUND});
    cUpdateFile fresh;
    EXPECT_EQ(0, fresh.LoadPayload()) << c.function;
    EXPECT_EQ(c.code, fresh.lastError) << c.function;
    EXPECT_EQ(nullptr, fresh.payload.data) << c.function;
  }
  // Nothing registered at all.
  hostwin::ResetAll();
  EXPECT_EQ(0, update.LoadDatResource());
  EXPECT_EQ(100, update.lastError);
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(UpdateFilePayloadTest, AnImageShorterThanItsSaltIsUndecipherable) {
  LoadNewPayload();
  const std::string before(reinterpret_cast<const char*>(update.payload.data), update.payload.size);
  hostwin::RegisterResource("DAT", cGetLhaFile::kPayloadResource, {1, 2, 3});
  EXPECT_EQ(0, update.LoadPayload());
  EXPECT_EQ(120, update.lastError);
  // A failed decipherment leaves the payload that was there.
  EXPECT_EQ(before,
            std::string(reinterpret_cast<const char*>(update.payload.data), update.payload.size));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

// The resource is deciphered straight into the payload: its block is the only one the
// load takes, and without it the payload is not deciphered.
TEST_F(UpdateFilePayloadTest, NoMemoryForThePlaintextIsNotDeciphered) {
  RegisterPayload(NewMembers());
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, update.LoadDatResource());
  EXPECT_EQ(120, update.lastError);
  EXPECT_EQ(nullptr, update.payload.data);
  morstd::MorFailAllocationAfter(1);
  EXPECT_EQ(1, update.LoadDatResource());
  morstd::MorFailNextAllocations(0);
  EXPECT_EQ(0, update.lastError);
}

TEST_F(UpdateFilePayloadTest, ListMembersCodes) {
  EXPECT_EQ(0, update.ListMembers());  // nothing loaded
  EXPECT_EQ(200, update.lastError);

  // Deciphered bytes that hold no archive header.
  RegisterDat(cGetLhaFile::kPayloadResource, std::string(100, 'z'));
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.ListMembers());
  EXPECT_EQ(205, update.lastError);

  // A header cut off in the middle.
  const std::string archive = dhtest::StoredArchive(NewMembers());
  RegisterDat(cGetLhaFile::kPayloadResource, archive.substr(0, 30));
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.ListMembers());
  EXPECT_EQ(210, update.lastError);
}

TEST_F(UpdateFilePayloadTest, GetSetupInfoReadsTheExactlyNamedPatch) {
  LoadNewPayload();
  morstd::cMorString text;
  ASSERT_EQ(1, update.GetSetupInfo(&text));
  EXPECT_STREQ("<UpdatePatch/>", text.GetData());
  EXPECT_EQ(0, update.lastError);
}

TEST_F(UpdateFilePayloadTest, ALowerCasePatchIsNeitherListedNorRead) {
  RegisterPayload({{"#PROGRAMFILES#\\", ""}, {"setupinfo.xml", "<UpdatePatch/>"}});
  ASSERT_EQ(1, update.LoadPayload());
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\"}), Names(update.memberList));
  morstd::cMorString text;
  text.Assign("as it was");
  ASSERT_EQ(1, update.GetSetupInfo(&text));
  EXPECT_STREQ("as it was", text.GetData());
}

TEST_F(UpdateFilePayloadTest, GetSetupInfoCodes) {
  morstd::cMorString text;
  text.Assign("before");
  EXPECT_EQ(0, update.GetSetupInfo(&text));
  EXPECT_EQ(250, update.lastError);

  RegisterDat(cGetLhaFile::kPayloadResource, std::string(100, 'z'));
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.GetSetupInfo(&text));
  EXPECT_EQ(255, update.lastError);

  RegisterDat(cGetLhaFile::kPayloadResource, dhtest::StoredArchive(NewMembers()).substr(0, 30));
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.GetSetupInfo(&text));
  EXPECT_EQ(260, update.lastError);

  // The header promises more than the data holds.
  RegisterPayload({{"SetupInfo.xml", "<UpdatePatch/>", "-lh0-", 400}});
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.GetSetupInfo(&text));
  EXPECT_EQ(280, update.lastError);

  // A size no 32-bit buffer can hold with its spare bytes.
  RegisterPayload({{"SetupInfo.xml", "<UpdatePatch/>", "-lh0-", 0xFFFFFFF0LL}});
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.GetSetupInfo(&text));
  EXPECT_EQ(275, update.lastError);
  EXPECT_STREQ("before", text.GetData());  // untouched by every failure
}

}  // namespace
