// The update over an installation made by the install sequence on the host layer: what
// a successful run leaves (files, record, registry, backups), its log and progress,
// and every failure code with the folders and registry it leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "install/InstallSequence.h"
#include "morstd/LogSink.h"
#include "morstd/MorAlloc.h"
#include "platform/host/DiskControl.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "support/FileBytes.h"
#include "support/TreeSnapshot.h"
#include "unit/payload_host/PayloadFixture.h"
#include "unit/update/UpdateMembers.h"
#include "update/UpdateFile.h"
#include "update/UpdateRecovery.h"
#include "update/UpdateSequence.h"
#include "support/FileTree.h"

namespace {

using dhtest::RecordingSink;
using dhtest::StoredMember;
using Lines = std::vector<std::string>;

const char kInstallDir[] = "C:\\Program Files\\Dravenholt";
const char kAppDataDir[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt";
const char kViewer[] = "C:\\Program Files\\Dravenholt\\Viewer";
const char kDataViewer[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer";
const char kTemp[] = "C:\\Users\\u\\AppData\\Local\\Temp\\";
const char kBackupFolder[] = "C:\\Users\\u\\AppData\\Local\\Temp\\Dravenholt";
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n";

// The lines of a run that gets as far as the backup (same version installed).
const Lines kLinesToBackup = {"レジストリ情報の取得成功\r\n", "同一のバージョンをインストールします\r\n",
                              "アップデートパッチのロード完了\r\n", "ディスク空き容量確認\r\n",
                              "設定ファイル取得完了\r\n", "設定値のパース成功\r\n",
                              "バックアップ成功\r\n"};

Lines Join(Lines first, const Lines& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

std::string Contents(const std::string& path) {
  std::string bytes;
  return dhtest::ReadFileBytes(path, &bytes) ? bytes : "<missing>";
}

std::string Patch(const std::string& inside) {
  return kDeclaration + std::string("<UpdatePatch>\r\n<Version>1.0</Version>\r\n") + inside +
         "</UpdatePatch>\r\n";
}

std::string DeleteFlags(int collections, int model, int programFiles) {
  return "<DeleteFile><Collections>" + std::to_string(collections) + "</Collections><Model>" +
         std::to_string(model) + "</Model><ProgramFiles>" + std::to_string(programFiles) +
         "</ProgramFiles></DeleteFile>\r\n";
}

std::string ModAdd(const std::string& type, const std::string& name, const std::string& value) {
  return "<Registry><ModAdd><Num>1</Num><Data1><Key>HKCU</Key><SubKey>SKEY_VIEWER\\Sample</SubKey>"
         "<Type>" + type + "</Type><ValueName>" + name + "</ValueName><Value>" + value +
         "</Value></Data1></ModAdd>"
         "<DeleteValue><Num>1</Num><Data1><Key>HKCU</Key><SubKey>SKEY_VIEWER</SubKey>"
         "<ValueName>Obsolete</ValueName></Data1></DeleteValue></Registry>\r\n";
}

// The installed (old) version: program files, data and the two data folders the
// update backs up.
std::vector<StoredMember> OldMembers() {
  std::vector<StoredMember> members = dhtest::InstalledVersionMembers();
  members.push_back({"SetupInfo.xml", Patch("")});
  return members;
}

// The update: six members to install and the patch.
std::vector<StoredMember> NewMembers(const std::string& patch) {
  std::vector<StoredMember> members = dhtest::UpdateVersionMembers();
  if (!patch.empty()) members.push_back({"SetupInfo.xml", patch});
  return members;
}

// Keeps every log line; `onLine` runs after each one is kept.
class RecordingLog : public cLogSink {
 public:
  int AppendLogText(const char* text) override {
    lines.emplace_back(text);
    if (onLine) onLine(lines.back());
    return 1;
  }
  Lines lines;
  std::function<void(const std::string&)> onLine;
};

// A progress dialog that breaks down with something that is not a code.
class ThrowingProgress : public RecordingSink {
 public:
  void SetProgress(int position, const char* text) override {
    RecordingSink::SetProgress(position, text);
    throw std::bad_alloc();
  }
};

class UpdateSequenceTest : public dhtest::PayloadFixture {
 protected:
  void SetUp() override {
    PayloadFixture::SetUp();
    cUpdateFile::installPauseMs = 0;
    hostwin::SetTempPath(kTemp);
    for (const char* folder : {"C:\\Program Files", "C:\\Users", "C:\\Users\\u",
                               "C:\\Users\\u\\AppData", "C:\\Users\\u\\AppData\\Roaming",
                               "C:\\Users\\u\\Documents", "C:\\Users\\u\\Desktop"}) {
      ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder;
    }
    ASSERT_TRUE(hostwin::RegistryCreateKey(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    ASSERT_TRUE(hostwin::RegistryCreateKey(kBrowserEmulationKey.root, kBrowserEmulationKey.path));

    RegisterArchive(cGetLhaFile::kPayloadResource, OldMembers());
    cReg installReg;
    InstallPlan plan;
    plan.installDir = kInstallDir;
    plan.appDataDir = kAppDataDir;
    plan.contentsDir = "C:\\Users\\u\\Documents\\Dravenholt\\Contents";
    plan.desktopDir = "C:\\Users\\u\\Desktop";
    plan.createInstallDir = 1;
    plan.reg = &installReg;
    RecordingSink installProgress;
    ASSERT_EQ(0, RunInstallSequence(plan, &installProgress));
    ASSERT_TRUE(hostwin::RegistryWriteString(kSettingsKey.root, kSettingsKey.path, "Obsolete", "x"));
    hostwin::ClearFaults();
  }
  void TearDown() override {
    cUpdateFile::installPauseMs = cUpdateFile::kInstallPauseMs;
    PayloadFixture::TearDown();
  }

  void SetInstalledVersion(const char* version) {
    ASSERT_TRUE(hostwin::RegistryWriteString(kUninstallKey.root, kUninstallKey.path,
                                             "DisplayVersion", version));
  }

  int Update(bool aiMode = false, cProgressSink* sink = nullptr) {
    return RunUpdateSequence(&reg, aiMode, &log, sink ? sink : &progress);
  }

  std::string Installed() const {
    return dhtest::TreeSnapshot(kInstallDir) + dhtest::TreeSnapshot(kAppDataDir) +
           hostwin::RegistrySnapshot();
  }

  // Runs a failing update and checks its code, its lines and that the installation,
  // files and registry, is as it was.
  void ExpectFailureLeavesInstallation(int code, const Lines& lines, bool aiMode = false) {
    const std::string before = Installed();
    EXPECT_EQ(code, Update(aiMode));
    EXPECT_EQ(lines, log.lines);
    EXPECT_EQ(before, Installed());
  }

  cReg reg;
  RecordingLog log;
  RecordingSink progress;
};

TEST_F(UpdateSequenceTest, SameVersionUpdatesFilesRecordAndRegistry) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(DeleteFlags(0, 0, 0) + ModAdd("REG_SZ", "Greeting", "hello"))));
  ASSERT_EQ(0, Update());

  EXPECT_EQ(Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルインストール完了\r\n",
                                  "レジストリ操作完了\r\n", "バックアップの削除完了\r\n",
                                  "TEMPの削除完了\r\n"}),
            log.lines);

  EXPECT_EQ("new viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
  EXPECT_EQ("<html>new</html>", Contents(std::string(kViewer) + "\\Help\\new.html"));
  EXPECT_EQ("<html>old</html>", Contents(std::string(kViewer) + "\\Help\\old.html"));
  EXPECT_EQ("new=2", Contents(std::string(kDataViewer) + "\\Model\\model.ini"));
  EXPECT_EQ("<collection/>", Contents(std::string(kDataViewer) + "\\Collections\\mine.xml"));
  EXPECT_FALSE(dhtest::PathExists(std::string(kViewer) + "\\SetupInfo.xml"));
  const std::string record = Contents(std::string(kViewer) + "\\Uninst.dat");
  for (const char* name : {"#PROGRAMFILES#\\Help\\old.html", "#PROGRAMFILES#\\Help\\new.html",
                           "#APPDATA#\\Collections\\mine.xml", "#APPDATA#\\Model\\model.ini"}) {
    EXPECT_NE(std::string::npos, record.find(name)) << name;
  }

  EXPECT_EQ(cReg::kSetupVersion,
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Version"));
  EXPECT_FALSE(hostwin::RegistryReadValue(kSettingsKey.root, kSettingsKey.path, "UpdateSuccess"));
  EXPECT_EQ("hello", hostwin::RegistryReadString(kSettingsKey.root,
                                                 std::string(kSettingsKey.path) + "\\Sample",
                                                 "Greeting"));
  EXPECT_FALSE(hostwin::RegistryReadValue(kSettingsKey.root, kSettingsKey.path, "Obsolete"));

  // Interactive: the backups and their folder are gone.
  EXPECT_FALSE(dhtest::PathExists(kBackupFolder));
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(UpdateSequenceTest, ProgressReachesOneHundredAtTheLastRegistryStep) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch("")));
  ASSERT_EQ(0, Update());
  // Six members: 15 steps.
  std::vector<int> positions;
  for (const auto& call : progress.calls) positions.push_back(call.first);
  EXPECT_EQ((std::vector<int>{0, 0, 6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 73, 80, 86, 93, 100}),
            positions);
  ASSERT_EQ(17u, progress.calls.size());
  const std::vector<std::string> texts = {"レジストリ情報の取得成功", "バージョンチェック完了",
                                          "インアストールデータのロード完了",
                                          "ディスク空き容量チェック完了", "設定ファイル取得完了",
                                          "設定ファイルパース完了", "バックアップ成功",
                                          "ファイル操作系コマンド完了"};
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], progress.calls[i].second) << i;
  EXPECT_EQ(std::string(kViewer) + "\\DHViewer.exe", progress.calls[9].second);
  EXPECT_EQ("アンインストール情報のマージ", progress.calls[14].second);
  EXPECT_EQ("レジストリ操作系コマンド完了", progress.calls[15].second);
  EXPECT_EQ("レジストリ操作完了", progress.calls[16].second);
}

