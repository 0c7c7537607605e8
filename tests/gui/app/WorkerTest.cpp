// The worker protocol and the completion table, with dummy worker threads, in process
// under Wine.
#include <process.h>

#include <atomic>
#include <string>

#include "app/ShutdownBlock.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"
#include "registry/Reg.h"

namespace apptest {
namespace {

// What the dummy worker posts when it ends.
std::atomic<WPARAM> postedWhich{0};
std::atomic<LPARAM> postedCode{0};
std::atomic<int> dummyRuns{0};
HANDLE releaseWorker = nullptr;

unsigned __stdcall PostingWorker(void* context) {
  auto* owner = static_cast<cSetupMWnd*>(context);
  ++dummyRuns;
  PostMessageA(owner->hwnd, WM_SETUP_COMPLETE, postedWhich, postedCode);
  _endthreadex(static_cast<unsigned>(postedCode));
  return 0;
}

unsigned __stdcall WaitingWorker(void*) {
  ++dummyRuns;
  WaitForSingleObject(releaseWorker, INFINITE);
  return 7;
}

// Longer than the wait the main window once gave a worker before it cut it short.
constexpr DWORD kPastTheOldLimitMs = 3500;
const char kSentWhileWaitedFor[] = "sent while waited for";

// A long step, then a log line sent to the interface thread's window as the update
// worker sends its lines.
unsigned __stdcall LongWorker(void* context) {
  auto* owner = static_cast<cSetupMWnd*>(context);
  ++dummyRuns;
  Sleep(kPastTheOldLimitMs);
  SendMessageA(owner->upPane, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kSentWhileWaitedFor));
  return 5;
}

// The reason given to the system while a log-off or shutdown is refused.
HWND reasonWindow = nullptr;
std::wstring reason;
BOOL WINAPI RecordReason(HWND window, LPCWSTR text) {
  reasonWindow = window;
  reason = text;
  return TRUE;
}
BOOL WINAPI ForgetReason(HWND window) {
  if (window == reasonWindow) reason.clear();
  return TRUE;
}

void ForgetUpdateResult() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, "UpdateSuccess");
    RegCloseKey(key);
  }
}

class WorkerTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    dummyRuns = 0;
    ForgetUpdateResult();
    releaseWorker = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    reasonWindow = nullptr;
    reason.clear();
    SetShutdownReasonFunctions(RecordReason, ForgetReason);
  }
  void TearDown() override {
    SetEvent(releaseWorker);  // the window's end waits for its worker
    AppFixture::TearDown();
    SetShutdownReasonFunctions(nullptr, nullptr);
    CloseHandle(releaseWorker);
    ForgetUpdateResult();
  }

  // Posts a completion as a worker would and returns the boxes shown until the
  // window was destroyed.
  std::vector<guitest::MessageBoxInfo> Complete(const char* commandLine, WPARAM which, LPARAM code) {
    guitest::MessageBoxAnswerer answerer(IDOK);
    lastMain = CreateMainWindow(commandLine);
    if (lstrcmpA(commandLine, "-ai") == 0) KillTimer(window->hwnd, ID_TIMER_UPDATE_START);
    PostMessageA(window->hwnd, WM_SETUP_COMPLETE, which, code);
    EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
    answerer.Stop();
    return answerer.Boxes();
  }

  HWND lastMain = nullptr;
};

TEST_F(WorkerTest, InstallSuccessAndFailureMessages) {
  auto boxes = Complete("", SETUP_DONE_INSTALL, 0);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストール完了しました"), boxes[0].text);
  EXPECT_EQ(std::string("確認"), boxes[0].caption);
  EXPECT_EQ(lastMain, boxes[0].owner);
  EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].buttons);

  boxes = Complete("", SETUP_DONE_INSTALL, 560);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストールに失敗しました(560)"), boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(lastMain, boxes[0].owner);
}

TEST_F(WorkerTest, InteractiveUpdateSuccessShowsTheDoneMessageWithoutRelaunch) {
  auto boxes = Complete("", SETUP_DONE_UPDATE, 0);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストール完了しました"), boxes[0].text);
  EXPECT_EQ(std::string("確認"), boxes[0].caption);
  EXPECT_EQ(-12345, ReadUpdateResult());
}

