// The main window's side of the wizard: the page steps behind Back and Next, the
// installed-version questions on the welcome page, and the start of the workers.
#include <new>

#include "app/ConfirmDlg.h"
#include "app/DiskSpaceCheckUi.h"
#include "app/InstDirDlg.h"
#include "app/ReadMeDlg.h"
#include "app/SetupMWnd.h"
#include "app/ShortCutDlg.h"
#include "app/UninstDlg2.h"
#include "app/UpdateDspDlg.h"
#include "app/WelcomeDlg.h"
#include "install/InstallFolderCheck.h"
#include "install/Preflight.h"
#include "res/Captions.h"
#include "res/ResourceIds.h"

namespace {

const char kSameVersionInstalled[] =
    "すでに同じバージョンがインストールされています\r\n上書きインストールとして続行しますか？";
const char kOlderVersionInstalled[] = "上書きインストールとして続行しますか？";
const char kUninstallFirst[] =
    "現在インストールされているバージョンを完全アンインストールしてから新規インストールを続行しますか？"
    "\r\n（この場合コンテンツ類も消去されクリーンな環境に戻されます）";
const char kUninstallFailed[] = "アンインストール中にエラーが発生しましたが、インストールを続行します";
const char kQuitting[] = "終了します";
const char kNewerVersionInstalled[] =
    "インストールしようとしているバージョンよりも\r\n新しいバージョンがすでにインストールされています"
    "\r\n一度アンインストールしてからダウングレードしてください";

const char kConfirmFolderLine[] = "●インストール先は → %s\r\n\r\n";
const char kConfirmStartMenuLine[] = "●スタートメニューに登録します\r\n\r\n";
const char kConfirmDesktopLine[] = "●デスクトップにショートカットを作成します\r\n";

// The pause after a failed uninstall, so that the installation does not race the
// removal's last effects.
constexpr DWORD kAfterUninstallFailureMs = 1000;

// Failure codes of a page or of the update display that cannot be made. Raised out of
// the window's creation they are shown as internal errors; out of a button step they
// end the program through the catch-all.
constexpr int kNoPageObject = 140;
constexpr int kNoPage = 150;
constexpr int kNoUpdateDisplayObject = 160;
constexpr int kNoUpdateDisplay = 165;

enum Page { kWelcome = 0, kReadMe = 1, kInstallFolder = 2, kShortcuts = 3, kConfirmation = 4 };

struct PageButtons {
  const char* next;
  const char* cancel;
  BOOL backEnabled;
};

const PageButtons kPageButtons[] = {
    {"次へ>", "キャンセル", FALSE},
    {"同意する", "同意しない", TRUE},
    {"次へ>", "キャンセル", TRUE},
    {"次へ>", "キャンセル", TRUE},
    {"完了", "キャンセル", TRUE},
};
const char kBackText[] = "<戻る";

template <class T>
void DeleteAndClear(T*& object) {
  delete object;
  object = nullptr;
}

// Makes the page object and its dialog in the upper pane.
template <class T, class... Args>
void OpenPage(T*& page, HWND pane, Args&... args) {
  page = new (std::nothrow) T(args...);
  if (!page) throw kNoPageObject;
  if (!page->Create(pane)) throw kNoPage;
}

}  // namespace

void cSetupMWnd::DeletePages() {
  DeleteAndClear(welcomeDlg);
  DeleteAndClear(readMeDlg);
  DeleteAndClear(instDirDlg);
  DeleteAndClear(shortCutDlg);
  DeleteAndClear(confirmDlg);
}

void cSetupMWnd::ShowPage(int index) {
  DeletePages();
  switch (index) {
    case kWelcome:
      OpenPage(welcomeDlg, upPane);
      break;
    case kReadMe:
      OpenPage(readMeDlg, upPane);
      break;
    case kInstallFolder:
      OpenPage(instDirDlg, upPane, *this);
      break;
    case kShortcuts:
      OpenPage(shortCutDlg, upPane, *this);
      break;
    case kConfirmation:
      OpenPage(confirmDlg, upPane);
      break;
    default:
      return;
  }
  const PageButtons& buttons = kPageButtons[index];
  EnableWindow(backButton, buttons.backEnabled);
  SetWindowTextA(backButton, kBackText);
  SetWindowTextA(nextButton, buttons.next);
  SetWindowTextA(cancelButton, buttons.cancel);
  SetFocus(nextButton);
}

