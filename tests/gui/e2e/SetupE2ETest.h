// The fixture of the end-to-end tests: DHViewSetup.exe started as a child process and
// driven through its wizard from outside, as a person would, in the shared Wine prefix.
//
// Every test starts and ends without an installation: SetUp and TearDown remove the
// viewer's folders, shortcuts, backups and registry data, so no test depends on another.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "gui/lib/GuiTest.h"

namespace e2e {

class SetupE2ETest : public ::testing::Test {
 protected:
  // Guards against a hang only.
  static constexpr DWORD kStepTimeoutMs = 15000;
  static constexpr DWORD kWorkTimeoutMs = 180000;

  static constexpr int kBack = 50000;
  static constexpr int kNext = 50001;
  static constexpr int kCancel = 50002;
  static constexpr int kText = 1001;
  static constexpr int kBrowse = 1007;
  static constexpr int kStartMenuBox = 1005;
  static constexpr int kDesktopBox = 1006;

  void SetUp() override;
  void TearDown() override;

  // Where the installation lands in this prefix.
  static std::string InstallDir();     // ...\Program Files\Dravenholt
  static std::string ViewerDir();      // InstallDir()\Viewer
  static std::string AppDataDir();     // %APPDATA%\Dravenholt
  static std::string DataViewerDir();  // AppDataDir()\Viewer
  static std::string ContentsDir();    // My Documents\Dravenholt\Contents
  static std::string StartMenuLink();
  static std::string DesktopLink();
  static std::string BackupFolder();   // the update's, %TEMP%\Dravenholt
  static void RemoveInstallation();

  // Starts the installer with the arguments (none when null) and waits for its main
  // window (main_), unless told not to wait (the installer may ask something first).
  void StartSetup(const char* arguments, bool waitForMainWindow = true);
  void WaitForMainWindow();
  // The installer's exit code once it has ended; STILL_ACTIVE when it does not end.
  DWORD ExitCode();

  // Each waits until the page shows with its buttons set as that page sets them.
  void WaitForWelcome();
  void WaitForReadMe();
  void WaitForFolderPage();
  void WaitForShortcutPage();
  void WaitForConfirmation();
  void Click(int id);
  // The next message box of the installer (its boxes and those of its dialogs).
  guitest::MessageBoxInfo WaitForBox(DWORD timeoutMs = kStepTimeoutMs);
  // Answers the next box, after checking its text and caption.
  void Answer(const char* text, const char* caption, int button);
  // A picture of the screen as build/screenshots/NAME, once the installer is idle.
  void Shot(const char* name);
  // The texts of every control `id` in the main window, one after the other (the update
  // display's log and a read-me page below it share the id).
  std::string TextsOf(int id);
  // Once a worker's progress dialog shows: checks that Cancel (when there is one) is
  // disabled and a log-off is refused, then clicks the close box and posts WM_CLOSE
  // while the worker is certain to run still, so that both reach the window before the
  // worker's completion. The caller then sees the run end as it would have.
  void TryToCloseWhileWorking();

  // From the welcome page on: read-me, default folder, both shortcut boxes, "完了", and
  // the final "インストール完了しました"; the installer has closed with 0 when it
  // returns. With shotPrefix, every page and the final box are saved as
  // PREFIX-1-welcome.png and so on; with closeWhileWorking, TryToCloseWhileWorking runs
  // during the installation.
  void InstallFromWelcome(const char* shotPrefix = nullptr, bool closeWhileWorking = false);
  // The same from the read-me page on; the installer says it makes the folder only when
  // the folder is missing.
  void InstallFromReadMe(const char* shotPrefix = nullptr, bool closeWhileWorking = false);
  // A whole fresh installation from the start of the installer to its end.
  void InstallFresh(const char* shotPrefix = nullptr, bool closeWhileWorking = false);

  guitest::ChildProcess setup_;
  HWND main_ = nullptr;
};

}  // namespace e2e