TEST_F(WorkerTest, UpdateFatalFailureRecords999OnlyInSilentMode) {
  const std::string fatal =
      "上書きインストール中に致命的エラーが発生しました(999)\r\n大変ご迷惑をおかけします\r\n"
      "現状のビューアをアンインストール後、最新版をダウンロードしてインストールしてください";
  auto boxes = Complete("", SETUP_DONE_UPDATE, 999);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(fatal, boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(-12345, ReadUpdateResult());

  boxes = Complete("-ai", SETUP_DONE_UPDATE, 999);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(fatal, boxes[0].text);
  EXPECT_EQ(999, ReadUpdateResult());
}

TEST_F(WorkerTest, UpdateFailureShowsItsCodeAndRecordsZeroInSilentMode) {
  auto boxes = Complete("-ai", SETUP_DONE_UPDATE, 30010);
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("上書きインストール中にエラーが発生し、最新版インストールは失敗しました(30010)"),
            boxes[0].text);
  EXPECT_EQ(std::string("警告"), boxes[0].caption);
  EXPECT_EQ(0, ReadUpdateResult());
}

TEST_F(WorkerTest, UnknownCompletionClosesWithoutAMessage) {
  auto boxes = Complete("", 3000, 5);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(WorkerTest, SilentUpdateSuccessRelaunchesTheViewerWithoutAMessage) {
  // A viewer folder with the stand-in viewer in it.
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "dhsetup-relaunch " + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string viewer = folder + "\\DHViewer.exe";
  ASSERT_TRUE(CopyFileA(DH_FAKE_VIEWER, viewer.c_str(), FALSE)) << DH_FAKE_VIEWER;
  std::string record = folder + "\\cmdline.txt";
  DeleteFileA(record.c_str());

  guitest::MessageBoxAnswerer answerer(IDOK);
  CreateMainWindow("-ai");
  KillTimer(window->hwnd, ID_TIMER_UPDATE_START);
  window->reg->installLocation.Assign(folder.c_str());
  PostMessageA(window->hwnd, WM_SETUP_COMPLETE, SETUP_DONE_UPDATE, 0);
  ASSERT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
  ASSERT_TRUE(PumpUntil([&] { return GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES; },
                        10000));
  PumpFor(200);
  answerer.Stop();
  EXPECT_TRUE(answerer.Boxes().empty());

  HANDLE file = CreateFileA(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  char line[1024] = {};
  DWORD read = 0;
  ReadFile(file, line, sizeof line - 1, &read, nullptr);
  CloseHandle(file);
  EXPECT_EQ("\"" + viewer + "\" -ai", std::string(line, read));
  EXPECT_EQ(-12345, ReadUpdateResult());

  DeleteFileA(record.c_str());
  DeleteFileA(viewer.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(WorkerTest, TimerStartsTheUpdateWorkerOnceAndItsCompletionEndsTheRun) {
  cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, PostingWorker);
  postedWhich = SETUP_DONE_UPDATE;
  postedCode = 30020;
  guitest::MessageBoxAnswerer answerer(IDOK);
  CreateMainWindow("-ai");
  ASSERT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
  answerer.Stop();
  EXPECT_EQ(1, dummyRuns.load());
  EXPECT_EQ(1, window->workerStarted);
  EXPECT_EQ(nullptr, window->workerThread);  // joined and closed
  ASSERT_EQ(1u, answerer.Boxes().size());
  EXPECT_EQ(std::string("上書きインストール中にエラーが発生し、最新版インストールは失敗しました(30020)"),
            answerer.Boxes()[0].text);
  EXPECT_EQ(0, ReadUpdateResult());
}

TEST_F(WorkerTest, SecondTimerTickAfterTheWorkerStartedDoesNothing) {
  cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, WaitingWorker);
  CreateMainWindow("-ai");
  ASSERT_TRUE(PumpUntil([&] { return window->workerStarted == 1; }, 3000));
  HANDLE first = window->workerThread;
  SendMessageA(window->hwnd, WM_TIMER, ID_TIMER_UPDATE_START, 0);
  PumpFor(100);
  EXPECT_EQ(first, window->workerThread);
  EXPECT_EQ(1, dummyRuns.load());
  SetEvent(releaseWorker);
  window->StopWorker();
}

TEST_F(WorkerTest, StartWorkerRefusesWhileOneRunsAndStopWorkerJoinsIt) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, WaitingWorker);
  CreateMainWindow("");
  EXPECT_EQ(1, window->StartWorker(WORKER_INSTALL));
  EXPECT_NE(0u, window->workerThreadId);
  EXPECT_EQ(0, window->StartWorker(WORKER_INSTALL));  // still running: nothing started
  SetEvent(releaseWorker);
  window->StopWorker();
  EXPECT_EQ(nullptr, window->workerThread);
  EXPECT_EQ(0u, window->workerThreadId);
  EXPECT_EQ(1, dummyRuns.load());
  // A kind without a thread procedure cannot be started.
  EXPECT_EQ(-3, window->StartWorker(WORKER_UPDATE));
  EXPECT_EQ(-3, window->StartWorker(7));
}

