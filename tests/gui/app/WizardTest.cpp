// The install wizard's pages and steps, in process under Wine: the pages' controls, the
// buttons of each page, the installed-version questions, the summary, the folder
// browser and the guard while a worker runs.
#include <windows.h>

#include <commctrl.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/ConfirmDlg.h"
#include "app/InstDirDlg.h"
#include "app/ReadMeDlg.h"
#include "app/ShortCutDlg.h"
#include "app/UninstDlg2.h"
#include "app/UpdateDspDlg.h"
#include "app/WelcomeDlg.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"

namespace apptest {
namespace {

const char kUninstallQuestion[] =
    "現在インストールされているバージョンを完全アンインストールしてから新規インストールを続行しますか？"
    "\r\n（この場合コンテンツ類も消去されクリーンな環境に戻されます）";

// --- test workers ----------------------------------------------------------------------

HANDLE releaseWorker = nullptr;
std::atomic<int> workerRuns{0};

// Runs until the test releases it, so that the wizard sees a running worker.
unsigned __stdcall WaitingWorker(void*) {
  ++workerRuns;
  WaitForSingleObject(releaseWorker, 10000);
  return 0;
}

// An uninstall that fails at once: the dialog hears of code 560. A close posted to the
// main window while it runs reaches the window first, and is refused.
unsigned __stdcall FailingUninstall(void* dialog) {
  PostMessageA(g_mainWindow, WM_CLOSE, 0, 0);
  PostMessageA(static_cast<cUninstDlg2*>(dialog)->hwnd, WM_SETUP_COMPLETE, SETUP_DONE_INSTALL, 560);
  _endthreadex(560);
  return 560;
}

// --- helpers -----------------------------------------------------------------------------

// The read-me as the payload carries it: the sample text in code page 932 with CR LF.
std::string ExpectedReadMe() {
  std::ifstream file(DH_SAMPLE_README, std::ios::binary);
  std::string utf8((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string lines;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) lines += '\r';
    lines += utf8[i];
  }
  const int wide = MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), nullptr, 0);
  std::wstring text(wide, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, lines.data(), static_cast<int>(lines.size()), &text[0], wide);
  const int narrow = WideCharToMultiByte(932, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string result(narrow, '\0');
  WideCharToMultiByte(932, 0, text.data(), wide, &result[0], narrow, nullptr, nullptr);
  return result;
}

// The child of `page` showing exactly `text`; null when there is none.
HWND ChildWithText(HWND page, const std::string& text) {
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (guitest::GetText(child) == text) return child;
  }
  return nullptr;
}

std::string ClassOf(HWND control) {
  char name[64] = {};
  GetClassNameA(control, name, sizeof name);
  return name;
}

// Checks that `control` sits at the dialog-unit rectangle (x, y, width, height) of its
// page; the dialog manager converts the size, not the far corner.
void ExpectPlacedAt(HWND page, HWND control, int x, int y, int width, int height) {
  ASSERT_NE(nullptr, control);
  RECT units = {x, y, width, height};
  MapDialogRect(page, &units);
  RECT actual = guitest::WindowRect(control);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&actual), 2);
  const std::string text = guitest::GetText(control);
  EXPECT_EQ(units.left, actual.left) << text;
  EXPECT_EQ(units.top, actual.top) << text;
  EXPECT_EQ(units.right, actual.right - actual.left) << text;
  EXPECT_EQ(units.bottom, actual.bottom - actual.top) << text;
}

// A static text of the page, with its rectangle.
void ExpectStatic(HWND page, const char* text, int x, int y, int width, int height) {
  HWND control = ChildWithText(page, text);
  ASSERT_NE(nullptr, control) << text;
  EXPECT_EQ("Static", ClassOf(control));
  ExpectPlacedAt(page, control, x, y, width, height);
}

void Screenshot(HWND window, const char* name) {
  apptest::PumpFor(100);
  EXPECT_TRUE(guitest::SaveScreenshot(window, guitest::ScreenshotPath(name).c_str())) << name;
}