TEST_F(UpdateSequenceTest, OlderVersionInAiModeRecordsSuccessAndKeepsTheBackupFolder) {
  SetInstalledVersion("1.0.3.9000");
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch("")));
  ASSERT_EQ(0, Update(true));
  EXPECT_EQ(1, reg.updateMode);
  EXPECT_EQ("バージョンチェック完了\r\n", log.lines[1]);
  EXPECT_EQ("バックアップの削除完了\r\n", log.lines.back());
  EXPECT_EQ(11u, log.lines.size());
  EXPECT_EQ(1u, hostwin::RegistryReadDword(kSettingsKey.root, kSettingsKey.path, "UpdateSuccess"));
  EXPECT_EQ(cReg::kSetupVersion,
            hostwin::RegistryReadString(kUninstallKey.root, kUninstallKey.path, "DisplayVersion"));
  // The backups are gone, their folder stays for the viewer.
  EXPECT_EQ("", dhtest::TreeSnapshot(kBackupFolder));
}

TEST_F(UpdateSequenceTest, PayloadWithoutPatchInstallsAndRecordsTheVersionOnly) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(""));
  const std::string keysBefore = hostwin::RegistrySnapshot();
  ASSERT_EQ(0, Update());
  EXPECT_EQ("new viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
  EXPECT_EQ("x", hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Obsolete"));
  EXPECT_EQ(cReg::kSetupVersion,
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Version"));
  EXPECT_FALSE(hostwin::RegistryKeyExists(kSettingsKey.root, std::string(kSettingsKey.path) + "\\Sample"));
  EXPECT_EQ(0, reg.ModAddCount() + reg.DeleteValueCount() + reg.DeleteKeyCount());
  EXPECT_NE(keysBefore, hostwin::RegistrySnapshot());
}

TEST_F(UpdateSequenceTest, PatchDeletionsRemoveTheOldFiles) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch(DeleteFlags(1, 1, 1))));
  ASSERT_EQ(0, Update());
  EXPECT_FALSE(dhtest::PathExists(std::string(kViewer) + "\\Help\\old.html"));
  EXPECT_FALSE(dhtest::PathExists(std::string(kDataViewer) + "\\Collections\\mine.xml"));
  EXPECT_EQ("new=2", Contents(std::string(kDataViewer) + "\\Model\\model.ini"));
  EXPECT_EQ("ファイル操作系コマンド完了\r\n", log.lines[7]);
}

