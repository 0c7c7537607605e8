// Updates driven end to end under Wine: "-ai" without an installation, and updates of
// an installed viewer. Wine's Kernel Transaction Manager is a stub, so
// the registry step of every update fails here: these tests pin down that such a
// failure is reported as 520 and puts the installed folders back byte for byte. The
// successful update is covered on the host layer, which has transactions.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/FileBytes.h"
#include "support/FileTree.h"
#include "gui/e2e/RegistryReads.h"
#include "gui/e2e/SetupE2ETest.h"

namespace e2e {
namespace {

const char kFailed520[] =
    "上書きインストール中にエラーが発生し、最新版インストールは失敗しました(520)";
const char kRestoredLine[] = "ロールバック処理完了しました\r\n";
const char kRollbackBox[] = "RollbackTransaction失敗";
const char kRecoveredBox[] = "中断されたアップデートを元に戻しました";

std::string Contents(const std::string& path) {
  std::string bytes;
  return dhtest::ReadFileBytes(path, &bytes) ? bytes : "<missing>";
}

class UpdateE2ETest : public SetupE2ETest {
 protected:
  void SnapshotInstallation() {
    installed_ = dhtest::ReadTree(InstallDir());
    appData_ = dhtest::ReadTree(AppDataDir());
    ASSERT_FALSE(installed_.empty());
    ASSERT_FALSE(appData_.empty());
  }
  void ExpectInstallationRestored() {
    EXPECT_EQ("", dhtest::FirstDifference(installed_, dhtest::ReadTree(InstallDir())));
    EXPECT_EQ("", dhtest::FirstDifference(appData_, dhtest::ReadTree(AppDataDir())));
  }
  // Waits for the update's end, checks its messages and log, and answers them.
  void ExpectFailureWith520(const char* shotName) {
    // Wine's RollbackTransaction returns FALSE as well, which the registry step reports
    // on its own before the update's failure.
    guitest::MessageBoxInfo rollback = WaitForBox(kWorkTimeoutMs);
    ASSERT_NE(nullptr, rollback.hwnd);
    EXPECT_EQ(std::string(kRollbackBox), rollback.text);
    EXPECT_EQ(std::string(""), rollback.caption);
    ASSERT_TRUE(guitest::AnswerMessageBox(rollback.hwnd, IDOK));

    guitest::MessageBoxInfo box = WaitForBox(kWorkTimeoutMs);
    ASSERT_NE(nullptr, box.hwnd);
    Shot(shotName);
    EXPECT_EQ(std::string(kFailed520), box.text);
    EXPECT_EQ(std::string("警告"), box.caption);
    EXPECT_EQ(main_, box.owner);
    const std::string log = TextsOf(kText);
    EXPECT_NE(std::string::npos, log.find(kRestoredLine)) << log;
    ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDOK));
    EXPECT_EQ(0u, ExitCode());
  }

  dhtest::FileTree installed_;
  dhtest::FileTree appData_;
};

TEST_F(UpdateE2ETest, AiWithoutAnInstallationReports200AndRecordsTheFailure) {
  ASSERT_NO_FATAL_FAILURE(StartSetup("-ai"));
  // The viewer's update has no wizard: no buttons, only the update display.
  for (int id : {kBack, kNext, kCancel}) EXPECT_EQ(nullptr, guitest::FindControl(main_, id)) << id;
  guitest::MessageBoxInfo box = WaitForBox(kWorkTimeoutMs);
  ASSERT_NE(nullptr, box.hwnd);
  EXPECT_EQ(
      std::string("上書きインストール中にエラーが発生し、最新版インストールは失敗しました(200)"),
      box.text);
  EXPECT_EQ(std::string("警告"), box.caption);
  EXPECT_EQ(0u, TextsOf(kText).find("アップデート・インストールを開始します\r\n"))
      << TextsOf(kText);
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDOK));
  EXPECT_EQ(0u, ExitCode());

  DWORD result = 7;
  EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateSuccess", &result));
  EXPECT_EQ(0u, result);
  EXPECT_FALSE(dhtest::PathExists(InstallDir()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// The close box, the only control of the viewer's update, and a posted close are
// ignored while the update runs: it ends as it would have.
TEST_F(UpdateE2ETest, AiUpdateOfAnOlderVersionIgnoresClosesAndEndsIn520WithTheFoldersRestored) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "1.0.3.9000"));
  ASSERT_NO_FATAL_FAILURE(SnapshotInstallation());

  ASSERT_NO_FATAL_FAILURE(StartSetup("-ai"));
  ASSERT_NO_FATAL_FAILURE(TryToCloseWhileWorking());
  ASSERT_NO_FATAL_FAILURE(ExpectFailureWith520("e2e-update-ai-520.png"));

  ExpectInstallationRestored();
  DWORD result = 7;
  EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateSuccess", &result));
  EXPECT_EQ(0u, result);
  // The transaction took nothing with it: the version is still the recorded one.
  std::string version;
  EXPECT_TRUE(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", &version));
  EXPECT_EQ("1.0.3.9000", version);
  EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, kSettingsKey, "Version", &version));
}

