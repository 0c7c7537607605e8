#include "UninstallFlow.h"

#include "UninstallWindow.h"
#include "app/UninstDlg2.h"
#include "registry/Reg.h"
#include "res/Captions.h"

namespace {

const char kConfirm[] =
    "Dravenholtビューアを完全アンインストールしますか？\r\n"
    "（コンテンツ類も消去されクリーンな環境に戻されます）";
const char kNotInstalled[] = "Dravenholtビューアはインストールされていません";
const char kNoWindow[] = "アンインストール画面の作成に失敗しました";

}  // namespace

cUninstallOutcome RunUninstallFlow(HINSTANCE instance) {
  cUninstallOutcome outcome;
  cReg reg;
  reg.ReadInstalledInfo();
  if (reg.notInstalled) {
    MessageBoxA(nullptr, kNotInstalled, kCaptionConfirm, MB_OK);
    outcome.exitCode = kExitNotInstalled;
    return outcome;
  }
  if (MessageBoxA(nullptr, kConfirm, kCaptionConfirm, MB_YESNO) != IDYES) {
    outcome.exitCode = kExitCancelled;
    return outcome;
  }
  HWND window = CreateUninstallWindow(instance);
  if (!window) {
    MessageBoxA(nullptr, kNoWindow, kCaptionWarning, MB_ICONERROR);
    outcome.exitCode = kExitNoWindow;
    return outcome;
  }
  cUninstDlg2 dialog;
  dialog.instance = instance;
  dialog.reg = &reg;
  dialog.coverWindow = window;
  const INT_PTR result = dialog.Run(window);
  if (dialog.target.installLocation.GetLength() > 0) {
    outcome.installFolder = dialog.target.installLocation.GetData();
  }
  switch (result) {
    case cUninstDlg2::kResultDone:
      outcome.exitCode = kExitRemoved;
      break;
    case cUninstDlg2::kResultFailed:
      outcome.exitCode = kExitFailed;
      break;
    case cUninstDlg2::kResultClosed:
      outcome.exitCode = kExitClosed;
      break;
    default:
      MessageBoxA(window, kNoWindow, kCaptionWarning, MB_ICONERROR);
      outcome.exitCode = kExitNoWindow;
      break;
  }
  DestroyWindow(window);
  return outcome;
}