TEST_F(WorkerTest, StopWorkerWaitsForTheWorkersOwnEndAndHandlesWhatItSends) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, LongWorker);
  CreateMainWindow("");
  ASSERT_EQ(1, window->StartWorker(WORKER_INSTALL));
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), window->workerThread, GetCurrentProcess(), &copy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  window->StopWorker();
  EXPECT_EQ(nullptr, window->workerThread);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy, 0));
  DWORD code = 0;
  GetExitCodeThread(copy, &code);
  EXPECT_EQ(5u, code);  // its own end, not cut short
  EXPECT_EQ(std::string(kSentWhileWaitedFor), guitest::GetText(window->upPane));
  CloseHandle(copy);
}

TEST_F(WorkerTest, WhileAWorkerRunsTheWindowRefusesToCloseAndTheSessionToEnd) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, WaitingWorker);
  HWND main = CreateMainWindow("");
  ASSERT_NE(nullptr, main);
  HMENU systemMenu = GetSystemMenu(main, FALSE);
  auto closeBoxGreyed = [&] {
    return (GetMenuState(systemMenu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED) != 0;
  };
  auto sessionMayEnd = [&] { return SendMessageA(main, WM_QUERYENDSESSION, 0, 0) != FALSE; };
  EXPECT_TRUE(IsWindowEnabled(window->cancelButton));
  EXPECT_FALSE(closeBoxGreyed());
  EXPECT_TRUE(sessionMayEnd());

  ASSERT_EQ(1, window->StartWorker(WORKER_INSTALL));
  EXPECT_FALSE(IsWindowEnabled(window->cancelButton));
  EXPECT_TRUE(closeBoxGreyed());
  EXPECT_FALSE(sessionMayEnd());
  EXPECT_FALSE(SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(main, reasonWindow);
  EXPECT_EQ(std::wstring(L"インストール中です"), reason);
  // The close box, Alt+F4, a sent and a posted close and a forced Cancel: all refused,
  // and nothing the worker uses is released.
  SendMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  SendMessageA(main, WM_CLOSE, 0, 0);
  PostMessageA(main, WM_CLOSE, 0, 0);
  SendMessageA(main, WM_COMMAND, ID_BUTTON_CANCEL, 0);
  PumpFor(50);
  EXPECT_FALSE(WindowGone());
  EXPECT_NE(nullptr, window->reg);
  EXPECT_NE(nullptr, window->welcomeDlg);

  // Once it has been joined, everything closes as before.
  SetEvent(releaseWorker);
  window->StopWorker();
  EXPECT_TRUE(IsWindowEnabled(window->cancelButton));
  EXPECT_FALSE(closeBoxGreyed());
  EXPECT_TRUE(sessionMayEnd());
  EXPECT_TRUE(reason.empty());
  SendMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WindowGone());
  EXPECT_EQ(nullptr, window->reg);
}

}  // namespace
}  // namespace apptest