TEST_F(UpdateSequenceTest, EmptyRecordEntryOnlyMakesTheDeletionsIncomplete) {
  // A record with an entry of no text between two real ones.
  std::string record;
  ASSERT_TRUE(dhtest::ReadFileBytes(std::string(kViewer) + "\\Uninst.dat", &record));
  const std::string entry = "#PROGRAMFILES#\\Help\\old.html";
  const size_t at = record.find(entry);
  ASSERT_NE(std::string::npos, at);
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch(DeleteFlags(0, 0, 1))));
  cUninstDat damaged;
  ASSERT_EQ(1, damaged.Load(kViewer));
  morstd::cMorMemBlock names;
  for (int i = 0; i < damaged.GetNames().GetCount(); ++i) {
    names.Add(damaged.GetNames().GetAt(i));
    if (i == 0) names.Add("");
  }
  ASSERT_EQ(1, damaged.Merge(names));
  ASSERT_EQ(1, damaged.Save(kViewer, 0, 0));

  ASSERT_EQ(0, Update());
  EXPECT_EQ("ファイル消去コマンド不完全\r\n", log.lines[7]);
  EXPECT_EQ("ファイルインストール完了\r\n", log.lines[8]);
  EXPECT_EQ("new viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
}

TEST_F(UpdateSequenceTest, NothingChangesBeforeTheBackup) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch("")));
  {
    SCOPED_TRACE("no progress dialog");
    const std::string before = Installed();
    EXPECT_EQ(500, RunUpdateSequence(&reg, false, &log, nullptr));
    EXPECT_EQ(Lines{}, log.lines);
    EXPECT_EQ(before, Installed());
  }
  {
    SCOPED_TRACE("newer version installed");
    SetInstalledVersion("1.0.5.0");
    log.lines.clear();
    ExpectFailureLeavesInstallation(
        205, {"レジストリ情報の取得成功\r\n", "すでに新しいバージョンがインストールされています\r\n"});
  }
  {
    SCOPED_TRACE("unparsable version");
    SetInstalledVersion("1.0");
    log.lines.clear();
    ExpectFailureLeavesInstallation(210, {"レジストリ情報の取得成功\r\n", "バージョンチェック失敗\r\n"});
  }
  SetInstalledVersion(cReg::kSetupVersion);
  {
    SCOPED_TRACE("payload missing");
    hostwin::InjectFault({"FindResourceA", "130"});
    log.lines.clear();
    ExpectFailureLeavesInstallation(
        215, {kLinesToBackup[0], kLinesToBackup[1], "データ取り出し失敗(30100)\r\n"});
    hostwin::ClearFaults();
  }
  {
    SCOPED_TRACE("disk full");
    hostwin::SetFreeSpace("C", 10);
    log.lines.clear();
    ExpectFailureLeavesInstallation(215, {kLinesToBackup[0], kLinesToBackup[1], kLinesToBackup[2],
                                          "ディスク空き容量がありません\r\n"});
    hostwin::SetFreeSpace("C", hostwin::kDefaultFreeBytes);
  }
  {
    SCOPED_TRACE("free space unknown");
    hostwin::InjectFault({"GetDiskFreeSpaceExA", ""});
    hostwin::InjectFault({"GetDiskFreeSpaceA", ""});
    log.lines.clear();
    ExpectFailureLeavesInstallation(220, {kLinesToBackup[0], kLinesToBackup[1], kLinesToBackup[2],
                                          "ディスク空き容量チェック失敗\r\n"});
    hostwin::ClearFaults();
  }
  {
    SCOPED_TRACE("nothing to install");
    RegisterArchive(cGetLhaFile::kPayloadResource, {{"SetupInfo.xml", Patch("")}});
    log.lines.clear();
    ExpectFailureLeavesInstallation(220, {kLinesToBackup[0], kLinesToBackup[1], kLinesToBackup[2],
                                          "ディスク空き容量チェック失敗\r\n"});
  }
  {
    SCOPED_TRACE("patch not parsed");
    RegisterArchive(cGetLhaFile::kPayloadResource,
                    NewMembers(kDeclaration + std::string("<UpdatePatch><Version>1.1</Version></UpdatePatch>")));
    log.lines.clear();
    ExpectFailureLeavesInstallation(
        225, {kLinesToBackup[0], kLinesToBackup[1], kLinesToBackup[2], kLinesToBackup[3],
              kLinesToBackup[4], "セットアップ情報取得失敗(20110)\r\n"});
  }
  EXPECT_FALSE(dhtest::PathExists(kBackupFolder));
  EXPECT_FALSE(hostwin::RegistryReadValue(kSettingsKey.root, kSettingsKey.path, "Version"));
}

