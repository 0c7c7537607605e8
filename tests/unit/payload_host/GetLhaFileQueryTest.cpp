// The read-me text, payload size, install list and uninstall record, over archives
// registered as the program's "DAT" resources, and each failure code they report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "payload/GetLhaFile.h"
#include "support/FileBytes.h"
#include "unit/payload_host/PayloadFixture.h"

using dhtest::StoredArchive;
using dhtest::StoredMember;

namespace {

const int kReadMe = cGetLhaFile::kReadMeResource;
const int kPayload = cGetLhaFile::kPayloadResource;

const std::vector<StoredMember> kViewer = {
    {"#PROGRAMFILES#\\", ""},
    {"#PROGRAMFILES#\\Viewer\\", ""},
    {"#PROGRAMFILES#\\Viewer\\DHViewer.exe", "MZ viewer"},
    {"setupinfo.xml", "<SetupInfo/>"},
    {"#APPDATA#\\cache.bin", "12345"},
};

// The archive's damaged forms and the step each one fails in.
struct Damage {
  const char* what;
  std::string bytes;
};
std::vector<Damage> OpenAndHeaderDamage() {
  return {{"no header at all", "plain text without a method id"},
          {"no end marker", StoredArchive({{"a.txt", "abc"}}, false)},
          {"empty payload", ""}};
}

class GetLhaFileQueryTest : public dhtest::PayloadFixture {};

TEST_F(GetLhaFileQueryTest, ReadMeIsTheFirstMemberNamedExactlyReadMeTxt) {
  RegisterArchive(kReadMe, {{"readme.txt", "lower case"},
                            {"ReadMe.txt", "\x82\xa0 the text"},
                            {"ReadMe.txt", "second copy"}});
  cGetLhaFile lha;
  morstd::cMorString text;
  text.Assign("before");
  ASSERT_EQ(1, lha.GetReadMe(&text));
  EXPECT_STREQ("\x82\xa0 the text", text.GetData());
  EXPECT_EQ(0, lha.lastError);
  EXPECT_EQ(0u, lha.payload.size);  // released before returning
}

TEST_F(GetLhaFileQueryTest, WithoutReadMeTheTextStaysAsItWas) {
  RegisterArchive(kReadMe, {{"readme.txt", "lower case is another name"}});
  cGetLhaFile lha;
  lha.lastError = -7;
  morstd::cMorString text;
  text.Assign("unchanged");
  EXPECT_EQ(1, lha.GetReadMe(&text));
  EXPECT_STREQ("unchanged", text.GetData());
  EXPECT_EQ(-7, lha.lastError);
}

TEST_F(GetLhaFileQueryTest, ReadMeFailureCodes) {
  cGetLhaFile lha;
  morstd::cMorString text;
  text.Assign("kept");
  EXPECT_EQ(0, lha.GetReadMe(&text));  // no resource at all
  EXPECT_EQ(-100, lha.lastError);

  const Damage open = OpenAndHeaderDamage()[0];
  RegisterDat(kReadMe, open.bytes);
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-110, lha.lastError);
  RegisterDat(kReadMe, "");
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-110, lha.lastError);

  RegisterDat(kReadMe, StoredArchive({{"ReadMe.txt", "abc"}}, false));
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-120, lha.lastError);

  // A method no decoder knows delivers nothing; the short text is a failure.
  RegisterArchive(kReadMe, {{"ReadMe.txt", "abcde", "-lhz-"}});
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-140, lha.lastError);
  // Stored data shorter than the size the header promises.
  RegisterArchive(kReadMe, {{"ReadMe.txt", "abc", "-lh0-", 10}});
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-140, lha.lastError);

  // A size that, with its spare bytes, no 32-bit program could hold.
  RegisterArchive(kReadMe, {{"ReadMe.txt", "", "-lh0-", 0xFFFFFFF0}});
  EXPECT_EQ(0, lha.GetReadMe(&text));
  EXPECT_EQ(-150, lha.lastError);
  EXPECT_STREQ("kept", text.GetData());
  EXPECT_EQ(0u, lha.payload.size);
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

