#include "app/UninstDlg2.h"

#include "app/LogPane.h"
#include "app/SetupMWnd.h"  // WM_SETUP_COMPLETE
#include "app/WorkerThread.h"
#include "res/Captions.h"

namespace {

const char kStartFailedLine[] = "×アンインストール処理スレッド開始に失敗しました\r\n";
const char kStartFailed[] = "アンインストール処理スレッド開始に失敗しました";
const char kDoneLine[] = "◎アンインストール処理完了しました\r\n";
const char kDone[] = "アンインストール処理完了しました";
const char kFailedLine[] = "×アンインストール処理に失敗しました\r\n";
const char kFailed[] = "アンインストール処理に失敗しました";

// The worker starts once the dialog has been shown for a moment; until then the user
// may still close it and nothing is touched.
constexpr UINT_PTR kStartTimer = 100;
constexpr UINT kStartDelayMs = 500;

cUninstDlg2::WorkerProc workerProcedure = UninstallWorker;

}  // namespace

cUninstDlg2::cUninstDlg2() = default;

cUninstDlg2::~cUninstDlg2() { StopWorker(); }

void cUninstDlg2::SetWorkerProcedure(WorkerProc procedure) { workerProcedure = procedure; }

INT_PTR cUninstDlg2::Run(HWND owner) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(kDialogId), owner, StaticDialogProc,
                         reinterpret_cast<LPARAM>(static_cast<BaseDialog*>(this)));
}

INT_PTR cUninstDlg2::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      PlaceOverMainWindow();
      return 1;
    case WM_CLOSE:
      // Once the worker runs, the removal is seen through to its end.
      if (!running) EndDialog(hwnd, kResultClosed);
      return 1;
    case WM_TIMER:
      OnTimer(wParam);
      return 1;
    case WM_SETUP_COMPLETE:
      OnSetupComplete(lParam);
      return 1;
    default:
      return 0;
  }
}

void cUninstDlg2::PlaceOverMainWindow() {
  HWND cover = coverWindow ? coverWindow : GetWindow(hwnd, GW_OWNER);
  RECT client = {};
  POINT origin = {0, 0};
  // Without a window to cover, the dialog keeps its template's place and size.
  if (cover && GetClientRect(cover, &client) && ClientToScreen(cover, &origin)) {
    MoveWindow(hwnd, origin.x, origin.y, client.right - client.left, client.bottom - client.top,
               TRUE);
  }
  RECT own = {};
  GetClientRect(hwnd, &own);
  MoveWindow(GetDlgItem(hwnd, IDC_TEXT), 0, 0, own.right - own.left, own.bottom - own.top, TRUE);
  SetTimer(hwnd, kStartTimer, kStartDelayMs, nullptr);
}

void cUninstDlg2::OnTimer(UINT_PTR id) {
  if (id != kStartTimer) return;
  KillTimer(hwnd, kStartTimer);
  if (running) return;
  if (StartWorker() < 0) {
    Log(kStartFailedLine);
    MessageBoxA(hwnd, kStartFailed, kCaptionWarning, MB_ICONERROR);
  }
}

void cUninstDlg2::OnSetupComplete(LPARAM code) {
  StopWorker();
  running = 0;
  if (code == 0) {
    Log(kDoneLine);
    MessageBoxA(hwnd, kDone, kCaptionConfirm, MB_OK);
    succeeded = 1;
    EndDialog(hwnd, kResultDone);
  } else {
    Log(kFailedLine);
    MessageBoxA(hwnd, kFailed, kCaptionWarning, MB_ICONERROR);
    succeeded = 0;
    EndDialog(hwnd, kResultFailed);
  }
}

void cUninstDlg2::Log(const char* text) { AppendLog(hwnd, IDC_TEXT, 0, "%s", text); }

int cUninstDlg2::StartWorker() {
  return StartWorkerThread(&workerThread, &workerThreadId, workerProcedure, this, &running);
}

void cUninstDlg2::StopWorker() { StopWorkerThread(&workerThread, &workerThreadId); }
