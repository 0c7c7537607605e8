// The uninstall dialog in process under Wine: its template, its placement, the start
// delay, the completion handling with dummy workers, and one real uninstall of a
// hand-made installation.
#include <process.h>

#include <atomic>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "app/SetupMWnd.h"  // WM_SETUP_COMPLETE
#include "app/UninstDlg2.h"
#include "gui/lib/GuiTest.h"
#include "gui/uninstall/DialogHarness.h"
#include "gui/uninstall/InstalledViewer.h"
#include "registry/Reg.h"
#include "support/FileTree.h"

namespace uninsttest {
namespace {

constexpr int kLogId = 1001;

std::atomic<int> workerRuns{0};
std::atomic<LPARAM> workerCode{0};

// Tries to close the dialog while it runs, then reports `workerCode`.
unsigned __stdcall ClosingWorker(void* context) {
  auto* dialog = static_cast<cUninstDlg2*>(context);
  ++workerRuns;
  PostMessageA(dialog->hwnd, WM_CLOSE, 0, 0);
  PostMessageA(dialog->hwnd, WM_SETUP_COMPLETE, 1000, workerCode);
  _endthreadex(static_cast<unsigned>(workerCode));
  return 0;
}

unsigned __stdcall CountingWorker(void*) {
  ++workerRuns;
  return 0;
}

class UninstDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    workerRuns = 0;
    workerCode = 0;
    dialog.instance = GetModuleHandleA(nullptr);
    dialog.reg = &reg;
  }
  void TearDown() override { cUninstDlg2::SetWorkerProcedure(UninstallWorker); }

  OwnerWindow owner;
  cReg reg;
  cUninstDlg2 dialog;
};

// The dialog template as the executable carries it.
TEST_F(UninstDlgTest, TemplateIsAPopupWithOneReadOnlyLog) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(133), MAKEINTRESOURCEA(5));  // RT_DIALOG
  ASSERT_NE(nullptr, found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(nullptr, bytes);
  auto word = [&](size_t at) { WORD v; std::memcpy(&v, bytes + at, 2); return v; };
  auto dword = [&](size_t at) { DWORD v; std::memcpy(&v, bytes + at, 4); return v; };
  ASSERT_EQ(0xFFFF, word(2));  // extended template
  EXPECT_EQ(0x80080848u, dword(12));
  EXPECT_EQ(1, word(16));  // one control
  EXPECT_EQ(316, word(22));
  EXPECT_EQ(155, word(24));
  // Menu, class and title: none, none, empty.
  size_t at = 26;
  EXPECT_EQ(0, word(at));
  EXPECT_EQ(0, word(at + 2));
  EXPECT_EQ(0, word(at + 4));
  at += 6 + 6;  // point size, weight, italic, charset
  std::string face;
  for (; word(at) != 0; at += 2) face.push_back(static_cast<char>(word(at)));
  at += 2;
  EXPECT_EQ("MS Shell Dlg", face);
  at = (at + 3) & ~static_cast<size_t>(3);
  EXPECT_EQ(0x50A11884u, dword(at + 8));
  EXPECT_EQ(8, word(at + 12));
  EXPECT_EQ(24, word(at + 14));
  EXPECT_EQ(300, word(at + 16));
  EXPECT_EQ(114, word(at + 18));
  EXPECT_EQ(1001u, dword(at + 20));
  // The edit class, as the predefined atom or by name.
  if (word(at + 24) == 0xFFFF) {
    EXPECT_EQ(0x0081, word(at + 26));
  } else {
    std::string cls;
    for (size_t c = at + 24; word(c) != 0; c += 2) cls.push_back(static_cast<char>(word(c)));
    EXPECT_EQ(0, lstrcmpiA("EDIT", cls.c_str()));
  }
}

TEST_F(UninstDlgTest, ClosedBeforeTheStartEndsWithTwoAndTouchesNothing) {
  InstalledViewer installed("early");
  ASSERT_TRUE(installed.Create()) << installed.problem;
  RECT placed = {}, edit = {}, dialogClient = {};
  POINT origin = {0, 0};
  RECT ownerClient = {};
  owner.onPoke = [&] {
    GetWindowRect(dialog.hwnd, &placed);
    GetWindowRect(GetDlgItem(dialog.hwnd, kLogId), &edit);
    GetClientRect(dialog.hwnd, &dialogClient);
    ClientToScreen(dialog.hwnd, reinterpret_cast<POINT*>(&dialogClient.left));
    ClientToScreen(dialog.hwnd, reinterpret_cast<POINT*>(&dialogClient.right));
    PostMessageA(dialog.hwnd, WM_CLOSE, 0, 0);
  };
  GetClientRect(owner.hwnd, &ownerClient);
  ClientToScreen(owner.hwnd, &origin);
  // Handled by the dialog's modal loop as soon as it runs, long before the start timer.
  PostMessageA(owner.hwnd, WM_TEST_POKE, 0, 0);
  EXPECT_EQ(2, dialog.Run(owner.hwnd));

  // The dialog covered the owner's client area, and the log filled the dialog.
  EXPECT_EQ(origin.x, placed.left);
  EXPECT_EQ(origin.y, placed.top);
  EXPECT_EQ(ownerClient.right, placed.right - placed.left);
  EXPECT_EQ(ownerClient.bottom, placed.bottom - placed.top);
  EXPECT_EQ(dialogClient.left, edit.left);
  EXPECT_EQ(dialogClient.top, edit.top);
  EXPECT_EQ(dialogClient.right, edit.right);
  EXPECT_EQ(dialogClient.bottom, edit.bottom);

  EXPECT_EQ(0, dialog.running);
  EXPECT_EQ(nullptr, dialog.workerThread);
  for (const std::string& path : installed.RemovedPaths()) EXPECT_TRUE(dhtest::PathExists(path)) << path;
  EXPECT_TRUE(InstalledViewer::RegistryLeft());
}