std::string MakeFolder(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
  char longPath[MAX_PATH] = {};
  GetLongPathNameA(path.c_str(), longPath, MAX_PATH);
  return longPath;
}

// A scratch folder under the temporary folder, made if missing, in its long form.
std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return MakeFolder(MakeFolder(std::string(temp) + "DHWizardTest") + "\\" + name);
}

class WizardTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    releaseWorker = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    workerRuns = 0;
  }
  void TearDown() override {
    SetEvent(releaseWorker);
    if (window && window->workerThread) WaitForSingleObject(window->workerThread, 5000);
    AppFixture::TearDown();
    cUninstDlg2::SetWorkerProcedure(UninstallWorker);
    CloseHandle(releaseWorker);
  }

  // The main window on its welcome page, as if the preflight checks found `state`.
  void Start(int state) {
    ASSERT_NE(nullptr, CreateMainWindow(""));
    ASSERT_EQ(0, window->pageIndex);
    window->installState = state;
  }

  // Presses a wizard button in the lower pane and waits until the step has run.
  void Press(int id) {
    ASSERT_TRUE(guitest::ClickButton(window->downPane, id)) << id;
    PumpFor(50);
  }
  void PressNextUntilPage(int index) {
    Press(ID_BUTTON_NEXT);
    ASSERT_TRUE(PumpUntil([&] { return window->pageIndex == index; }, 10000)) << index;
  }
  // A click that the disabled button cannot give: the command sent to the window.
  void Force(int id) { SendMessageA(window->hwnd, WM_COMMAND, id, 0); }

  // The wizard on the folder page, with the folder edit showing `folder`.
  void GoToFolderPage(const std::string& folder) {
    Start(0);
    window->installDir.Assign(folder.c_str());
    PressNextUntilPage(1);
    PressNextUntilPage(2);
    ASSERT_NE(nullptr, window->instDirDlg);
  }

  // The wizard on the shortcut page, past the folder check of an existing folder.
  void GoToShortcutPage() {
    installFolder = ScratchFolder("Dravenholt");
    GoToFolderPage(installFolder);
    guitest::MessageBoxAnswerer answerer(IDOK);
    PressNextUntilPage(3);
    answerer.Stop();
    EXPECT_TRUE(answerer.Boxes().empty());  // the folder exists and is taken as it is
    ASSERT_NE(nullptr, window->shortCutDlg);
  }

  void ExpectButtons(const char* next, const char* cancel, bool backEnabled) {
    EXPECT_EQ(std::string("<戻る"), guitest::GetText(window->backButton));
    EXPECT_EQ(std::string(next), guitest::GetText(window->nextButton));
    EXPECT_EQ(std::string(cancel), guitest::GetText(window->cancelButton));
    EXPECT_EQ(backEnabled, IsWindowEnabled(window->backButton) != 0);
    EXPECT_TRUE(IsWindowEnabled(window->nextButton));
    EXPECT_EQ(window->nextButton, GetFocus());
  }

  // Only the page `shown` exists, as a child of the upper pane.
  template <class Page>
  void ExpectOnlyPage(Page* shown) {
    ASSERT_NE(nullptr, shown);
    EXPECT_TRUE(IsWindow(shown->hwnd));
    EXPECT_EQ(window->upPane, GetParent(shown->hwnd));
    int pages = (window->welcomeDlg != nullptr) + (window->readMeDlg != nullptr) +
                (window->instDirDlg != nullptr) + (window->shortCutDlg != nullptr) +
                (window->confirmDlg != nullptr);
    EXPECT_EQ(1, pages);
  }

  std::string ConfirmationText() {
    return guitest::GetText(guitest::FindControl(window->confirmDlg->hwnd, 1001));
  }

  std::string installFolder;
};

// --- page steps and buttons ----------------------------------------------------------------

