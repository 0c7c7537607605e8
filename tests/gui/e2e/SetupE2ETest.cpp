#include "gui/e2e/SetupE2ETest.h"

#include <shlobj.h>

#include <cstdlib>
#include <functional>

#include "support/FileBytes.h"
#include "support/FileTree.h"
#include "gui/e2e/RegistryReads.h"

namespace e2e {
namespace {

const char kMainClass[] = "MainWindowClass For DHViewSetup";
const char kLinkName[] = "Dravenholtビューア.lnk";
const int kProgressBar = 1002;

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  std::string folder = path;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string TempFolder() {
  char path[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, path);
  return path;  // ends in a backslash
}

// Polls a condition; the timeout only guards against a hang.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

struct TextsQuery {
  int id;
  std::string texts;
};

// A named callback: the 32-bit build cannot pass a lambda as a stdcall procedure.
BOOL CALLBACK CollectTexts(HWND child, LPARAM param) {
  TextsQuery* query = reinterpret_cast<TextsQuery*>(param);
  if (GetDlgCtrlID(child) == query->id) query->texts += guitest::GetText(child);
  return TRUE;
}

struct ProgressQuery {
  DWORD processId;
  HWND found;
};

// The install progress dialog: a top-level dialog of the installer with the bar 1002.
BOOL CALLBACK FindProgressDialog(HWND window, LPARAM param) {
  ProgressQuery* query = reinterpret_cast<ProgressQuery*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == query->processId && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0 &&
      guitest::FindControl(window, kProgressBar) != nullptr) {
    query->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void SetupE2ETest::SetUp() { RemoveInstallation(); }

void SetupE2ETest::TearDown() {
  setup_.Terminate();
  RemoveInstallation();
}

std::string SetupE2ETest::InstallDir() { return ShellFolder(CSIDL_PROGRAM_FILES) + "\\Dravenholt"; }
std::string SetupE2ETest::ViewerDir() { return InstallDir() + "\\Viewer"; }
std::string SetupE2ETest::AppDataDir() { return ShellFolder(CSIDL_APPDATA) + "\\Dravenholt"; }
std::string SetupE2ETest::DataViewerDir() { return AppDataDir() + "\\Viewer"; }
std::string SetupE2ETest::ContentsDir() {
  return ShellFolder(CSIDL_PERSONAL) + "\\Dravenholt\\Contents";
}
std::string SetupE2ETest::StartMenuLink() {
  return ShellFolder(CSIDL_PROGRAMS) + "\\Dravenholt\\" + kLinkName;
}
std::string SetupE2ETest::DesktopLink() {
  return ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + kLinkName;
}

std::string SetupE2ETest::BackupFolder() { return TempFolder() + "Dravenholt"; }

void SetupE2ETest::RemoveInstallation() {
  dhtest::DeleteTree(InstallDir());
  dhtest::DeleteTree(AppDataDir());
  dhtest::DeleteTree(ShellFolder(CSIDL_PERSONAL) + "\\Dravenholt");
  dhtest::DeleteTree(ShellFolder(CSIDL_PROGRAMS) + "\\Dravenholt");
  DeleteFileA(DesktopLink().c_str());
  dhtest::DeleteTree(BackupFolder());
  DeleteKeyTree(HKEY_CURRENT_USER, kVendorKey);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  DeleteValue(HKEY_CURRENT_USER, kBrowserEmulationKey, "DHViewer.exe");
}

void SetupE2ETest::StartSetup(const char* arguments, bool waitForMainWindow) {
  // DH_SETUP_EXE_UNDER_TEST names another copy of the same build: the signed one.
  const char* other = getenv("DH_SETUP_EXE_UNDER_TEST");
  std::string line = std::string("\"") + (other && *other ? other : DH_SETUP_EXE) + "\"";
  if (arguments != nullptr) line += std::string(" ") + arguments;
  ASSERT_TRUE(setup_.Start(line)) << line;
  if (waitForMainWindow) {
    ASSERT_NO_FATAL_FAILURE(WaitForMainWindow());
  }
}

void SetupE2ETest::WaitForMainWindow() {
  main_ = guitest::WaitForWindow(kMainClass, nullptr, kStepTimeoutMs, setup_.Id());
  ASSERT_NE(nullptr, main_) << "no main window";
}

DWORD SetupE2ETest::ExitCode() {
  DWORD code = STILL_ACTIVE;
  if (!setup_.WaitForExit(kStepTimeoutMs, &code)) return STILL_ACTIVE;
  return code;
}

void SetupE2ETest::WaitForWelcome() {
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kNext, "次へ>", kStepTimeoutMs));
  // The welcome page is a picture; no page with an edit control remains.
  ASSERT_TRUE(
      Eventually([&] { return guitest::FindControl(main_, kText) == nullptr; }, kStepTimeoutMs));
  EXPECT_EQ(std::string("キャンセル"), guitest::GetText(guitest::FindControl(main_, kCancel)));
  EXPECT_EQ(std::string("<戻る"), guitest::GetText(guitest::FindControl(main_, kBack)));
  EXPECT_FALSE(IsWindowEnabled(guitest::FindControl(main_, kBack)));
}

void SetupE2ETest::WaitForReadMe() {
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kNext, "同意する", kStepTimeoutMs));
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kCancel, "同意しない", kStepTimeoutMs));
  HWND text = guitest::WaitForControlText(main_, kText, nullptr, kStepTimeoutMs);
  ASSERT_NE(nullptr, text);
  // The read-me travels in the payload; the sample's begins with the viewer's name.
  EXPECT_NE(std::string::npos, guitest::GetText(text).find("Dravenholt"));
  EXPECT_TRUE(IsWindowEnabled(guitest::FindControl(main_, kBack)));
}