TEST_F(GetLhaFileQueryTest, PayloadSizeCountsEveryMemberAndCarriesPast4GiB) {
  RegisterArchive(kPayload, kViewer);
  cGetLhaFile lha;
  DWORD total[2] = {1, 1};
  ASSERT_EQ(1, lha.GetPayloadSize(total));
  EXPECT_EQ(9u + 12u + 5u, total[0]);  // setupinfo.xml counts too
  EXPECT_EQ(0u, total[1]);
  EXPECT_EQ(5, lha.memberCount);

  RegisterArchive(kPayload, {{"big1", "", "-lh0-", 0xFFFFFFFF},
                             {"big2", "", "-lh0-", 0xFFFFFFFF},
                             {"dir\\", "", "-lhd-", 3}});
  ASSERT_EQ(1, lha.GetPayloadSize(total));
  // 2 * (2^32 - 1) + 3 = 2^33 + 1
  EXPECT_EQ(1u, total[0]);
  EXPECT_EQ(2u, total[1]);
  EXPECT_EQ(3, lha.memberCount);
  EXPECT_EQ(0, lha.lastError);
}

TEST_F(GetLhaFileQueryTest, PayloadSizeAndInstallListFailureCodes) {
  cGetLhaFile lha;
  DWORD total[2] = {5, 5};
  morstd::cMorMemBlock list;
  list.Add("stale");
  EXPECT_EQ(0, lha.GetPayloadSize(total));
  EXPECT_EQ(-100, lha.lastError);
  EXPECT_EQ(0u, total[0]);
  EXPECT_EQ(0u, total[1]);
  EXPECT_EQ(0, lha.ListInstallFiles(&list));
  EXPECT_EQ(-100, lha.lastError);
  EXPECT_EQ(0, list.GetCount());  // emptied first

  for (const Damage& damage : OpenAndHeaderDamage()) {
    SCOPED_TRACE(damage.what);
    const int expected = damage.what == std::string("no end marker") ? -120 : -110;
    RegisterDat(kPayload, damage.bytes);
    lha.lastError = 0;
    EXPECT_EQ(0, lha.GetPayloadSize(total));
    EXPECT_EQ(expected, lha.lastError);
    lha.lastError = 0;
    EXPECT_EQ(0, lha.ListInstallFiles(&list));
    EXPECT_EQ(expected, lha.lastError);
  }
}

TEST_F(GetLhaFileQueryTest, InstallListLeavesOutSetupInfoInAnyCase) {
  RegisterArchive(kPayload, kViewer);
  cGetLhaFile lha;
  morstd::cMorMemBlock list;
  list.Add("stale");
  ASSERT_EQ(1, lha.ListInstallFiles(&list));
  ASSERT_EQ(4, list.GetCount());
  EXPECT_STREQ("#PROGRAMFILES#\\", list.GetAt(0));
  EXPECT_STREQ("#PROGRAMFILES#\\Viewer\\", list.GetAt(1));
  EXPECT_STREQ("#PROGRAMFILES#\\Viewer\\DHViewer.exe", list.GetAt(2));
  EXPECT_STREQ("#APPDATA#\\cache.bin", list.GetAt(3));
}

TEST_F(GetLhaFileQueryTest, UninstallRecordBytes) {
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""},
                             {"SetupInfo.xml", "x"},
                             {"#PROGRAMFILES#\\a.exe", "abc"}});
  cGetLhaFile lha;
  lha.lastError = -55;
  ASSERT_EQ(1, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 0));
  EXPECT_EQ(0, lha.lastError);
  std::string bytes;
  ASSERT_TRUE(dhtest::ReadFileBytes("C:\\Uninst.dat", &bytes));
  const std::string names = std::string("#PROGRAMFILES#\\") + '\0' + "#PROGRAMFILES#\\a.exe" +
                            '\0' + '\0';
  const std::string expected = std::string("DHVUI01\0", 8) +
                               std::string("\x1c\0\0\0" "\x01\0\0\0" "\0\0\0\0", 12) +
                               std::string(1, static_cast<char>(names.size())) +
                               std::string("\0\0\0" "\x02\0\0\0", 7) + names;
  EXPECT_EQ(expected, bytes);
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

