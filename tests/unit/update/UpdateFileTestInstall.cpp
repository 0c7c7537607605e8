// The patch's deletions over the installed record, and the installation of the new
// members with the merged record and the progress it shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "morstd/MorAlloc.h"
#include "unit/update/UpdateFileTestFixture.h"

namespace {

using dhtest::Contents;
using dhtest::Exists;
using dhtest::kAppDataDir;
using dhtest::kInstallDir;
using dhtest::RecordBytes;
using dhtest::RecordNames;
using dhtest::StoredMember;

std::string InInstall(const std::string& name) { return std::string(kInstallDir) + "\\" + name; }
std::string InData(const std::string& name) { return std::string(kAppDataDir) + "\\" + name; }

class UpdateFileInstallTest : public dhtest::UpdateFileFixture {
 protected:
  void SetUp() override {
    UpdateFileFixture::SetUp();
    InstallOldVersion();
  }
  void TearDown() override {
    morstd::MorFailNextAllocations(0);
    UpdateFileFixture::TearDown();
  }
  void LoadRecord() { ASSERT_EQ(1, update.uninstDat.Load(kInstallDir)); }
  dhtest::RecordingSink sink;
};

TEST_F(UpdateFileInstallTest, DeletingProgramFilesRemovesListedFilesThenEmptiedFolders) {
  LoadRecord();
  ASSERT_EQ(1, update.ExecuteDeleteCommands(1, 0, 0));
  EXPECT_EQ(0, update.lastError);
  EXPECT_FALSE(Exists(InInstall("DHViewer.exe")));
  EXPECT_FALSE(Exists(InInstall("Help")));  // emptied, so removed
  // What the record does not list stays, and so does the folder holding it.
  EXPECT_EQ("kept by the user", Contents(InInstall("user.ini")));
  EXPECT_TRUE(Exists(InInstall("Uninst.dat")));
  EXPECT_TRUE(PathIsDirectoryA(kInstallDir));
  EXPECT_EQ("collection a", Contents(InData("Collections\\Set1\\a.col")));
  EXPECT_TRUE(Exists(InData("Model\\Parts\\m.bin")));
  EXPECT_EQ("<config/>", Contents(InData("config.xml")));
}

TEST_F(UpdateFileInstallTest, DeletingCollectionsRemovesOnlyTheirListedFiles) {
  LoadRecord();
  ASSERT_EQ(1, update.ExecuteDeleteCommands(0, 1, 0));
  EXPECT_FALSE(Exists(InData("Collections\\Set1\\a.col")));
  EXPECT_TRUE(PathIsDirectoryA(InData("Collections\\Set1").c_str()));  // folders stay
  EXPECT_EQ("user's own", Contents(InData("Collections\\mine.col")));
  EXPECT_EQ("<config/>", Contents(InData("config.xml")));
  EXPECT_EQ("old viewer", Contents(InInstall("DHViewer.exe")));
  EXPECT_TRUE(Exists(InData("Model\\Parts\\m.bin")));
}

TEST_F(UpdateFileInstallTest, DeletingTheModelRemovesItsWholeFolder) {
  LoadRecord();
  ASSERT_EQ(1, update.ExecuteDeleteCommands(0, 0, 7));
  EXPECT_FALSE(Exists(InData("Model")));
  EXPECT_EQ("collection a", Contents(InData("Collections\\Set1\\a.col")));
  EXPECT_EQ("old viewer", Contents(InInstall("DHViewer.exe")));
  // Already gone is no failure; no flag deletes nothing.
  EXPECT_EQ(1, update.ExecuteDeleteCommands(0, 0, 1));
  EXPECT_EQ(1, update.ExecuteDeleteCommands(0, 0, 0));
  EXPECT_EQ("collection a", Contents(InData("Collections\\Set1\\a.col")));
}

TEST_F(UpdateFileInstallTest, SingleDeletionsMayFailUnnoticed) {
  LoadRecord();
  hostwin::InjectFault({"DeleteFileA", InInstall("DHViewer.exe"), 0, ERROR_ACCESS_DENIED});
  ASSERT_EQ(1, update.ExecuteDeleteCommands(1, 1, 1));
  EXPECT_EQ(0, update.lastError);
  EXPECT_TRUE(Exists(InInstall("DHViewer.exe")));
  EXPECT_FALSE(Exists(InInstall("Help")));
  EXPECT_FALSE(Exists(InData("Model")));
}

TEST_F(UpdateFileInstallTest, AnEmptyEntryEndsTheDeletionsWith99890) {
  Write(InInstall("Uninst.dat"),
        RecordBytes({"#PROGRAMFILES#\\DHViewer.exe", "", "#PROGRAMFILES#\\Help\\index.html"}, 0, 0));
  LoadRecord();
  // Not met while only the model goes.
  EXPECT_EQ(1, update.ExecuteDeleteCommands(0, 0, 1));
  EXPECT_EQ(0, update.ExecuteDeleteCommands(1, 0, 0));
  EXPECT_EQ(99890, update.lastError);
  EXPECT_EQ("ファイル削除コマンド処理中に例外発生(99890)", Message());
  // Deletions made before it stay made; those after it were not made.
  EXPECT_FALSE(Exists(InInstall("DHViewer.exe")));
  EXPECT_TRUE(Exists(InInstall("Help\\index.html")));
  EXPECT_EQ(0, update.ExecuteDeleteCommands(0, 1, 0));
  EXPECT_EQ(99890, update.lastError);
}

TEST_F(UpdateFileInstallTest, DeletionsWithoutTheirFolderDeleteNothing) {
  LoadRecord();
  update.installLocation = "";
  EXPECT_EQ(0, update.ExecuteDeleteCommands(1, 0, 0));
  EXPECT_EQ(99890, update.lastError);
  update.installLocation = kInstallDir;
  update.appDataDir = nullptr;
  EXPECT_EQ(0, update.ExecuteDeleteCommands(0, 1, 0));
  EXPECT_EQ(0, update.ExecuteDeleteCommands(0, 0, 1));
  EXPECT_EQ(99890, update.lastError);
  EXPECT_EQ("old viewer", Contents(InInstall("DHViewer.exe")));
  EXPECT_TRUE(Exists(InData("Model")));
}

TEST_F(UpdateFileInstallTest, InstallFilesWritesMembersMergesTheRecordAndCountsSteps) {
  LoadNewPayload();
  ASSERT_EQ(1, update.Backup());
  int step = 6;
  const int total = update.memberCount + 9;
  ASSERT_EQ(1, update.InstallFiles(&step, &sink, total));
  EXPECT_EQ(0, update.lastError);

  EXPECT_EQ("new viewer", Contents(InInstall("DHViewer.exe")));
  EXPECT_EQ("plugin", Contents(InInstall("Plugins\\Extra\\x.dll")));
  EXPECT_EQ("<config v=\"2\"/>", Contents(InData("Model\\config.xml")));
  EXPECT_EQ("<config/>", Contents(InData("config.xml")));  // not the new payload's
  EXPECT_FALSE(Exists(InInstall("SetupInfo.xml")));
  EXPECT_EQ("old help", Contents(InInstall("Help\\index.html")));

  // Five members and the merge: steps 7 to 12 of 14.
  EXPECT_EQ(12, step);
  const std::vector<std::pair<int, std::string>> expected = {
      {50, kInstallDir + std::string("\\")},
      {57, InInstall("Plugins\\Extra\\")},
      {64, InInstall("DHViewer.exe")},
      {71, InInstall("Plugins\\Extra\\x.dll")},
      {78, InData("Model\\config.xml")},
      {85, "アンインストール情報のマージ"}};
  // Folder entries show the path without its final backslash.
  std::vector<std::pair<int, std::string>> shown = sink.calls;
  ASSERT_EQ(expected.size(), shown.size());
  EXPECT_EQ(expected[0].first, shown[0].first);
  EXPECT_EQ(kInstallDir, shown[0].second);
  EXPECT_EQ(InInstall("Plugins\\Extra"), shown[1].second);
  for (size_t i = 2; i < expected.size(); ++i) EXPECT_EQ(expected[i], shown[i]) << i;

  const std::string record = Contents(InInstall("Uninst.dat"));
  EXPECT_EQ((std::vector<std::string>{"#APPDATA#\\Collections\\Set1\\",
                                      "#PROGRAMFILES#\\Plugins\\Extra\\", "#PROGRAMFILES#\\Help\\",
                                      "#APPDATA#\\Collections\\", "#PROGRAMFILES#\\", "#APPDATA#\\",
                                      "#PROGRAMFILES#\\DHViewer.exe",
                                      "#PROGRAMFILES#\\Help\\index.html",
                                      "#APPDATA#\\Collections\\Set1\\a.col", "#APPDATA#\\config.xml",
                                      "#PROGRAMFILES#\\Plugins\\Extra\\x.dll",
                                      "#APPDATA#\\Model\\config.xml"}),
            RecordNames(record));
  // The installation's shortcut choices are kept.
  UninstRecordHeader header;
  std::memcpy(&header, record.data(), sizeof header);
  EXPECT_EQ(1, header.startMenuShortcut);
  EXPECT_EQ(0, header.desktopShortcut);
}

TEST_F(UpdateFileInstallTest, AFileWhoseFolderIsMissingFailsWith435) {
  RegisterPayload({{"#PROGRAMFILES#\\NoSuch\\a.txt", "a"}});
  ASSERT_EQ(1, update.LoadPayload());
  ASSERT_EQ(1, update.Backup());
  int step = 0;
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(435, update.lastError);
  EXPECT_EQ("ファイルのインストール失敗(30435)", Message());
  EXPECT_EQ(0, step);
}

// Every member is checked before the first is written: one named outside the
// product's folders is 445, an application-data file no backup covers is 450, and
// nothing of the payload is then on disk.
TEST_F(UpdateFileInstallTest, MembersTheUpdateCannotUndoAreRefusedFirst) {
  const struct {
    const char* name;
    int code;
  } cases[] = {
      {"#PROGRAMFILES#\\..\\..\\evil.dll", 445},
      {"C:\\evil.dll", 445},
      {"evil.dll", 445},
      {"\\\\server\\share\\evil.dll", 445},
      {"#APPDATA#\\Model\\..\\evil.dll", 445},
      {"#PROGRAMFILES#\\a/../../evil.dll", 445},
      {"#APPDATA#\\config.xml", 450},
      {"#APPDATA#\\Other\\evil.dll", 450},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RegisterPayload({{"#PROGRAMFILES#\\DHViewer.exe", "new viewer"}, {c.name, "x"}});
    ASSERT_EQ(1, update.LoadPayload());
    int step = 0;
    EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
    EXPECT_EQ(c.code, update.lastError);
    EXPECT_EQ("ファイルのインストール失敗(30" + std::to_string(c.code) + ")", Message());
    EXPECT_EQ(0, step);
    EXPECT_EQ("old viewer", Contents(InInstall("DHViewer.exe")));
    EXPECT_EQ("<config/>", Contents(InData("config.xml")));
    EXPECT_FALSE(Exists("C:\\evil.dll"));
    EXPECT_FALSE(Exists("C:\\Program Files\\evil.dll"));
  }
}

// Names ending in a character whose second byte is 0x5C are files, installed whole
// and recorded as files.
TEST_F(UpdateFileInstallTest, NamesEndingInA5CSecondByteInstallAsFiles) {
  std::vector<StoredMember> members = {{"#PROGRAMFILES#\\予定表\\", ""}};
  const std::vector<std::string> names = {"表", "ソ", "能", "十", "予"};
  for (const std::string& name : names) members.push_back({"#PROGRAMFILES#\\予定表\\" + name, name});
  RegisterPayload(members);
  ASSERT_EQ(1, update.LoadPayload());
  ASSERT_EQ(1, update.Backup());
  int step = 0;
  ASSERT_EQ(1, update.InstallFiles(&step, &sink, 10)) << update.lastError;
  for (const std::string& name : names)
    EXPECT_EQ(name, Contents(InInstall("予定表\\" + name))) << name;
  // The merge puts every folder before every file: the names are among the files.
  const std::vector<std::string> recorded = RecordNames(Contents(InInstall("Uninst.dat")));
  const auto at = [&](const std::string& entry) {
    return std::find(recorded.begin(), recorded.end(), entry) - recorded.begin();
  };
  const auto lastFolder = at("#APPDATA#\\");
  ASSERT_LT(lastFolder, static_cast<long>(recorded.size()));
  EXPECT_LT(at("#PROGRAMFILES#\\予定表\\"), lastFolder);
  for (const std::string& name : names) {
    const auto file = at("#PROGRAMFILES#\\予定表\\" + name);
    EXPECT_LT(lastFolder, file) << name;
    EXPECT_LT(file, static_cast<long>(recorded.size())) << name;
  }
}

TEST_F(UpdateFileInstallTest, FolderEntriesCreateEveryMissingParent) {
  RegisterPayload({{"#APPDATA#\\Model\\Deep\\er\\still\\", ""},
                   {"#APPDATA#\\Model\\Deep\\er\\still\\f", "f"}});
  ASSERT_EQ(1, update.LoadPayload());
  ASSERT_EQ(1, update.Backup());
  int step = 0;
  ASSERT_EQ(1, update.InstallFiles(&step, nullptr, 0));  // no sink, no total: no harm
  EXPECT_EQ("f", Contents(InData("Model\\Deep\\er\\still\\f")));
  EXPECT_EQ(3, step);

  hostwin::InjectFault({"CreateDirectoryA", InData("Other"), 0, ERROR_ACCESS_DENIED});
  RegisterPayload({{"#APPDATA#\\Other\\x\\", ""}});
  ASSERT_EQ(1, update.LoadPayload());
  EXPECT_EQ(0, update.InstallFiles(&step, nullptr, 0));
  EXPECT_EQ(810, update.lastError);
  EXPECT_EQ("ディレクトリ作成失敗(30810)", Message());

  // A folder path the work list cannot hold.
  RegisterPayload({{"#APPDATA#\\" + std::string(240, 'L') + "\\", ""}});
  ASSERT_EQ(1, update.LoadPayload());
  EXPECT_EQ(0, update.InstallFiles(&step, nullptr, 0));
  EXPECT_EQ(800, update.lastError);
}

TEST_F(UpdateFileInstallTest, InstallFilesCodes) {
  int step = 0;
  update.installLocation = "";
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(400, update.lastError);
  update.installLocation = kInstallDir;
  update.appDataDir = nullptr;
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(405, update.lastError);
  update.appDataDir = kAppDataDir;

  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));  // no payload
  EXPECT_EQ(410, update.lastError);

  RegisterDat(cGetLhaFile::kPayloadResource, dhtest::StoredArchive(NewMembers()).substr(0, 30));
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(415, update.lastError);

  // A member cut short is not installed cut off.
  RegisterPayload({{"#PROGRAMFILES#\\short.bin", "abc", "-lh0-", 100}});
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(425, update.lastError);
  EXPECT_FALSE(Exists(InInstall("short.bin")));

  RegisterPayload({{"#PROGRAMFILES#\\huge.bin", "", "-lh0-", 0xFFFFFFF0LL}});
  ASSERT_EQ(1, update.LoadDatResource());
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 10));
  EXPECT_EQ(430, update.lastError);
  EXPECT_EQ(0, step);
  EXPECT_TRUE(sink.calls.empty());
}

TEST_F(UpdateFileInstallTest, ARecordThatCannotBeSavedIs440) {
  LoadNewPayload();
  ASSERT_EQ(1, update.Backup());
  hostwin::InjectFault({"MoveFileExA", InInstall("@Uninst.dat"), 0, ERROR_ACCESS_DENIED});
  int step = 0;
  EXPECT_EQ(0, update.InstallFiles(&step, &sink, 14));
  EXPECT_EQ(440, update.lastError);
  // Every member was installed and counted; the merge step was not.
  EXPECT_EQ(5, step);
  EXPECT_EQ("new viewer", Contents(InInstall("DHViewer.exe")));
  // The old record stays whole under its name.
  EXPECT_EQ(dhtest::RecordBytes(OldRecord(), 1, 0), Contents(InInstall("Uninst.dat")));
}

}  // namespace