TEST_F(UpdateSequenceTest, PatchNotExtractedIs220WithItsMessage) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch(DeleteFlags(1, 1, 1))));
  const Lines toSpace(kLinesToBackup.begin(), kLinesToBackup.begin() + 4);
  // Each allocation of the extraction fails in turn: armed once the disk space is
  // checked, disarmed once the patch is read.
  int skip = 0;
  log.onLine = [&skip](const std::string& line) {
    if (line == "ディスク空き容量確認\r\n") morstd::MorFailAllocationAfter(skip);
    if (line == "設定ファイル取得完了\r\n") morstd::MorFailNextAllocations(0);
  };
  std::set<std::string> messages;
  for (; skip < 100; ++skip) {
    SCOPED_TRACE(skip);
    log.lines.clear();
    const std::string before = Installed();
    const int code = Update();
    morstd::MorFailNextAllocations(0);
    if (code == 0) break;
    EXPECT_EQ(before, Installed());
    if (code == 99990) {
      // No room for the string that receives the patch: no code, so no line.
      EXPECT_EQ(toSpace, log.lines);
      continue;
    }
    EXPECT_EQ(220, code);
    ASSERT_EQ(toSpace.size() + 1, log.lines.size());
    EXPECT_EQ(toSpace, Lines(log.lines.begin(), log.lines.end() - 1));
    messages.insert(log.lines.back());
    EXPECT_FALSE(dhtest::PathExists(kBackupFolder));
  }
  EXPECT_EQ((std::set<std::string>{"設定ファイル取得失敗(30270)\r\n",
                                   "設定ファイル取得失敗(30275)\r\n",
                                   "設定ファイル取得時に例外発生(69960)\r\n"}),
            messages);
  // Once the extraction has all it needs, the same run goes through.
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ("TEMPの削除完了\r\n", log.lines.back());
  EXPECT_EQ("new viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
}