// The folder page measures with a holding extractor; the installation extracts and
// writes the record with the same one: the payload is deciphered once, and wiped once
// the extraction is done.
TEST_F(GetLhaFileQueryTest, AHeldPayloadIsDecipheredOnceForMeasureExtractAndRecord) {
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""},
                             {"SetupInfo.xml", "x"},
                             {"#PROGRAMFILES#\\a.exe", "abc"}});
  CreateDirectoryA("C:\\P", nullptr);
  CreateDirectoryA("C:\\AD", nullptr);
  cGetLhaFile reference;
  ASSERT_EQ(1, reference.WriteUninstRecord("C:\\Reference.dat", 1, 0));
  hostwin::ClearFaults();  // the call counts start again

  cGetLhaFile lha;
  lha.HoldPayload();
  DWORD total[2] = {};
  ASSERT_EQ(1, lha.GetPayloadSize(total));
  ASSERT_EQ(1, lha.GetPayloadSize(total));  // Next pressed again on the folder page
  EXPECT_NE(nullptr, lha.payload.data);
  ASSERT_EQ(1, lha.ExtractAll("C:\\P", "C:\\AD", nullptr, nullptr, 3));
  EXPECT_EQ(nullptr, lha.payload.data);
  ASSERT_EQ(1, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 0));
  EXPECT_EQ(1, hostwin::CallCount("FindResourceA"));
  std::string expected, bytes;
  ASSERT_TRUE(dhtest::ReadFileBytes("C:\\Reference.dat", &expected));
  ASSERT_TRUE(dhtest::ReadFileBytes("C:\\Uninst.dat", &bytes));
  EXPECT_EQ(expected, bytes);

  // After an extraction that failed, the record is listed from the payload again.
  hostwin::InjectFault({"FindResourceA", "130"});
  EXPECT_EQ(0, lha.ExtractAll("C:\\P", "C:\\AD", nullptr, nullptr, 3));
  hostwin::ClearFaults();
  ASSERT_EQ(1, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 0));
  EXPECT_EQ(1, hostwin::CallCount("FindResourceA"));
}

TEST_F(GetLhaFileQueryTest, UninstallRecordOfAnEmptyListIsTheHeaderAlone) {
  dhtest::WriteFileBytes("C:\\Uninst.dat", "an older and longer record");
  RegisterArchive(kPayload, {{"SetupInfo.xml", "x"}});
  cGetLhaFile lha;
  ASSERT_EQ(1, lha.WriteUninstRecord("C:\\Uninst.dat", 0, 1));
  std::string bytes;
  ASSERT_TRUE(dhtest::ReadFileBytes("C:\\Uninst.dat", &bytes));
  EXPECT_EQ(std::string("DHVUI01\0" "\x1c\0\0\0" "\0\0\0\0" "\x01\0\0\0" "\0\0\0\0" "\0\0\0\0", 28),
            bytes);
}

TEST_F(GetLhaFileQueryTest, UninstallRecordFailureCodesCloseTheFile) {
  cGetLhaFile lha;
  EXPECT_EQ(0, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 1));  // no resource
  EXPECT_EQ(-100, lha.lastError);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\Uninst.dat"));

  RegisterArchive(kPayload, kViewer);
  hostwin::InjectFault({"CreateFileA", "C:\\Uninst.dat"});
  EXPECT_EQ(0, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 1));
  EXPECT_EQ(-110, lha.lastError);
  hostwin::ClearFaults();

  const struct {
    int nth;
    int code;
  } writes[] = {{1, -120}, {2, -130}};
  for (const auto& write : writes) {
    hostwin::ClearFaults();
    hostwin::InjectFault({"WriteFile", "", write.nth});
    EXPECT_EQ(0, lha.WriteUninstRecord("C:\\Uninst.dat", 1, 1));
    EXPECT_EQ(write.code, lha.lastError);
    EXPECT_EQ(0u, hostwin::OpenHandleCount());
  }
  EXPECT_EQ(0u, lha.payload.size);
}

}  // namespace