TEST_F(WizardTest, BackIsDisabledOnTheWelcomePageAndAForcedBackStaysThere) {
  Start(0);
  Screenshot(window->hwnd, "wizard-welcome.png");
  EXPECT_FALSE(IsWindowEnabled(window->backButton));
  EXPECT_FALSE(guitest::ClickButton(window->downPane, ID_BUTTON_BACK));
  cWelcomeDlg* welcome = window->welcomeDlg;
  Force(ID_BUTTON_BACK);
  EXPECT_EQ(0, window->pageIndex);
  EXPECT_EQ(welcome, window->welcomeDlg);
  EXPECT_TRUE(IsWindow(welcome->hwnd));
}

TEST_F(WizardTest, ReadMePageShowsThePayloadTextAndBackRecreatesTheWelcomePage) {
  Start(0);
  HWND welcome = window->welcomeDlg->hwnd;
  PressNextUntilPage(1);
  ExpectOnlyPage(window->readMeDlg);
  EXPECT_FALSE(IsWindow(welcome));  // the page left is gone with its object
  ExpectButtons("同意する", "同意しない", true);

  HWND page = window->readMeDlg->hwnd;
  HWND edit = guitest::FindControl(page, 1001);
  ASSERT_NE(nullptr, edit);
  const std::string expected = ExpectedReadMe();
  ASSERT_GT(expected.size(), 100u);
  EXPECT_EQ(expected, guitest::GetText(edit));
  const LONG style = GetWindowLongA(edit, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & WS_VSCROLL);
  // The page fills the upper pane and the edit fills the page.
  RECT pane, dialog, text;
  GetClientRect(window->upPane, &pane);
  GetClientRect(page, &dialog);
  GetWindowRect(edit, &text);
  EXPECT_EQ(pane.right, dialog.right);
  EXPECT_EQ(pane.bottom, dialog.bottom);
  EXPECT_EQ(dialog.right, text.right - text.left);
  EXPECT_EQ(dialog.bottom, text.bottom - text.top);
  Screenshot(window->hwnd, "wizard-readme.png");

  Press(ID_BUTTON_BACK);
  EXPECT_EQ(0, window->pageIndex);
  ExpectOnlyPage(window->welcomeDlg);
  ExpectButtons("次へ>", "キャンセル", false);
}

TEST_F(WizardTest, FolderPageShowsInstallDirAndItsControlsAndKeepsNoEditOnBack) {
  GoToFolderPage("C:\\Program Files\\Dravenholt");
  ExpectOnlyPage(window->instDirDlg);
  ExpectButtons("次へ>", "キャンセル", true);
  HWND page = window->instDirDlg->hwnd;
  HWND edit = guitest::FindControl(page, 1001);
  EXPECT_EQ(std::string("C:\\Program Files\\Dravenholt"), guitest::GetText(edit));
  EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_AUTOHSCROLL);
  ExpectPlacedAt(page, edit, 132, 49, 260, 14);
  HWND browse = guitest::FindControl(page, 1007);
  EXPECT_EQ(std::string("フォルダ参照"), guitest::GetText(browse));
  ExpectPlacedAt(page, browse, 269, 70, 93, 14);
  ExpectStatic(page, "インストール先ディレクトリを指定してください", 128, 18, 137, 15);
  ExpectStatic(page, "Dravenholtディレクトリが末尾につきます", 128, 32, 144, 15);
  ExpectStatic(page, "よくわからないときはデフォルト設定でそのまま「次へ>」を押してください", 129,
               112, 249, 20);
  Screenshot(window->hwnd, "wizard-folder.png");

  // An edit that was not confirmed with Next is not kept.
  SetWindowTextA(edit, "D:\\Elsewhere");
  Press(ID_BUTTON_BACK);
  EXPECT_EQ(1, window->pageIndex);
  ExpectOnlyPage(window->readMeDlg);
  ExpectButtons("同意する", "同意しない", true);
  EXPECT_EQ(std::string("C:\\Program Files\\Dravenholt"), window->installDir.GetData());
  PressNextUntilPage(2);
  EXPECT_EQ(std::string("C:\\Program Files\\Dravenholt"),
            guitest::GetText(guitest::FindControl(window->instDirDlg->hwnd, 1001)));
}

