// Uninstall.exe of the sample payload, started from a hand-made installation as
// "Programs and Features" starts it: it hands over to a copy of itself in the
// temporary folder, which asks, removes the viewer with the installer's uninstall
// dialog, deletes the original program and its folder, and leaves its own file for
// deletion at the next start of Windows.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/lib/GuiTest.h"
#include "gui/uninstall/InstalledViewer.h"
#include "gui/uninstall/UninstallerRun.h"
#include "support/FileTree.h"

namespace {

using uninsttest::InstalledViewer;
using dhtest::PathExists;

using uninsttest::kUninstallConfirm;
using uninsttest::StartAndAsk;
using uninsttest::TemporaryCopy;
constexpr int kLogId = 1001;
constexpr DWORD kTimeoutMs = uninsttest::kUninstallTimeoutMs;

// True when Windows was asked to delete `path` at its next start.
bool DeletionPending(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD size = 0;
  std::vector<char> data;
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
      ERROR_SUCCESS) {
    data.resize(size + 2);
    RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                     reinterpret_cast<BYTE*>(data.data()), &size);
  }
  RegCloseKey(key);
  for (size_t at = 0; at < data.size();) {
    const std::string entry(data.data() + at);
    if (entry.size() >= path.size() &&
        lstrcmpiA(entry.substr(entry.size() - path.size()).c_str(), path.c_str()) == 0) {
      return true;
    }
    at += entry.size() + 1;
  }
  return false;
}

class UninstallProgram : public ::testing::Test {};

TEST_F(UninstallProgram, CancelAtTheConfirmationLeavesEverything) {
  InstalledViewer installed("exe-cancel", guitest::ExePathOf("sample/Uninstall.exe"));
  ASSERT_TRUE(installed.Create()) << installed.problem;
  TemporaryCopy copy;
  const guitest::MessageBoxInfo box = StartAndAsk("\"" + installed.uninstallerPath + "\"", &copy);
  EXPECT_EQ(std::string(kUninstallConfirm), box.text);
  EXPECT_EQ(std::string("確認"), box.caption);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
  // The copy runs from the temporary folder, not from the folder it would remove.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  EXPECT_EQ(CSTR_EQUAL, CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, copy.path.c_str(),
                                       lstrlenA(temp), temp, lstrlenA(temp)))
      << copy.path;
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDNO));
  EXPECT_EQ(1u, copy.ExitCode());

  for (const std::string& path : installed.RemovedPaths()) EXPECT_TRUE(PathExists(path)) << path;
  EXPECT_TRUE(InstalledViewer::RegistryLeft());
  EXPECT_TRUE(DeletionPending(copy.path));
}

TEST_F(UninstallProgram, ConfirmingRemovesTheInstallationAndItsOwnFile) {
  InstalledViewer installed("exe-remove", guitest::ExePathOf("sample/Uninstall.exe"));
  ASSERT_TRUE(installed.Create()) << installed.problem;
  TemporaryCopy copy;
  const guitest::MessageBoxInfo ask = StartAndAsk("\"" + installed.uninstallerPath + "\"", &copy);
  ASSERT_EQ(std::string(kUninstallConfirm), ask.text);
  ASSERT_TRUE(guitest::AnswerMessageBox(ask.hwnd, IDYES));

  HWND window = guitest::WaitForWindow("DravenholtUninstallWindow", "Dravenholtビューア アンインストール",
                                       kTimeoutMs, copy.id);
  ASSERT_NE(nullptr, window);
  guitest::MessageBoxInfo done;
  ASSERT_TRUE(guitest::WaitForMessageBox(&done, kTimeoutMs, copy.id));
  EXPECT_EQ(std::string("アンインストール処理完了しました"), done.text);
  EXPECT_EQ(std::string("確認"), done.caption);
  const std::string log = guitest::GetText(guitest::FindControl(done.owner, kLogId));
  EXPECT_EQ(installed.ExpectedLog(), log);
  // The dialog lies over the program's window.
  RECT dialogRect = guitest::WindowRect(done.owner);
  RECT client = {};
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  EXPECT_EQ(origin.x, dialogRect.left);
  EXPECT_EQ(origin.y, dialogRect.top);
  EXPECT_EQ(client.right, dialogRect.right - dialogRect.left);
  Sleep(100);  // let the log paint before the picture is taken
  guitest::SaveScreenshot(window, guitest::ScreenshotPath("uninstall-done.png").c_str());
  ASSERT_TRUE(guitest::AnswerMessageBox(done.hwnd, IDOK));
  EXPECT_EQ(0u, copy.ExitCode());

  for (const std::string& path : installed.RemovedPaths()) EXPECT_FALSE(PathExists(path)) << path;
  EXPECT_FALSE(PathExists(installed.uninstallerPath));
  EXPECT_FALSE(PathExists(installed.installDir));  // empty, so it went too
  EXPECT_FALSE(InstalledViewer::RegistryLeft());
  EXPECT_TRUE(DeletionPending(copy.path));
}

TEST_F(UninstallProgram, WithoutAnInstallationItSaysSoAndRemovesNothing) {
  InstalledViewer::ForgetRegistry();
  TemporaryCopy copy;
  const std::string program = guitest::ExePathOf("sample/Uninstall.exe");
  const guitest::MessageBoxInfo box = StartAndAsk("\"" + program + "\"", &copy);
  EXPECT_EQ(std::string("Dravenholtビューアはインストールされていません"), box.text);
  EXPECT_EQ(std::string("確認"), box.caption);
  EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDOK));
  EXPECT_EQ(3u, copy.ExitCode());
  EXPECT_TRUE(PathExists(program));
}

}  // namespace