TEST_F(UninstDlgTest, ClosingWhileTheWorkerRunsIsIgnoredAndSuccessEndsWithOne) {
  cUninstDlg2::SetWorkerProcedure(ClosingWorker);
  BoxWatcher watcher(1, false);
  EXPECT_EQ(1, dialog.Run(owner.hwnd));
  const auto boxes = watcher.Finish();
  EXPECT_EQ(1, workerRuns.load());
  EXPECT_EQ(1, dialog.succeeded);
  EXPECT_EQ(0, dialog.running);
  EXPECT_EQ(nullptr, dialog.workerThread);  // joined
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("アンインストール処理完了しました"), boxes[0].box.text);
  EXPECT_EQ(std::string("確認"), boxes[0].box.caption);
  EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].box.buttons);
  EXPECT_EQ(std::string("◎アンインストール処理完了しました\r\n"), boxes[0].log);
}

TEST_F(UninstDlgTest, FailedWorkerEndsWith999) {
  cUninstDlg2::SetWorkerProcedure(ClosingWorker);
  workerCode = 110;
  BoxWatcher watcher(1, false);
  EXPECT_EQ(999, dialog.Run(owner.hwnd));
  const auto boxes = watcher.Finish();
  EXPECT_EQ(0, dialog.succeeded);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("アンインストール処理に失敗しました"), boxes[0].box.text);
  EXPECT_EQ(std::string("警告"), boxes[0].box.caption);
  EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].box.buttons);
  EXPECT_EQ(std::string("×アンインストール処理に失敗しました\r\n"), boxes[0].log);
}

TEST_F(UninstDlgTest, WorkerThatCannotStartLeavesTheDialogOpenUntilClosed) {
  cUninstDlg2::SetWorkerProcedure(nullptr);
  BoxWatcher watcher(1, true);  // the user reads the box, then closes the dialog
  EXPECT_EQ(2, dialog.Run(owner.hwnd));
  const auto boxes = watcher.Finish();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("アンインストール処理スレッド開始に失敗しました"), boxes[0].box.text);
  EXPECT_EQ(std::string("警告"), boxes[0].box.caption);
  EXPECT_EQ(std::string("×アンインストール処理スレッド開始に失敗しました\r\n"), boxes[0].log);
  EXPECT_EQ(0, dialog.running);
}

TEST_F(UninstDlgTest, StartWorkerReportsARunningWorkerAndReusesAnEndedOne) {
  cUninstDlg2::SetWorkerProcedure(CountingWorker);
  ASSERT_EQ(1, dialog.StartWorker());
  WaitForSingleObject(dialog.workerThread, 10000);
  // The ended worker's handle is released and a new one started.
  EXPECT_EQ(1, dialog.StartWorker());
  dialog.StopWorker();
  EXPECT_EQ(nullptr, dialog.workerThread);
  EXPECT_EQ(0u, dialog.workerThreadId);
  EXPECT_EQ(2, workerRuns.load());
}

TEST_F(UninstDlgTest, RealUninstallLeavesOnlyTheEmptyInstallFolder) {
  InstalledViewer installed("dialog");
  ASSERT_TRUE(installed.Create()) << installed.problem;
  BoxWatcher watcher(1, false);
  EXPECT_EQ(1, dialog.Run(owner.hwnd));
  const auto boxes = watcher.Finish();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("アンインストール処理完了しました"), boxes[0].box.text);
  EXPECT_EQ(installed.ExpectedLog(), boxes[0].log);

  for (const std::string& path : installed.RemovedPaths()) EXPECT_FALSE(dhtest::PathExists(path)) << path;
  EXPECT_TRUE(dhtest::PathExists(installed.installDir));
  EXPECT_TRUE(FolderEntries(installed.installDir).empty());
  EXPECT_FALSE(InstalledViewer::RegistryLeft());
  EXPECT_EQ(installed.installDir, std::string(dialog.target.installLocation.GetData()));
}

TEST_F(UninstDlgTest, RealWorkerWithoutAnInstallationFailsWith999) {
  InstalledViewer::ForgetRegistry();
  dialog.reg = nullptr;  // the worker makes its own registry object
  BoxWatcher watcher(1, false);
  EXPECT_EQ(999, dialog.Run(owner.hwnd));
  const auto boxes = watcher.Finish();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("アンインストール処理に失敗しました"), boxes[0].box.text);
  EXPECT_EQ(std::string("アンインストール中に例外発生(100)\r\n"
                        "×アンインストール処理に失敗しました\r\n"),
            boxes[0].log);
  EXPECT_EQ(0, dialog.succeeded);
}

}  // namespace
}  // namespace uninsttest