TEST_F(WizardTest, FolderCheckThatFailsKeepsTheFolderPage) {
  GoToFolderPage("");
  guitest::MessageBoxAnswerer answerer(IDOK);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return answerer.Boxes().size() == 1; }, 5000));
  PumpFor(50);
  EXPECT_EQ(std::string("インストール先を入力して下さい"), answerer.Boxes()[0].text);
  EXPECT_EQ(2, window->pageIndex);
  ExpectOnlyPage(window->instDirDlg);
}

TEST_F(WizardTest, ShortcutBoxesAndTheSummaryWithBothAndWithNoShortcut) {
  GoToShortcutPage();
  EXPECT_EQ(installFolder, window->installDir.GetData());
  EXPECT_EQ(0, window->createInstallDir);
  EXPECT_GT(window->memberCount, 0);
  EXPECT_GT(window->requiredBytes, 0u);
  ExpectOnlyPage(window->shortCutDlg);
  ExpectButtons("次へ>", "キャンセル", true);
  HWND page = window->shortCutDlg->hwnd;
  HWND startMenu = guitest::FindControl(page, 1005);
  HWND desktop = guitest::FindControl(page, 1006);
  EXPECT_EQ(std::string("スタートメニューに追加"), guitest::GetText(startMenu));
  EXPECT_EQ(std::string("デスクトップにショートカットを作る"), guitest::GetText(desktop));
  EXPECT_EQ(static_cast<LONG>(BS_AUTOCHECKBOX), GetWindowLongA(startMenu, GWL_STYLE) & BS_TYPEMASK);
  EXPECT_EQ(static_cast<LONG>(BS_AUTOCHECKBOX), GetWindowLongA(desktop, GWL_STYLE) & BS_TYPEMASK);
  ExpectPlacedAt(page, startMenu, 132, 82, 143, 18);
  ExpectPlacedAt(page, desktop, 132, 108, 153, 18);
  ExpectStatic(page, "ショートカットを作成するときはチェックを入れてください", 133, 25, 194, 13);
  ExpectStatic(page, "アプリケーションを楽に起動できますのでチェックを入れてください", 127, 49,
               230, 15);
  // A first visit shows both boxes unchecked.
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, 1005));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, 1006));
  ASSERT_TRUE(guitest::ClickButton(page, 1005));
  ASSERT_TRUE(guitest::ClickButton(page, 1006));
  PumpFor(50);
  Screenshot(window->hwnd, "wizard-shortcuts.png");

  PressNextUntilPage(4);
  EXPECT_EQ(1, window->addStartMenu);
  EXPECT_EQ(1, window->addDesktop);
  ExpectOnlyPage(window->confirmDlg);
  ExpectButtons("完了", "キャンセル", true);
  EXPECT_EQ("●インストール先は → " + installFolder +
                "\r\n\r\n●スタートメニューに登録します\r\n\r\n"
                "●デスクトップにショートカットを作成します\r\n",
            ConfirmationText());
  HWND confirm = window->confirmDlg->hwnd;
  HWND summary = guitest::FindControl(confirm, 1001);
  const LONG style = GetWindowLongA(summary, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_FALSE(style & WS_BORDER);
  ExpectPlacedAt(confirm, summary, 132, 25, 235, 68);
  ExpectStatic(confirm, "以上の設定でインストールを開始します", 132, 101, 201, 10);
  Screenshot(window->hwnd, "wizard-confirm.png");

  // Back shows the last choice; unchecking both leaves the folder line alone.
  Press(ID_BUTTON_BACK);
  EXPECT_EQ(3, window->pageIndex);
  ExpectOnlyPage(window->shortCutDlg);
  ExpectButtons("次へ>", "キャンセル", true);
  page = window->shortCutDlg->hwnd;
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, 1005));
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, 1006));
  ASSERT_TRUE(guitest::ClickButton(page, 1005));
  ASSERT_TRUE(guitest::ClickButton(page, 1006));
  PumpFor(50);
  PressNextUntilPage(4);
  EXPECT_EQ(0, window->addStartMenu);
  EXPECT_EQ(0, window->addDesktop);
  EXPECT_EQ("●インストール先は → " + installFolder + "\r\n\r\n", ConfirmationText());
}