void SetupE2ETest::WaitForFolderPage() {
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kBrowse, "フォルダ参照", kStepTimeoutMs));
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kNext, "次へ>", kStepTimeoutMs));
  EXPECT_EQ(std::string("キャンセル"), guitest::GetText(guitest::FindControl(main_, kCancel)));
  EXPECT_EQ(InstallDir(), guitest::GetText(guitest::FindControl(main_, kText)));
  EXPECT_TRUE(IsWindowEnabled(guitest::FindControl(main_, kBack)));
}

void SetupE2ETest::WaitForShortcutPage() {
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kStartMenuBox, "スタートメニューに追加",
                                                 kStepTimeoutMs));
  ASSERT_NE(nullptr, guitest::WaitForControlText(
                         main_, kDesktopBox, "デスクトップにショートカットを作る", kStepTimeoutMs));
  // A first visit shows both boxes unchecked.
  EXPECT_EQ(BST_UNCHECKED, guitest::GetCheck(main_, kStartMenuBox));
  EXPECT_EQ(BST_UNCHECKED, guitest::GetCheck(main_, kDesktopBox));
}

void SetupE2ETest::WaitForConfirmation() {
  ASSERT_NE(nullptr, guitest::WaitForControlText(main_, kNext, "完了", kStepTimeoutMs));
  ASSERT_TRUE(Eventually([&] { return guitest::FindControl(main_, kStartMenuBox) == nullptr; },
                         kStepTimeoutMs));
  EXPECT_EQ(std::string("キャンセル"), guitest::GetText(guitest::FindControl(main_, kCancel)));
}

void SetupE2ETest::Click(int id) {
  ASSERT_TRUE(guitest::ClickButtonWhenReady(main_, id, kStepTimeoutMs)) << "button " << id;
}

guitest::MessageBoxInfo SetupE2ETest::WaitForBox(DWORD timeoutMs) {
  guitest::MessageBoxInfo box;
  EXPECT_TRUE(guitest::WaitForMessageBox(&box, timeoutMs, setup_.Id())) << "no message box";
  return box;
}

void SetupE2ETest::Answer(const char* text, const char* caption, int button) {
  guitest::MessageBoxInfo box = WaitForBox();
  ASSERT_NE(nullptr, box.hwnd);
  EXPECT_EQ(std::string(text), box.text);
  EXPECT_EQ(std::string(caption), box.caption);
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, button));
}

void SetupE2ETest::Shot(const char* name) {
  guitest::SettleWindow(main_, kStepTimeoutMs);
  EXPECT_TRUE(guitest::SaveScreenshot(nullptr, guitest::ScreenshotPath(name).c_str())) << name;
}

