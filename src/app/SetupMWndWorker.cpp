// The main window's side of the worker protocol: starting and stopping the one worker
// thread, the "-ai" start timer, the completion table and the viewer's relaunch.
#include "app/SetupMWnd.h"
#include "app/ShutdownBlock.h"
#include "app/WorkerThread.h"
#include "registry/Reg.h"
#include "res/Captions.h"
#include "update/UpdateSequence.h"

namespace {

const char kViewerExe[] = "DHViewer.exe";
const char kViewerCommandLine[] = "\"%s\\%s\" -ai";
const char kUpdateThreadFailed[] = "アップデート処理スレッド開始に失敗しました";
// Said when the confirmed installation cannot start its thread; the wizard stays on its
// last page so that "完了" can be pressed again.
const char kInstallThreadFailed[] = "インストール処理スレッド開始に失敗しました";
const char kInstallDone[] = "インストール完了しました";
const char kInstallFailed[] = "インストールに失敗しました(%s)";
const char kUpdateFatal[] =
    "上書きインストール中に致命的エラーが発生しました(999)\r\n大変ご迷惑をおかけします\r\n"
    "現状のビューアをアンインストール後、最新版をダウンロードしてインストールしてください";
const char kUpdateFailed[] = "上書きインストール中にエラーが発生し、最新版インストールは失敗しました(%s)";

WorkerProc workerProcedures[2] = {nullptr, nullptr};

// Shows a failure text whose placeholder takes the code in decimal.
void ShowCodedFailure(HWND owner, const char* format, LPARAM code) {
  char number[24];
  wsprintfA(number, "%d", static_cast<int>(code));
  char text[512];
  wsprintfA(text, format, number);
  MessageBoxA(owner, text, kCaptionWarning, MB_ICONERROR);
}

}  // namespace

void cSetupMWnd::SetWorkerProcedure(int kind, WorkerProc procedure) {
  if (kind == WORKER_UPDATE || kind == WORKER_INSTALL) workerProcedures[kind] = procedure;
}

int cSetupMWnd::StartWorker(int kind) {
  WorkerProc procedure =
      (kind == WORKER_UPDATE || kind == WORKER_INSTALL) ? workerProcedures[kind] : nullptr;
  const int result =
      StartWorkerThread(&workerThread, &workerThreadId, procedure, this, &workerStarted);
  // Its completion is handled on this thread, after this returns.
  if (result == 1) SetWorkRunning(1);
  return result;
}

void cSetupMWnd::StopWorker() {
  StopWorkerThread(&workerThread, &workerThreadId);
  if (workRunning) SetWorkRunning(0);
}

void cSetupMWnd::SetWorkRunning(int running) {
  workRunning = running;
  if (!hwnd || !IsWindow(hwnd)) return;
  // Cancel ("同意しない" on the read-me page) and the close box would only be refused.
  if (cancelButton) EnableWindow(cancelButton, running ? FALSE : TRUE);
  EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE,
                 MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED));
  if (running) {
    BlockShutdown(hwnd);
  } else {
    AllowShutdown(hwnd);
  }
}

int cSetupMWnd::LaunchViewerForUpdate() {
  if (!reg) return 0;
  char commandLineText[MAX_PATH * 2 + 16];
  if (reg->installLocation.GetLength() + lstrlenA(kViewerExe) + 8 >
      static_cast<int>(sizeof commandLineText)) {
    return 0;
  }
  wsprintfA(commandLineText, kViewerCommandLine, reg->installLocation.GetData(), kViewerExe);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLineText, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return 0;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

void cSetupMWnd::OnTimer(UINT_PTR id) {
  if (id != ID_TIMER_UPDATE_START) return;
  KillTimer(hwnd, ID_TIMER_UPDATE_START);
  if (workerStarted) return;
  if (StartWorker(WORKER_UPDATE) < 0) TellWorkerStartFailed(WORKER_UPDATE);
}

void cSetupMWnd::TellWorkerStartFailed(int kind) {
  MessageBoxA(hwnd, kind == WORKER_UPDATE ? kUpdateThreadFailed : kInstallThreadFailed,
              kCaptionWarning, MB_ICONERROR);
}

void cSetupMWnd::OnSetupComplete(WPARAM wParam, LPARAM lParam) {
  StopWorker();
  switch (LOWORD(wParam)) {
    case SETUP_DONE_INSTALL:
      if (lParam == 0) {
        MessageBoxA(hwnd, kInstallDone, kCaptionConfirm, MB_OK);
      } else {
        ShowCodedFailure(hwnd, kInstallFailed, lParam);
      }
      break;
    case SETUP_DONE_UPDATE:
      if (lParam == 0) {
        if (IsUpdateMode()) {
          LaunchViewerForUpdate();
        } else {
          MessageBoxA(hwnd, kInstallDone, kCaptionConfirm, MB_OK);
        }
      } else if (lParam == kUpdateRestoreFailed) {
        MessageBoxA(hwnd, kUpdateFatal, kCaptionWarning, MB_ICONERROR);
        if (IsUpdateMode()) WriteUpdateResult(kUpdateRestoreFailed);
      } else {
        ShowCodedFailure(hwnd, kUpdateFailed, lParam);
        if (IsUpdateMode()) WriteUpdateResult(0);
      }
      break;
    default:
      break;
  }
  DestroyWindow(hwnd);
}