TEST_F(WizardTest, ShortcutChoicesAreReadFromThePageOnlyAndBackDropsThem) {
  Start(0);
  window->addStartMenu = 1;
  window->addDesktop = 1;
  EXPECT_EQ(0, window->ReadShortcutChoices());  // no shortcut page: the flags stay
  EXPECT_EQ(1, window->addStartMenu);
  EXPECT_EQ(1, window->addDesktop);
  SendMessageA(window->hwnd, WM_CLOSE, 0, 0);

  GoToShortcutPage();
  HWND page = window->shortCutDlg->hwnd;
  CheckDlgButton(page, 1006, BST_CHECKED);
  EXPECT_EQ(1, window->ReadShortcutChoices());
  EXPECT_EQ(0, window->addStartMenu);
  EXPECT_EQ(1, window->addDesktop);
  CheckDlgButton(page, 1005, BST_CHECKED);
  CheckDlgButton(page, 1006, BST_UNCHECKED);
  EXPECT_EQ(1, window->ReadShortcutChoices());
  EXPECT_EQ(1, window->addStartMenu);
  EXPECT_EQ(0, window->addDesktop);

  // Back keeps nothing of the boxes: the next visit shows the flags as they were.
  ASSERT_TRUE(guitest::ClickButton(page, 1006));
  PumpFor(50);
  Press(ID_BUTTON_BACK);
  EXPECT_EQ(2, window->pageIndex);
  ExpectOnlyPage(window->instDirDlg);
  EXPECT_EQ(0, window->addDesktop);
  guitest::MessageBoxAnswerer answerer(IDOK);
  PressNextUntilPage(3);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(window->shortCutDlg->hwnd, 1005));
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(window->shortCutDlg->hwnd, 1006));
}

// --- the installed-version questions ---------------------------------------------------------

TEST_F(WizardTest, OlderVersionWithNoAndNoSaysGoodbyeAndCloses) {
  Start(2);
  guitest::MessageBoxAnswerer answerer({IDNO, IDNO}, IDOK);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
  answerer.Stop();
  auto boxes = answerer.Boxes();
  ASSERT_EQ(3u, boxes.size());
  EXPECT_EQ(std::string("上書きインストールとして続行しますか？"), boxes[0].text);
  EXPECT_EQ(std::string(kUninstallQuestion), boxes[1].text);
  EXPECT_EQ(std::string("終了します"), boxes[2].text);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), boxes[i].buttons) << i;
  }
  EXPECT_EQ(std::vector<int>{IDOK}, boxes[2].buttons);
  for (const auto& box : boxes) EXPECT_EQ(std::string("確認"), box.caption) << box.text;
  EXPECT_EQ(1, window->pageIndex);  // the step was counted before it ended the program
}

TEST_F(WizardTest, NewerVersionInstalledEndsTheProgram) {
  Start(-1);
  guitest::MessageBoxAnswerer answerer(IDOK);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
  answerer.Stop();
  auto boxes = answerer.Boxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストールしようとしているバージョンよりも\r\n新しいバージョンがすでにイン"
                        "ストールされています\r\n一度アンインストールしてからダウングレードしてください"),
            boxes[0].text);
  EXPECT_EQ(std::string("確認"), boxes[0].caption);
  EXPECT_EQ(nullptr, window->readMeDlg);
}

