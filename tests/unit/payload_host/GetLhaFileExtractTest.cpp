// ExtractAll over archives registered as the payload resource: the folders and files
// it makes, the progress it reports, and each failure code; and the two disk helpers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "payload/GetLhaFile.h"
#include "payload/WholeFiles.h"
#include "platform/host/DiskControl.h"
#include "support/FileBytes.h"
#include "unit/payload_host/PayloadFixture.h"

using dhtest::RecordingSink;
using dhtest::StoredArchive;
using dhtest::StoredMember;

namespace {

const int kPayload = cGetLhaFile::kPayloadResource;

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Contents(const char* path) {
  std::string bytes;
  return dhtest::ReadFileBytes(path, &bytes) ? bytes : "<missing>";
}

class GetLhaFileExtractTest : public dhtest::PayloadFixture {};

TEST_F(GetLhaFileExtractTest, ExtractsFoldersAndFilesAndReportsEachMember) {
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\X\\", ""},
                             {"SetupInfo.xml", "<SetupInfo/>"},
                             {"#PROGRAMFILES#\\X\\a.exe", std::string("MZ\0\x01" "data", 8)},
                             {"#APPDATA#\\", ""},
                             {"#APPDATA#\\empty.dat", ""},
                             {"#APPDATA#\\cache.txt", "twice"}});
  CreateDirectoryA("C:\\AD", nullptr);
  cGetLhaFile lha;
  lha.lastError = -7;
  RecordingSink sink;
  int step = 3;
  ASSERT_EQ(1, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 10));
  EXPECT_EQ(-7, lha.lastError);
  EXPECT_EQ(8, step);

  EXPECT_TRUE(IsFolder("C:\\P"));
  EXPECT_TRUE(IsFolder("C:\\P\\X"));
  EXPECT_EQ(std::string("MZ\0\x01" "data", 8), Contents("C:\\P\\X\\a.exe"));
  EXPECT_EQ("", Contents("C:\\AD\\empty.dat"));
  EXPECT_EQ("twice", Contents("C:\\AD\\cache.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\P\\SetupInfo.xml"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("SetupInfo.xml"));

  const std::vector<std::pair<int, std::string>> expected = {
      {40, "C:\\P\\X"}, {50, "C:\\P\\X\\a.exe"}, {60, "C:\\AD"},
      {70, "C:\\AD\\empty.dat"}, {80, "C:\\AD\\cache.txt"}};
  EXPECT_EQ(expected, sink.calls);
  EXPECT_EQ(5, hostwin::CallCount("Sleep"));  // one pause per member, folders included
  EXPECT_EQ(0u, lha.payload.size);
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

TEST_F(GetLhaFileExtractTest, PercentagesAreTruncated) {
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""}, {"#PROGRAMFILES#\\a", "1"},
                             {"#PROGRAMFILES#\\b", "2"}});
  cGetLhaFile lha;
  RecordingSink sink;
  int step = 0;
  ASSERT_EQ(1, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 3));
  ASSERT_EQ(3u, sink.calls.size());
  EXPECT_EQ(33, sink.calls[0].first);
  EXPECT_EQ(66, sink.calls[1].first);
  EXPECT_EQ(100, sink.calls[2].first);
  EXPECT_EQ("C:\\P", sink.calls[0].second);
}

TEST_F(GetLhaFileExtractTest, EmptyFolderNamesReturnAtOnce) {
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""}});
  cGetLhaFile lha;
  lha.lastError = -7;
  RecordingSink sink;
  int step = 0;
  EXPECT_EQ(0, lha.ExtractAll("C:\\P", "", &sink, &step, 1));
  EXPECT_EQ(0, lha.ExtractAll("", "C:\\AD", &sink, &step, 1));
  EXPECT_EQ(0, lha.ExtractAll(nullptr, "C:\\AD", &sink, &step, 1));
  EXPECT_EQ(-7, lha.lastError);
  EXPECT_EQ(0, hostwin::CallCount("FindResourceA"));
  EXPECT_TRUE(sink.calls.empty());
  EXPECT_EQ(0, step);
}

// Nothing is passed over in silence: a file that cannot be created or written whole
// and a folder that cannot be made fail the extraction, and what follows is not
// written.
TEST_F(GetLhaFileExtractTest, EveryWriteIsChecked) {
  struct Case {
    const char* what;
    hostwin::Fault fault;
    ULONGLONG writeRoom;  // 0: no limit
    int code;
  };
  const Case cases[] = {
      {"file not created", {"CreateFileA", "C:\\P\\sub\\locked.dll"}, 0, -170},
      {"write refused", {"WriteFile", ""}, 0, -170},
      {"disk full mid-file", {}, 3, -170},
      {"folder not made", {"CreateDirectoryA", "C:\\P\\sub"}, 0, -160},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hostwin::ResetAll();
    RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""}, {"#PROGRAMFILES#\\sub\\", ""},
                               {"#PROGRAMFILES#\\sub\\locked.dll", "0123456789"},
                               {"#PROGRAMFILES#\\next.dll", "2"}});
    CreateDirectoryA("C:\\P", nullptr);
    if (!c.fault.function.empty()) hostwin::InjectFault(c.fault);
    if (c.writeRoom) hostwin::SetWriteRoom(c.writeRoom);
    cGetLhaFile lha;
    RecordingSink sink;
    int step = 0;
    EXPECT_EQ(0, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 4));
    EXPECT_EQ(c.code, lha.lastError);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\P\\next.dll"));
    EXPECT_EQ(0u, lha.payload.size);
    EXPECT_EQ(0u, hostwin::OpenHandleCount());
  }
}

