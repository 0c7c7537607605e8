// WM_CREATE failures: this test program is linked without the dialog resources, so the
// first page (interactive) or the update display ("-ai") cannot be made. And a main
// window that cannot be created at all ends the run.
#include <string>

#include "app/SetupMain.h"
#include "gui/app/AppFixture.h"

namespace apptest {
namespace {

const char kMutexName[] = "DHViewer Setup 01 by K.Morvale";

// Lets no window of the object `refused` be created.
cSetupMWnd* refused = nullptr;
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND &&
      reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpCreateParams == refused) {
    return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Ends a message loop that runs on without a window, so that the test fails rather
// than hangs.
void CALLBACK QuitTheLoop(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

class CreateFailureTest : public AppFixture {
 protected:
  std::vector<guitest::MessageBoxInfo> CreateAndClose(const char* commandLine) {
    guitest::MessageBoxAnswerer answerer(IDOK);
    CreateMainWindow(commandLine);
    EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
    answerer.Stop();
    return answerer.Boxes();
  }
};

TEST_F(CreateFailureTest, MissingWelcomePageIsCode150AndClosesTheWindow) {
  auto boxes = CreateAndClose("");
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("内部エラーのためインストール続行不能です(150)"), boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(nullptr, window->welcomeDlg);  // released with the window
}

TEST_F(CreateFailureTest, MissingUpdateDisplayIsCode165AndStartsNoTimer) {
  auto boxes = CreateAndClose("-ai");
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("内部エラーのためインストール続行不能です(165)"), boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(0, window->workerStarted);
}

TEST_F(CreateFailureTest, MainWindowThatCannotBeCreatedEndsTheRunAndReleasesTheMutex) {
  cSetupMWnd mainWindow;
  refused = &mainWindow;
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, QuitTheLoop);
  guitest::MessageBoxAnswerer answerer(IDOK);
  const int code = RunSetup(mainWindow, GetModuleHandleA(nullptr), "");
  answerer.Stop();
  KillTimer(nullptr, guard);
  UnhookWindowsHookEx(hook);

  EXPECT_EQ(-2, code);
  EXPECT_EQ(nullptr, mainWindow.hwnd);
  const auto boxes = answerer.Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(0u, boxes[0].text.find("CreateWindowEx失敗 Err=")) << boxes[0].text;
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  // A later start is not turned away.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  EXPECT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  CloseHandle(mutex);
}

}  // namespace
}  // namespace apptest