TEST_F(UpdateSequenceTest, UnreadableRecordIs200) {
  HKEY settings = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(kSettingsKey.root, kSettingsKey.path, 0, KEY_ALL_ACCESS, &settings));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(settings, "AppDataDir"));
  RegCloseKey(settings);
  ExpectFailureLeavesInstallation(200, {"APPDATAディレクトリの取得失敗(00120)\r\n"});
}

TEST_F(UpdateSequenceTest, BackupFailureIs235AndLeavesTheInstallation) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch(DeleteFlags(1, 1, 1))));
  // An installation whose Model folder the user removed.
  ASSERT_TRUE(DeleteFileA((std::string(kDataViewer) + "\\Model\\model.ini").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((std::string(kDataViewer) + "\\Model").c_str()));
  Lines lines(kLinesToBackup.begin(), kLinesToBackup.end() - 1);
  lines.push_back("バックアップ失敗(30350)\r\n");
  ExpectFailureLeavesInstallation(235, lines);
}

TEST_F(UpdateSequenceTest, InstallFailureIs500AndRestoresTheDeletedFiles) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(DeleteFlags(1, 1, 1) + ModAdd("REG_SZ", "Greeting", "hi"))));
  hostwin::InjectFault({"CreateFileA", std::string(kViewer) + "\\Help\\new.html"});
  ExpectFailureLeavesInstallation(
      500, Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルのインストール失敗(30435)\r\n",
                                 "ロールバック処理完了しました\r\n"}));
  EXPECT_EQ("<html>old</html>", Contents(std::string(kViewer) + "\\Help\\old.html"));
}