void cSetupMWnd::NextPage() {
  // Once a worker has been started, the workers read the collected values without
  // locks: nothing may change them any more, so the steps end here (Cancel still
  // closes). The same holds before the welcome page shows and in "-ai" mode.
  if (workerStarted || pageIndex < 0) return;
  const int leaving = pageIndex++;
  switch (leaving) {
    case kWelcome:
      AskAboutInstalledVersion();
      break;
    case kReadMe:
      if (installState == kInstalledSame || installState == kInstalledOlder) {
        StartUpdateFromReadMe();
      } else {
        ShowPage(kInstallFolder);
      }
      break;
    case kInstallFolder: {
      cDiskSpaceCheckUi ui(instDirDlg ? instDirDlg->hwnd : nullptr, hwnd);
      const cInstallFolderFields fields = {installDir, requiredBytes, freeBytes, memberCount,
                                           createInstallDir, &measuredPayload};
      if (!CheckInstallFolder(&ui, fields)) {
        --pageIndex;
        return;
      }
      ShowPage(kShortcuts);
      break;
    }
    case kShortcuts:
      ShowConfirmation();
      break;
    case kConfirmation:
      StartWorkerFromPage(WORKER_INSTALL, kConfirmation);
      break;
    default:
      break;
  }
}

void cSetupMWnd::PreviousPage() {
  if (workerStarted || pageIndex < 0) return;
  --pageIndex;
  if (pageIndex < 0) {
    pageIndex = 0;
    return;
  }
  if (pageIndex > kShortcuts) return;
  // The page being left keeps nothing: an edited folder or changed boxes are dropped.
  ShowPage(pageIndex);
}

void cSetupMWnd::AskAboutInstalledVersion() {
  switch (installState) {
    case kNotInstalled:
      ShowPage(kReadMe);
      return;
    case kInstalledSame:
    case kInstalledOlder: {
      const char* question =
          installState == kInstalledSame ? kSameVersionInstalled : kOlderVersionInstalled;
      if (MessageBoxA(hwnd, question, kCaptionConfirm, MB_YESNO) != IDNO) {
        ShowPage(kReadMe);  // over-installation: installState stays
        return;
      }
      if (MessageBoxA(hwnd, kUninstallFirst, kCaptionConfirm, MB_YESNO) != IDYES) {
        MessageBoxA(hwnd, kQuitting, kCaptionConfirm, MB_OK);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        return;
      }
      cUninstDlg2 dialog;
      dialog.instance = g_instance;
      dialog.reg = reg;
      // Its worker uses reg: a close posted to this window meanwhile is refused.
      SetWorkRunning(1);
      const INT_PTR outcome = dialog.Run(hwnd);
      SetWorkRunning(0);
      if (outcome != cUninstDlg2::kResultDone) {
        MessageBoxA(hwnd, kUninstallFailed, kCaptionConfirm, MB_OK);
        Sleep(kAfterUninstallFailureMs);
      }
      installState = kNotInstalled;
      ShowPage(kReadMe);
      return;
    }
    case kInstalledNewer:
      MessageBoxA(hwnd, kNewerVersionInstalled, kCaptionConfirm, MB_OK);
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      return;
    default:
      return;
  }
}

void cSetupMWnd::OpenUpdateDisplay() {
  if (!updateDspDlg) {
    updateDspDlg = new (std::nothrow) cUpdateDspDlg();
    if (!updateDspDlg) throw kNoUpdateDisplayObject;
  }
  if (!updateDspDlg->Create(upPane)) throw kNoUpdateDisplay;
}

void cSetupMWnd::StartUpdateFromReadMe() {
  // The update's log covers the read-me page, which stays beneath it.
  OpenUpdateDisplay();
  StartWorkerFromPage(WORKER_UPDATE, kReadMe);
}

void cSetupMWnd::ShowConfirmation() {
  if (!ReadShortcutChoices()) throw kNoPage;
  ShowPage(kConfirmation);
  morstd::cMorString summary;
  summary.Format(kConfirmFolderLine, installDir.GetData() ? installDir.GetData() : "");
  if (addStartMenu) summary.Append(kConfirmStartMenuLine);
  if (addDesktop) summary.Append(kConfirmDesktopLine);
  SetDlgItemTextA(confirmDlg->hwnd, IDC_TEXT, summary.GetData());
}

int cSetupMWnd::ReadShortcutChoices() {
  if (!shortCutDlg || !shortCutDlg->hwnd) return 0;
  addStartMenu = IsDlgButtonChecked(shortCutDlg->hwnd, IDC_START_MENU) == BST_CHECKED ? 1 : 0;
  addDesktop = IsDlgButtonChecked(shortCutDlg->hwnd, IDC_DESKTOP) == BST_CHECKED ? 1 : 0;
  return 1;
}

void cSetupMWnd::StartWorkerFromPage(int kind, int page) {
  if (StartWorker(kind) == 1) {
    EnableWindow(backButton, FALSE);
    EnableWindow(nextButton, FALSE);
    return;
  }
  // Nothing runs: the page stays current, so that Next tries again.
  pageIndex = page;
  TellWorkerStartFailed(kind);
}