// The update is killed while its backup folder's marker says the backup is the only
// good copy: the registry step's own message about Wine's transaction stub holds the
// worker after the new files are in and before anything is restored. The next "-ai"
// start restores the folders before anything else, user files included.
TEST_F(UpdateE2ETest, AiUpdateKilledMidwayIsRestoredByTheNextStart) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "1.0.3.9000"));
  ASSERT_TRUE(dhtest::WriteFileBytes(DataViewerDir() + "\\Collections\\user.xml", "my own set"));
  ASSERT_TRUE(dhtest::WriteFileBytes(DataViewerDir() + "\\Model\\mine.bin", "my own model"));
  ASSERT_NO_FATAL_FAILURE(SnapshotInstallation());
  const std::string marker = BackupFolder() + "\\UpdatePending.dat";

  ASSERT_NO_FATAL_FAILURE(StartSetup("-ai"));
  guitest::MessageBoxInfo held = WaitForBox(kWorkTimeoutMs);
  ASSERT_NE(nullptr, held.hwnd);
  ASSERT_EQ(std::string(kRollbackBox), held.text);
  ASSERT_TRUE(dhtest::PathExists(marker));
  // The new files are in: this is the middle of the update.
  EXPECT_NE("", dhtest::FirstDifference(installed_, dhtest::ReadTree(InstallDir())));
  setup_.Terminate();

  ASSERT_NO_FATAL_FAILURE(StartSetup("-ai", false));
  guitest::MessageBoxInfo recovered = WaitForBox(kWorkTimeoutMs);
  ASSERT_NE(nullptr, recovered.hwnd);
  EXPECT_EQ(std::string(kRecoveredBox), recovered.text);
  EXPECT_EQ(std::string("確認"), recovered.caption);
  // The installer waits on its message: the restore is done, nothing else has begun.
  ExpectInstallationRestored();
  EXPECT_FALSE(dhtest::PathExists(marker));
  EXPECT_EQ("my own set", Contents(DataViewerDir() + "\\Collections\\user.xml"));
  EXPECT_EQ("my own model", Contents(DataViewerDir() + "\\Model\\mine.bin"));
  ASSERT_TRUE(guitest::AnswerMessageBox(recovered.hwnd, IDOK));

  // Then the run goes on as any "-ai" run does.
  ASSERT_NO_FATAL_FAILURE(WaitForMainWindow());
  ASSERT_NO_FATAL_FAILURE(ExpectFailureWith520("e2e-update-ai-recovered-520.png"));
  ExpectInstallationRestored();
}

// "同意しない" is disabled under the running update, and closes are ignored.
TEST_F(UpdateE2ETest, InteractiveOverInstallationIgnoresClosesAndEndsIn520WithTheFoldersRestored) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  ASSERT_NO_FATAL_FAILURE(SnapshotInstallation());

  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(Answer(
      "すでに同じバージョンがインストールされています\r\n上書きインストールとして続行しますか？",
      "確認", IDYES));
  ASSERT_NO_FATAL_FAILURE(WaitForReadMe());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(TryToCloseWhileWorking());
  EXPECT_EQ(std::string("同意しない"), guitest::GetText(guitest::FindControl(main_, kCancel)));
  ASSERT_NO_FATAL_FAILURE(ExpectFailureWith520("e2e-update-interactive-520.png"));

  ExpectInstallationRestored();
  // Only a run started by the viewer leaves it an outcome.
  DWORD result = 0;
  EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateSuccess", &result));
}

}  // namespace
}  // namespace e2e