TEST_F(WizardTest, SameVersionWithAFailedUninstallGoesOnAsAFreshInstallation) {
  cUninstDlg2::SetWorkerProcedure(FailingUninstall);
  Start(1);
  guitest::MessageBoxAnswerer answerer({IDNO, IDYES}, IDOK);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return window->readMeDlg != nullptr; }, 15000));
  answerer.Stop();
  auto boxes = answerer.Boxes();
  ASSERT_EQ(4u, boxes.size());
  EXPECT_EQ(std::string("すでに同じバージョンがインストールされています\r\n上書きインストールとして続行しますか？"),
            boxes[0].text);
  EXPECT_EQ(std::string(kUninstallQuestion), boxes[1].text);
  EXPECT_EQ(std::string("アンインストール処理に失敗しました"), boxes[2].text);  // the dialog's own
  EXPECT_EQ(std::string("アンインストール中にエラーが発生しましたが、インストールを続行します"),
            boxes[3].text);
  EXPECT_EQ(std::string("確認"), boxes[3].caption);
  EXPECT_EQ(window->hwnd, boxes[3].owner);
  EXPECT_EQ(0, window->installState);
  EXPECT_EQ(1, window->pageIndex);
  ExpectOnlyPage(window->readMeDlg);
  ExpectButtons("同意する", "同意しない", true);
  EXPECT_FALSE(WindowGone());

  // A fresh installation: the read-me page leads to the folder page, not to an update.
  PressNextUntilPage(2);
  EXPECT_EQ(nullptr, window->updateDspDlg);
  EXPECT_EQ(0, window->workerStarted);
}

// --- workers and the guard ---------------------------------------------------------------

TEST_F(WizardTest, OverInstallationStartsTheUpdateOverTheReadMeAndLocksTheSteps) {
  cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, WaitingWorker);
  Start(1);
  guitest::MessageBoxAnswerer answerer(IDYES);
  PressNextUntilPage(1);
  EXPECT_EQ(1u, answerer.Boxes().size());
  EXPECT_EQ(1, window->installState);  // kept for the over-installation
  ExpectOnlyPage(window->readMeDlg);

  PressNextUntilPage(2);
  ASSERT_TRUE(PumpUntil([&] { return workerRuns == 1; }, 5000));
  EXPECT_EQ(1, window->workerStarted);
  ASSERT_NE(nullptr, window->updateDspDlg);
  EXPECT_EQ(window->upPane, GetParent(window->updateDspDlg->hwnd));
  EXPECT_EQ(std::string("アップデート・インストールを開始します\r\n"),
            guitest::GetText(guitest::FindControl(window->updateDspDlg->hwnd, 1001)));
  EXPECT_NE(nullptr, window->readMeDlg);  // beneath the update's log
  EXPECT_EQ(nullptr, window->instDirDlg);
  Screenshot(window->hwnd, "wizard-update.png");

  // While the worker runs, Next and Back do nothing and "同意しない" cannot close the
  // window under it.
  EXPECT_FALSE(IsWindowEnabled(window->nextButton));
  EXPECT_FALSE(IsWindowEnabled(window->backButton));
  EXPECT_EQ(std::string("同意しない"), guitest::GetText(window->cancelButton));
  EXPECT_FALSE(IsWindowEnabled(window->cancelButton));
  Force(ID_BUTTON_NEXT);
  Force(ID_BUTTON_BACK);
  Force(ID_BUTTON_CANCEL);
  PumpFor(50);
  EXPECT_FALSE(WindowGone());
  EXPECT_EQ(2, window->pageIndex);
  EXPECT_EQ(nullptr, window->instDirDlg);
  EXPECT_NE(nullptr, window->readMeDlg);
  EXPECT_EQ(1, workerRuns.load());
  answerer.Stop();
  EXPECT_EQ(1u, answerer.Boxes().size());
}