void SetupE2ETest::TryToCloseWhileWorking() {
  ProgressQuery query{setup_.Id(), nullptr};
  ASSERT_TRUE(Eventually(
      [&] {
        EnumWindows(FindProgressDialog, reinterpret_cast<LPARAM>(&query));
        return query.found != nullptr;
      },
      kWorkTimeoutMs))
      << "no progress dialog";
  HWND cancel = guitest::FindControl(main_, kCancel);  // none in "-ai" mode
  if (cancel != nullptr) {
    EXPECT_FALSE(IsWindowEnabled(cancel));
  }
  DWORD_PTR sessionMayEnd = TRUE;
  EXPECT_NE(0, SendMessageTimeoutA(main_, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                   SMTO_ABORTIFHUNG, kStepTimeoutMs, &sessionMayEnd));
  EXPECT_EQ(static_cast<DWORD_PTR>(FALSE), sessionMayEnd);
  // What the close box sends, then a plain close.
  ASSERT_TRUE(PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(PostMessageA(main_, WM_CLOSE, 0, 0));
  // The worker ends its progress dialog before it posts its completion: with the dialog
  // still there, both closes are queued ahead of the completion.
  ASSERT_TRUE(IsWindow(query.found)) << "the work ended before the closes were posted";
}

void SetupE2ETest::InstallFromWelcome(const char* shotPrefix, bool closeWhileWorking) {
  auto shot = [&](const char* page) {
    if (shotPrefix != nullptr) Shot((std::string(shotPrefix) + page).c_str());
  };
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  shot("-1-welcome.png");
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(InstallFromReadMe(shotPrefix, closeWhileWorking));
}

void SetupE2ETest::InstallFromReadMe(const char* shotPrefix, bool closeWhileWorking) {
  auto shot = [&](const char* page) {
    if (shotPrefix != nullptr) Shot((std::string(shotPrefix) + page).c_str());
  };
  ASSERT_NO_FATAL_FAILURE(WaitForReadMe());
  shot("-2-readme.png");
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(WaitForFolderPage());
  shot("-3-folder.png");
  const bool newFolder = !dhtest::PathExists(InstallDir());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  if (newFolder) {
    ASSERT_NO_FATAL_FAILURE(Answer("新しくディレクトリを作成します", "確認", IDOK));
  }
  ASSERT_NO_FATAL_FAILURE(WaitForShortcutPage());
  ASSERT_TRUE(guitest::SetCheck(main_, kStartMenuBox, true));
  ASSERT_TRUE(guitest::SetCheck(main_, kDesktopBox, true));
  shot("-4-shortcuts.png");
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(WaitForConfirmation());
  EXPECT_EQ("●インストール先は → " + InstallDir() +
                "\r\n\r\n●スタートメニューに登録します\r\n\r\n"
                "●デスクトップにショートカットを作成します\r\n",
            guitest::GetText(guitest::FindControl(main_, kText)));
  shot("-5-confirm.png");
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  if (closeWhileWorking) {
    ASSERT_NO_FATAL_FAILURE(TryToCloseWhileWorking());
  }

  guitest::MessageBoxInfo done = WaitForBox(kWorkTimeoutMs);
  ASSERT_NE(nullptr, done.hwnd);
  shot("-6-complete.png");
  EXPECT_EQ(std::string("インストール完了しました"), done.text);
  EXPECT_EQ(std::string("確認"), done.caption);
  EXPECT_EQ(main_, done.owner);
  ASSERT_TRUE(guitest::AnswerMessageBox(done.hwnd, IDOK));
  EXPECT_EQ(0u, ExitCode());
}

std::string SetupE2ETest::TextsOf(int id) {
  TextsQuery query{id, std::string()};
  EnumChildWindows(main_, CollectTexts, reinterpret_cast<LPARAM>(&query));
  return query.texts;
}

void SetupE2ETest::InstallFresh(const char* shotPrefix, bool closeWhileWorking) {
  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(InstallFromWelcome(shotPrefix, closeWhileWorking));
  ASSERT_TRUE(dhtest::PathExists(ViewerDir() + "\\Uninst.dat")) << "no installation";
}

}  // namespace e2e