// An application-data file outside Collections and Model could not be restored: the
// update refuses it before writing any member, and the folders come back as they were.
TEST_F(UpdateSequenceTest, AMemberNoBackupCoversIs500AndNothingOfItIsWritten) {
  std::vector<StoredMember> members = NewMembers(Patch(DeleteFlags(1, 1, 1)));
  members.insert(members.begin() + 1, {"#APPDATA#\\NNJ.dat", "replaced"});
  RegisterArchive(cGetLhaFile::kPayloadResource, members);
  ExpectFailureLeavesInstallation(
      500, Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルのインストール失敗(30450)\r\n",
                                 "ロールバック処理完了しました\r\n"}));
  EXPECT_FALSE(dhtest::PathExists(std::string(kDataViewer) + "\\NNJ.dat"));
  EXPECT_EQ("old viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
}

TEST_F(UpdateSequenceTest, CommandsNotTakenOverIs510AndRestores) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(ModAdd("REG_SZ", "Greeting", "hi"))));
  // The first allocation after the installation is the copy of the commands.
  log.onLine = [](const std::string& line) {
    if (line == "ファイルインストール完了\r\n") morstd::MorFailNextAllocations(1);
  };
  // No code of its own: the line about it is empty.
  ExpectFailureLeavesInstallation(
      510, Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルインストール完了\r\n", "\r\n",
                                 "ロールバック処理完了しました\r\n"}));
  morstd::MorFailNextAllocations(0);
  EXPECT_EQ(0, reg.ModAddCount());
}

TEST_F(UpdateSequenceTest, RefusedRegistryCommandIs520WithEverythingRolledBack) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(DeleteFlags(1, 0, 1) + ModAdd("reg_sz", "Greeting", "hi"))));
  ExpectFailureLeavesInstallation(
      520,
      Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルインストール完了\r\n",
                            "レジストリコマンド失敗(00665)\r\n", "ロールバック処理完了しました\r\n"}),
      true);
  EXPECT_EQ("x", hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Obsolete"));
  EXPECT_FALSE(hostwin::RegistryReadValue(kSettingsKey.root, kSettingsKey.path, "UpdateSuccess"));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(UpdateSequenceTest, FailedCommitIs520WithItsOwnText) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(ModAdd("REG_SZ", "Greeting", "hi"))));
  hostwin::InjectFault({"CommitTransaction", "", 1, ERROR_TRANSACTION_NOT_ACTIVE});
  ExpectFailureLeavesInstallation(
      520,
      Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルインストール完了\r\n",
                            "レジストリコマンド確定失敗(00670)\r\n",
                            "ロールバック処理完了しました\r\n"}),
      true);
  EXPECT_FALSE(hostwin::RegistryReadValue(kSettingsKey.root, kSettingsKey.path, "Greeting"));
}

TEST_F(UpdateSequenceTest, FailedRestoreIs999) {
  RegisterArchive(cGetLhaFile::kPayloadResource,
                  NewMembers(Patch(ModAdd("reg_sz", "Greeting", "hi"))));
  // Moving the install folder's backup back fails.
  hostwin::InjectFault({"SHFileOperationA", std::string(kBackupFolder) + "\\Viewer"});
  const std::string registryBefore = hostwin::RegistrySnapshot();
  EXPECT_EQ(999, Update());
  EXPECT_EQ(Join(kLinesToBackup, {"ファイル操作系コマンド完了\r\n", "ファイルインストール完了\r\n",
                                  "レジストリコマンド失敗(00665)\r\n",
                                  "致命的なエラーが発生しました(ロールバック失敗)\r\n"}),
            log.lines);
  EXPECT_EQ(registryBefore, hostwin::RegistrySnapshot());
  // The backup is still there for someone to recover.
  EXPECT_EQ("old viewer", Contents(std::string(kBackupFolder) + "\\Viewer\\DHViewer.exe"));
}