TEST_F(WizardTest, UpdateThatCannotStartSaysSoAndLeavesTheReadMePageCurrent) {
  Start(2);  // no update worker registered
  guitest::MessageBoxAnswerer answerer(IDYES);
  PressNextUntilPage(1);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return answerer.Boxes().size() == 2; }, 5000));
  PumpFor(50);
  answerer.Stop();
  EXPECT_EQ(std::string("アップデート処理スレッド開始に失敗しました"), answerer.Boxes()[1].text);
  EXPECT_EQ(std::string("警告"), answerer.Boxes()[1].caption);
  EXPECT_EQ(1, window->pageIndex);
  EXPECT_EQ(0, window->workerStarted);
  EXPECT_TRUE(IsWindowEnabled(window->nextButton));
  EXPECT_TRUE(IsWindowEnabled(window->cancelButton));  // "同意しない": nothing runs
  EXPECT_FALSE(WindowGone());
}

TEST_F(WizardTest, InstallationThatCannotStartSaysSoAndLeavesTheConfirmationCurrent) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, nullptr);
  GoToShortcutPage();
  PressNextUntilPage(4);
  guitest::MessageBoxAnswerer answerer(IDOK);
  Press(ID_BUTTON_NEXT);
  ASSERT_TRUE(PumpUntil([&] { return answerer.Boxes().size() == 1; }, 5000));
  PumpFor(50);
  answerer.Stop();
  EXPECT_EQ(std::string("インストール処理スレッド開始に失敗しました"), answerer.Boxes()[0].text);
  EXPECT_EQ(std::string("警告"), answerer.Boxes()[0].caption);
  EXPECT_EQ(4, window->pageIndex);
  EXPECT_EQ(0, window->workerStarted);
  EXPECT_TRUE(IsWindowEnabled(window->nextButton));
  EXPECT_TRUE(IsWindowEnabled(window->cancelButton));
  EXPECT_FALSE(WindowGone());
}

TEST_F(WizardTest, FinishStartsTheInstallWorkerOnceAndLocksTheSteps) {
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, WaitingWorker);
  GoToShortcutPage();
  PressNextUntilPage(4);
  PressNextUntilPage(5);
  ASSERT_TRUE(PumpUntil([&] { return workerRuns == 1; }, 5000));
  EXPECT_EQ(1, window->workerStarted);
  EXPECT_NE(nullptr, window->confirmDlg);  // the summary stays up
  EXPECT_FALSE(IsWindowEnabled(window->nextButton));
  EXPECT_FALSE(IsWindowEnabled(window->backButton));
  EXPECT_FALSE(IsWindowEnabled(window->cancelButton));
  Force(ID_BUTTON_NEXT);
  Force(ID_BUTTON_BACK);
  Force(ID_BUTTON_BACK);
  Force(ID_BUTTON_CANCEL);
  PumpFor(50);
  EXPECT_FALSE(WindowGone());
  EXPECT_EQ(5, window->pageIndex);
  EXPECT_NE(nullptr, window->confirmDlg);
  EXPECT_EQ(nullptr, window->shortCutDlg);
  EXPECT_EQ(1, workerRuns.load());
  // Once the worker has been joined (as its completion does), Cancel closes the window.
  SetEvent(releaseWorker);
  window->StopWorker();
  Press(ID_BUTTON_CANCEL);
  EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 5000));
}

// --- the folder browser ----------------------------------------------------------------------

