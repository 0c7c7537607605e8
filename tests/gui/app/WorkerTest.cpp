// The worker protocol and the completion table, with dummy worker threads, in process
// under Wine.
#include <process.h>

#include <atomic>
#include <string>

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

unsigned __stdcall StubbornWorker(void*) {
  ++dummyRuns;
  Sleep(60000);
  return 5;
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
  }
  void TearDown() override {
    AppFixture::TearDown();
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
  releaseWorker = CreateEventA(nullptr, TRUE, FALSE, nullptr);
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
  CloseHandle(releaseWorker);
}

TEST_F(WorkerTest, StartWorkerRefusesWhileOneRunsAndStopWorkerJoinsIt) {
  releaseWorker = CreateEventA(nullptr, TRUE, FALSE, nullptr);
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
  CloseHandle(releaseWorker);
}

TEST_F(WorkerTest, StopWorkerTerminatesAWorkerThatOutlivesTheWait) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, StubbornWorker);
  CreateMainWindow("");
  ASSERT_EQ(1, window->StartWorker(WORKER_INSTALL));
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), window->workerThread, GetCurrentProcess(), &copy, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  window->StopWorker();
  EXPECT_EQ(nullptr, window->workerThread);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(copy, 2000));
  DWORD code = 1;
  GetExitCodeThread(copy, &code);
  EXPECT_EQ(0u, code);  // terminated with 0, not its own 5
  CloseHandle(copy);
}

}  // namespace
}  // namespace apptest