TEST_F(UpdateSequenceTest, AnythingButACodeIs99990WithoutALine) {
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch("")));
  ThrowingProgress broken;
  const std::string before = Installed();
  EXPECT_EQ(99990, Update(false, &broken));
  EXPECT_EQ(Lines{"レジストリ情報の取得成功\r\n"}, log.lines);
  EXPECT_EQ(before, Installed());
  EXPECT_EQ(99990, RunUpdateSequence(nullptr, false, &log, &progress));
}

// The next start after an update cut short while its backup was the only good copy.
class UpdateCutShortTest : public UpdateSequenceTest {
 protected:
  void SetUp() override {
    UpdateSequenceTest::SetUp();
    SetInstalledVersion("1.0.3.9000");
    before = Installed();
    ASSERT_EQ(1, reg.LoadInstallInfo());
    files.installLocation = reg.installLocation.GetData();
    files.appDataDir = reg.appDataDir.GetData();
    files.recordedVersion = reg.installedVersion;
    ASSERT_EQ(1, files.Backup());
    // What the update had done by then.
    ASSERT_TRUE(dhtest::WriteFileBytes(std::string(kViewer) + "\\DHViewer.exe", "new viewer"));
    ASSERT_TRUE(dhtest::WriteFileBytes(std::string(kDataViewer) + "\\Model\\model.ini", "new=2"));
  }
  int NextStart() {
    cReg next;
    return RecoverInterruptedUpdate(&next, &recovery);
  }
  std::string before;
  cUpdateFile files;
  RecordingLog recovery;
};

TEST_F(UpdateCutShortTest, TheNextStartRestoresTheFolders) {
  EXPECT_EQ(kRecoveryRestored, NextStart());
  EXPECT_EQ(Lines{"中断されたアップデートを元に戻しました\r\n"}, recovery.lines);
  EXPECT_EQ(before, Installed());
  morstd::cMorString version;
  EXPECT_EQ(0, cUpdateFile::ReadMarker(&version));
  // The start after that finds nothing to do.
  EXPECT_EQ(kRecoveryNothing, NextStart());
  EXPECT_EQ(1u, recovery.lines.size());
}

TEST_F(UpdateCutShortTest, AnUpdateRecordedBeforeItWasCutShortKeepsItsFiles) {
  SetInstalledVersion(cReg::kSetupVersion);
  EXPECT_EQ(kRecoveryCompleted, NextStart());
  EXPECT_EQ(Lines{"中断されたアップデートは完了していました\r\n"}, recovery.lines);
  EXPECT_EQ("new viewer", Contents(std::string(kViewer) + "\\DHViewer.exe"));
  EXPECT_EQ("", dhtest::TreeSnapshot(kBackupFolder));
}

TEST_F(UpdateCutShortTest, ARestoreThatFailsKeepsTheMarkerForTheNextStart) {
  hostwin::InjectFault({"SHFileOperationA", std::string(kBackupFolder) + "\\Viewer", 0,
                        ERROR_ACCESS_DENIED});
  EXPECT_EQ(kRecoveryFailed, NextStart());
  EXPECT_EQ(Lines{"中断されたアップデートを元に戻せませんでした\r\n"}, recovery.lines);
  morstd::cMorString version;
  EXPECT_EQ(1, cUpdateFile::ReadMarker(&version));
  // The update cannot start over it either.
  hostwin::ClearFaults();
  RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers(Patch("")));
  EXPECT_EQ(kUpdateBackupFailed, Update());
  EXPECT_EQ("バックアップ失敗(30335)\r\n", log.lines.back());
  EXPECT_EQ(kRecoveryRestored, NextStart());
  EXPECT_EQ(before, Installed());
}

}  // namespace