// Waits for the shell's folder dialog of this process, and for its tree to select an
// item whose name holds `selected` (when given), notes its texts and presses a button.
class FolderBrowserAnswerer {
 public:
  FolderBrowserAnswerer(int button, const char* selected) {
    const std::string wanted = selected ? selected : "";
    thread_ = std::thread([this, button, wanted] {
      HWND browser = nullptr;
      for (int tries = 0; tries < 500 && !browser; ++tries) {
        EnumWindows(FindBrowser, reinterpret_cast<LPARAM>(&browser));
        if (!browser) Sleep(20);
      }
      if (!browser) return;
      HWND tree = nullptr;
      for (HWND child = GetWindow(browser, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts_.push_back(guitest::GetText(child));
        if (ClassOf(child) == "SysTreeView32") tree = child;
      }
      // The dialog opens at its start folder; a guard against a hang only. When it
      // did not, it is cancelled, so that nothing changes.
      bool reached = wanted.empty();
      for (int tries = 0; tries < 250 && !reached; ++tries) {
        caret_ = SelectedName(tree);
        reached = caret_.find(wanted) != std::string::npos;
        if (!reached) Sleep(20);
      }
      reached_ = reached;
      PostMessageA(browser, WM_COMMAND, reached ? button : IDCANCEL, 0);
      seen_ = true;
    });
  }
  ~FolderBrowserAnswerer() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool Seen() const { return seen_; }
  // Whether the dialog showed the wanted selection (and was answered as asked).
  bool Reached() const { return reached_; }
  const std::string& Caret() const { return caret_; }
  const std::vector<std::string>& Texts() const { return texts_; }

 private:
  static BOOL CALLBACK FindBrowser(HWND hwnd, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd) || ClassOf(hwnd) != "#32770")
      return TRUE;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassOf(child) == "SysTreeView32") {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
      }
    }
    return TRUE;
  }

  static std::string SelectedName(HWND tree) {
    char name[MAX_PATH] = {};
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = name;
    item.cchTextMax = MAX_PATH;
    if (!item.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return "";
    return name;
  }

  std::thread thread_;
  std::atomic<bool> seen_{false};
  std::atomic<bool> reached_{false};
  std::vector<std::string> texts_;
  std::string caret_;
};

class FolderBrowseTest : public WizardTest {
 protected:
  // Starts the browser from the folder page with `start` in the edit and answers it once
  // it shows `selected`. Wine's folder dialog now and then loses its first selection
  // to a late refresh of its tree, so a dialog that never showed it is cancelled and
  // opened once more.
  void Browse(const std::string& start, int button, const char* selected) {
    HWND page = window->instDirDlg->hwnd;
    for (int attempt = 0; attempt < 2; ++attempt) {
      SetWindowTextA(guitest::FindControl(page, 1001), start.c_str());
      FolderBrowserAnswerer browser(button, selected);
      ASSERT_TRUE(guitest::ClickButton(page, 1007));
      ASSERT_TRUE(PumpUntil([&] { return browser.Seen(); }, 15000));
      PumpFor(200);
      browser.Join();
      texts = browser.Texts();
      if (browser.Reached()) return;
      lastCaret = browser.Caret();
    }
    ADD_FAILURE() << "the folder dialog did not open at " << start << " but at " << lastCaret;
  }
  std::string lastCaret;
  std::string FolderEdit() {
    return guitest::GetText(guitest::FindControl(window->instDirDlg->hwnd, 1001));
  }
  std::vector<std::string> texts;
};

TEST_F(FolderBrowseTest, ChosenFolderGetsTheProductFolderByTheSuffixRule) {
  const std::string apps = ScratchFolder("Apps");
  const std::string lower = MakeFolder(apps + "\\dravenholt");
  GoToFolderPage("C:\\Program Files\\Dravenholt");

  Browse(apps, IDOK, "Apps");
  EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "フォルダを選択してください"));
  EXPECT_EQ(apps + "\\Dravenholt", window->installDir.GetData());
  EXPECT_EQ(apps + "\\Dravenholt", FolderEdit());

  // The last name already is the product folder, in another case: taken as it is.
  Browse(lower, IDOK, "dravenholt");
  EXPECT_EQ(lower, window->installDir.GetData());
  EXPECT_EQ(lower, FolderEdit());

  // A drive root takes the product folder without a second backslash.
  Browse("C:\\", IDOK, "C:");
  EXPECT_EQ(std::string("C:\\Dravenholt"), window->installDir.GetData());
  EXPECT_EQ(std::string("C:\\Dravenholt"), FolderEdit());

  // Cancel changes nothing.
  Browse(apps, IDCANCEL, nullptr);
  EXPECT_EQ(std::string("C:\\Dravenholt"), window->installDir.GetData());
  EXPECT_EQ(apps, FolderEdit());  // the edit keeps what was typed
}

}  // namespace
}  // namespace apptest
