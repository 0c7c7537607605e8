// The backups of the installed folders under the temporary folder: Backup, the
// removal of backups and of the backup folder, and Rollback restoring the trees.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "morstd/MorAlloc.h"
#include "unit/update/UpdateFileTestFixture.h"

namespace {

using dhtest::Contents;
using dhtest::Exists;
using dhtest::kAppDataDir;
using dhtest::kBackupDir;
using dhtest::kInstallDir;
using dhtest::TreeSnapshot;

const std::string kCollections = std::string(kAppDataDir) + "\\Collections";
const std::string kModel = std::string(kAppDataDir) + "\\Model";
const std::string kInstallBackup = std::string(kBackupDir) + "\\Viewer";
const std::string kCollectionsBackup = std::string(kBackupDir) + "\\Collections";
const std::string kModelBackup = std::string(kBackupDir) + "\\Model";

class UpdateFileBackupTest : public dhtest::UpdateFileFixture {
 protected:
  void SetUp() override {
    UpdateFileFixture::SetUp();
    InstallOldVersion();
  }
};

TEST_F(UpdateFileBackupTest, BackupCopiesTheThreeFoldersAndLoadsTheRecord) {
  const auto program = TreeSnapshot(kInstallDir);
  const auto collections = TreeSnapshot(kCollections);
  const auto model = TreeSnapshot(kModel);
  ASSERT_EQ(1, update.Backup());
  EXPECT_EQ(0, update.lastError);
  EXPECT_EQ(program, TreeSnapshot(kInstallBackup));
  EXPECT_EQ(collections, TreeSnapshot(kCollectionsBackup));
  EXPECT_EQ(model, TreeSnapshot(kModelBackup));
  // Copies: the installed folders are still there.
  EXPECT_EQ(program, TreeSnapshot(kInstallDir));
  ASSERT_EQ(static_cast<int>(OldRecord().size()), update.uninstDat.GetNames().GetCount());
  EXPECT_STREQ("#APPDATA#\\config.xml", update.uninstDat.GetNames().GetAt(8));
  EXPECT_EQ(1, update.uninstDat.GetHeader().startMenuShortcut);
}

TEST_F(UpdateFileBackupTest, ABackupLeftByAnEarlierRunIsReplaced) {
  MakeFolders(kInstallBackup + "\\stale");
  Write(kInstallBackup + "\\stale\\old.txt", "from a failed run");
  Write(kInstallBackup + "\\DHViewer.exe", "stale");
  ASSERT_EQ(1, update.Backup());
  EXPECT_EQ(TreeSnapshot(kInstallDir), TreeSnapshot(kInstallBackup));
}

TEST_F(UpdateFileBackupTest, AWholeBackupCarriesTheMarkerAndIsNeverReplacedWhileItDoes) {
  update.recordedVersion = "1.0.3.9000";
  ASSERT_EQ(1, update.Backup());
  morstd::cMorString version;
  ASSERT_EQ(1, cUpdateFile::ReadMarker(&version));
  EXPECT_STREQ("1.0.3.9000", version.GetData());
  EXPECT_EQ("1.0.3.9000\r\n", Contents(std::string(kBackupDir) + "\\UpdatePending.dat"));

  // Until the marker goes, the backup is the only good copy.
  const std::string backup = TreeSnapshot(kInstallBackup);
  Write(std::string(kInstallDir) + "\\DHViewer.exe", "half-written new viewer");
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(335, update.lastError);
  EXPECT_EQ(backup, TreeSnapshot(kInstallBackup));

  ASSERT_EQ(1, update.RemoveMarker());
  EXPECT_EQ(0, cUpdateFile::ReadMarker(&version));
  EXPECT_EQ(1, update.RemoveMarker());  // nothing left to remove is no failure
  ASSERT_EQ(1, update.Backup());
  EXPECT_EQ("half-written new viewer", Contents(kInstallBackup + "\\DHViewer.exe"));

  // A marker cut off before its text was whole names no version.
  Write(std::string(kBackupDir) + "\\UpdatePending.dat", "1.0.3");
  ASSERT_EQ(1, cUpdateFile::ReadMarker(&version));
  EXPECT_STREQ("", version.GetData());
  // The backup is whole but its marker cannot be written: 340, and no marker.
  ASSERT_EQ(1, update.DeleteBackups());
  hostwin::InjectFault({"FlushFileBuffers", std::string(kBackupDir) + "\\UpdatePending.dat"});
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(340, update.lastError);
  EXPECT_STREQ("バックアップ失敗(30340)", update.GetErrorMessage());
  EXPECT_EQ(0, cUpdateFile::ReadMarker(&version));
}

TEST_F(UpdateFileBackupTest, ARollbackCutShortIsResumed) {
  const auto program = TreeSnapshot(kInstallDir);
  const auto data = TreeSnapshot(kAppDataDir);
  ASSERT_EQ(1, update.Backup());
  Write(std::string(kInstallDir) + "\\DHViewer.exe", "new viewer");
  Write(kModel + "\\Parts\\m.bin", "new model");
  hostwin::InjectFault({"SHFileOperationA", kCollectionsBackup, 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(710, update.lastError);
  hostwin::ClearFaults();
  morstd::cMorString version;
  EXPECT_EQ(1, cUpdateFile::ReadMarker(&version));

  // The install folder is back already, its backup gone: only a resumed rollback
  // takes that for done.
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(700, update.lastError);
  ASSERT_EQ(1, update.Rollback(true));
  EXPECT_EQ(program, TreeSnapshot(kInstallDir));
  EXPECT_EQ(data, TreeSnapshot(kAppDataDir));
  EXPECT_EQ("", TreeSnapshot(kBackupDir));  // the marker went with the last backup
  EXPECT_FALSE(Exists("C:\\Program Files\\Dravenholt\\@Viewer"));
}

TEST_F(UpdateFileBackupTest, MissingFoldersAndRecordFailWithTheirCodes) {
  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(kModel));
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(350, update.lastError);
  // The earlier backups stay.
  EXPECT_TRUE(Exists(kInstallBackup + "\\DHViewer.exe"));
  EXPECT_TRUE(Exists(kCollectionsBackup + "\\mine.col"));

  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(kCollections));
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(345, update.lastError);

  MakeFolders(kCollections);
  MakeFolders(kModel);
  ASSERT_TRUE(DeleteFileA((std::string(kInstallDir) + "\\Uninst.dat").c_str()));
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(355, update.lastError);

  update.installLocation = "C:\\Program Files\\Dravenholt\\Missing";
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(330, update.lastError);
  // An install folder with no name to keep its backup under.
  update.installLocation = "C:\\Program Files\\Dravenholt\\Viewer\\";
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(330, update.lastError);
  update.installLocation = kInstallDir;
  update.appDataDir = nullptr;
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(345, update.lastError);
}

TEST_F(UpdateFileBackupTest, ShellAndTemporaryFolderFailures) {
  hostwin::InjectFault({"SHFileOperationA", kCollections, 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(345, update.lastError);
  hostwin::ClearFaults();

  // The old backup cannot be cleared away first.
  ASSERT_EQ(1, update.Backup());
  ASSERT_EQ(1, update.RemoveMarker());
  hostwin::InjectFault({"SHFileOperationA", kModelBackup, 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(350, update.lastError);
  hostwin::ClearFaults();

  hostwin::InjectFault({"GetTempPathA", "", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(335, update.lastError);
  EXPECT_EQ(0, update.DeleteBackups());
  EXPECT_EQ(500, update.lastError);
  EXPECT_EQ(0, update.DeleteTemp());
  EXPECT_EQ(500, update.lastError);
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(700, update.lastError);
  hostwin::ClearFaults();

  // A temporary folder whose path with its backslash is longer than 259 characters.
  hostwin::SetTempPath("C:\\" + std::string(257, 't'));
  EXPECT_EQ(0, update.Backup());
  EXPECT_EQ(335, update.lastError);
  EXPECT_EQ(0, update.DeleteBackups());
  EXPECT_EQ(500, update.lastError);
  EXPECT_EQ(0, update.DeleteTemp());
  EXPECT_EQ(500, update.lastError);
}

TEST_F(UpdateFileBackupTest, DeleteBackupsKeepsTheFolderAndDeleteTempRemovesIt) {
  ASSERT_EQ(1, update.Backup());
  ASSERT_EQ(1, update.DeleteBackups());
  EXPECT_EQ(0, update.lastError);
  EXPECT_EQ("", TreeSnapshot(kBackupDir));
  EXPECT_TRUE(PathIsDirectoryA(kBackupDir));
  // Nothing left to delete is no failure.
  EXPECT_EQ(1, update.DeleteBackups());
  ASSERT_EQ(1, update.DeleteTemp());
  EXPECT_FALSE(Exists(kBackupDir));
  EXPECT_EQ(1, update.DeleteTemp());
  EXPECT_TRUE(Exists(dhtest::kTempDir));
  // The installation itself is untouched.
  EXPECT_EQ("old viewer", Contents(std::string(kInstallDir) + "\\DHViewer.exe"));
}

TEST_F(UpdateFileBackupTest, DeleteFailuresAre505) {
  ASSERT_EQ(1, update.Backup());
  hostwin::InjectFault({"DeleteFileA", kCollectionsBackup + "\\mine.col", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.DeleteBackups());
  EXPECT_EQ(505, update.lastError);
  EXPECT_FALSE(Exists(kInstallBackup));  // the install folder's went first
  EXPECT_EQ(0, update.DeleteTemp());
  EXPECT_EQ(505, update.lastError);
  hostwin::ClearFaults();
  update.installLocation = "Viewer";
  EXPECT_EQ(0, update.DeleteBackups());
  EXPECT_EQ(505, update.lastError);
}

TEST_F(UpdateFileBackupTest, RollbackRestoresByteIdenticalTrees) {
  const auto program = TreeSnapshot(kInstallDir);
  const auto data = TreeSnapshot(kAppDataDir);
  ASSERT_EQ(1, update.Backup());
  // What a failing update may have done by then.
  Write(std::string(kInstallDir) + "\\DHViewer.exe", "half-written new viewer");
  ASSERT_TRUE(DeleteFileA((std::string(kInstallDir) + "\\Help\\index.html").c_str()));
  MakeFolders(std::string(kInstallDir) + "\\Plugins");
  Write(std::string(kInstallDir) + "\\Plugins\\x.dll", "new");
  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(kModel));
  Write(kCollections + "\\Set1\\a.col", "changed");

  ASSERT_EQ(1, update.Rollback());
  EXPECT_EQ(0, update.lastError);
  EXPECT_EQ(program, TreeSnapshot(kInstallDir));
  EXPECT_EQ(data, TreeSnapshot(kAppDataDir));
  // The backups were moved back, not copied.
  EXPECT_EQ("", TreeSnapshot(kBackupDir));
}

TEST_F(UpdateFileBackupTest, RollbackWithoutItsBackupKeepsTheInstalledFolder) {
  ASSERT_EQ(1, update.Backup());
  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(kModelBackup));
  const auto model = TreeSnapshot(kModel);
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(715, update.lastError);
  EXPECT_EQ(model, TreeSnapshot(kModel));

  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(kInstallBackup));
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(700, update.lastError);
  EXPECT_EQ("old viewer", Contents(std::string(kInstallDir) + "\\DHViewer.exe"));
}

TEST_F(UpdateFileBackupTest, RollbackFailuresStopAtTheFirst) {
  ASSERT_EQ(1, update.Backup());
  hostwin::InjectFault({"SHFileOperationA", kCollectionsBackup, 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(710, update.lastError);
  // The install folder came back; Model was not reached.
  EXPECT_TRUE(Exists(std::string(kInstallDir) + "\\Uninst.dat"));
  EXPECT_FALSE(Exists(kInstallBackup));
  EXPECT_TRUE(Exists(kModelBackup));
  hostwin::ClearFaults();

  // The installed folder cannot be cleared for its backup.
  hostwin::InjectFault({"SHFileOperationA", kModel, 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(700, update.lastError);  // the install folder's backup is gone by now
  update.installLocation = kInstallDir;
  update.appDataDir = "";
  EXPECT_EQ(0, update.Rollback());
  EXPECT_EQ(700, update.lastError);
}

TEST_F(UpdateFileBackupTest, NoMemoryGivesEachOperationsCatchAllCode) {
  ASSERT_EQ(1, update.Backup());
  const std::string program = TreeSnapshot(kInstallDir);
  struct Case {
    const char* name;
    int (*run)(cUpdateFile*);
    int code;
  };
  const Case cases[] = {
      {"Backup", [](cUpdateFile* u) { return u->Backup(); }, 99930},
      {"Rollback", [](cUpdateFile* u) { return u->Rollback(); }, 99900},
      {"DeleteBackups", [](cUpdateFile* u) { return u->DeleteBackups(); }, 99920},
      {"DeleteTemp", [](cUpdateFile* u) { return u->DeleteTemp(); }, 99920},
      {"ExecuteDeleteCommands",
       [](cUpdateFile* u) { return u->ExecuteDeleteCommands(1, 1, 1); }, 99890},
  };
  for (const Case& c : cases) {
    morstd::MorFailNextAllocations(1);
    EXPECT_EQ(0, c.run(&update)) << c.name;
    morstd::MorFailNextAllocations(0);
    EXPECT_EQ(c.code, update.lastError) << c.name;
  }
  // Each stopped before touching a file.
  EXPECT_EQ(program, TreeSnapshot(kInstallDir));
  EXPECT_EQ(program, TreeSnapshot(kInstallBackup));
}

TEST_F(UpdateFileBackupTest, AnInstallFolderOnAnotherDriveIsRestoredToo) {
  const std::string other = "D:\\Apps\\Viewer";
  mkdir((hostwin::SandboxRoot() + "/D").c_str(), 0777);  // the drive
  MakeFolders(other + "\\Sub");
  Write(other + "\\Sub\\f.bin", std::string("\0\1\2", 3));
  Write(other + "\\Uninst.dat", dhtest::RecordBytes({"#PROGRAMFILES#\\"}, 0, 1));
  const std::string program = TreeSnapshot(other);
  ASSERT_NE("<missing>", program);
  update.installLocation = "D:\\Apps\\Viewer";
  ASSERT_EQ(1, update.Backup());
  ASSERT_TRUE(dhtest::ScratchFolder::RemoveTree(other + "\\Sub"));
  ASSERT_EQ(1, update.Rollback());
  EXPECT_EQ(program, TreeSnapshot(other));
  EXPECT_FALSE(Exists(kInstallBackup));
}

}  // namespace