// Names whose last character ends in the byte 0x5C are files, written whole.
TEST_F(GetLhaFileExtractTest, NamesEndingInA5CSecondByteAreFiles) {
  const std::vector<std::string> names = {"表", "ソ", "能", "十", "予"};
  std::vector<StoredMember> members = {{"#PROGRAMFILES#\\", ""}, {"#PROGRAMFILES#\\予定表\\", ""}};
  for (const std::string& name : names) {
    members.push_back({"#PROGRAMFILES#\\予定表\\" + name, "is " + name});
  }
  RegisterArchive(kPayload, members);
  cGetLhaFile lha;
  RecordingSink sink;
  int step = 0;
  ASSERT_EQ(1, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 7));
  EXPECT_TRUE(IsFolder("C:\\P\\予定表"));
  for (const std::string& name : names) {
    const std::string path = "C:\\P\\予定表\\" + name;
    EXPECT_EQ("is " + name, Contents(path.c_str())) << name;
    EXPECT_FALSE(IsFolder(path.c_str())) << name;
  }
}

TEST_F(GetLhaFileExtractTest, FailureCodes) {
  struct Case {
    const char* what;
    bool registered;
    std::string archive;
    int code;
  };
  const std::vector<Case> cases = {
      {"no resource", false, "", -50},
      {"no header", true, "no method id here", -100},
      {"no end marker", true, StoredArchive({{"#PROGRAMFILES#\\a", "1"}}, false), -110},
      {"unknown method", true, StoredArchive({{"#PROGRAMFILES#\\a", "12", "-lhz-"}}), -130},
      {"short data", true, StoredArchive({{"#PROGRAMFILES#\\a", "12", "-lh0-", 9}}), -130},
      {"too large", true, StoredArchive({{"#PROGRAMFILES#\\a", "", "-lh0-", 0xFFFFFFE0}}), -140},
      // Members that would land outside the product's folders: nothing is written.
      {"absolute", true, StoredArchive({{"C:\\P\\a", "1"}}), -150},
      {"climbing", true, StoredArchive({{"#PROGRAMFILES#\\x\\..\\a", "1"}}), -150},
      {"relative", true, StoredArchive({{"a", "1"}}), -150},
      {"share", true, StoredArchive({{"\\\\server\\share\\a", "1"}}), -150},
      {"drive inside", true, StoredArchive({{"#PROGRAMFILES#\\C:\\a", "1"}}), -150},
      {"leading backslash", true, StoredArchive({{"#PROGRAMFILES#\\\\a", "1"}}), -150},
      {"climbing from the data", true, StoredArchive({{"#APPDATA#\\..\\..\\P\\a", "1"}}), -150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    hostwin::ResetAll();
    if (c.registered) RegisterDat(kPayload, c.archive);
    CreateDirectoryA("C:\\P", nullptr);
    cGetLhaFile lha;
    RecordingSink sink;
    int step = 0;
    EXPECT_EQ(0, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 1));
    EXPECT_EQ(c.code, lha.lastError);
    // A member that cannot be decoded whole, or is named outside the product's
    // folders, is not written at all.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\P\\a"));
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(0u, lha.payload.size);
  }
}

TEST_F(GetLhaFileExtractTest, AnyOtherExceptionIs999) {
  struct ThrowingSink : cProgressSink {
    void SetProgress(int, const char*) override { throw std::runtime_error("window gone"); }
  } sink;
  RegisterArchive(kPayload, {{"#PROGRAMFILES#\\", ""}});
  cGetLhaFile lha;
  int step = 0;
  EXPECT_EQ(0, lha.ExtractAll("C:\\P", "C:\\AD", &sink, &step, 1));
  EXPECT_EQ(-999, lha.lastError);
  EXPECT_EQ(0u, lha.payload.size);
}

TEST_F(GetLhaFileExtractTest, MakeDirectoriesCreatesEveryMissingParent) {
  MakeDirectories("C:\\a\\b\\c");
  EXPECT_TRUE(IsFolder("C:\\a\\b\\c"));
  // Existing folders are looked up, not created again.
  const int creates = hostwin::CallCount("CreateDirectoryA");
  MakeDirectories("C:\\a\\b\\d");
  EXPECT_EQ(creates + 1, hostwin::CallCount("CreateDirectoryA"));
  EXPECT_TRUE(IsFolder("C:\\a\\b\\d"));
  // "ソ" is 0x83 0x5C in Shift-JIS: its second byte separates nothing.
  MakeDirectories("C:\\ソフト\\x");
  EXPECT_TRUE(IsFolder("C:\\ソフト\\x"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\\x83"));
  // Too long for a path: nothing is made.
  MakeDirectories(("C:\\" + std::string(300, 'n')).c_str());
  EXPECT_EQ(creates + 3, hostwin::CallCount("CreateDirectoryA"));
}

TEST_F(GetLhaFileExtractTest, WriteWholeFileReplacesAndReportsFailures) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.bin", "a much longer old content"));
  EXPECT_EQ(1, WriteWholeFile("C:\\f.bin", "new", 3));
  EXPECT_EQ("new", Contents("C:\\f.bin"));
  EXPECT_EQ(0, WriteWholeFile("C:\\missing\\f.bin", "new", 3));
  hostwin::InjectFault({"WriteFile", ""});
  EXPECT_EQ(0, WriteWholeFile("C:\\f.bin", "new", 3));
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

}  // namespace
