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

void SetupE2ETest::RemoveInstallation() {
  dhtest::DeleteTree(InstallDir());
  dhtest::DeleteTree(AppDataDir());
  dhtest::DeleteTree(ShellFolder(CSIDL_PERSONAL) + "\\Dravenholt");
  dhtest::DeleteTree(ShellFolder(CSIDL_PROGRAMS) + "\\Dravenholt");
  DeleteFileA(DesktopLink().c_str());
  dhtest::DeleteTree(TempFolder() + "Dravenholt");
  DeleteKeyTree(HKEY_CURRENT_USER, kVendorKey);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  DeleteValue(HKEY_CURRENT_USER, kBrowserEmulationKey, "DHViewer.exe");
}

void SetupE2ETest::StartSetup(const char* arguments) {
  // DH_SETUP_EXE_UNDER_TEST names another copy of the same build: the signed one.
  const char* other = getenv("DH_SETUP_EXE_UNDER_TEST");
  std::string line = std::string("\"") + (other && *other ? other : DH_SETUP_EXE) + "\"";
  if (arguments != nullptr) line += std::string(" ") + arguments;
  ASSERT_TRUE(setup_.Start(line)) << line;
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

void SetupE2ETest::InstallFromWelcome(const char* shotPrefix) {
  auto shot = [&](const char* page) {
    if (shotPrefix != nullptr) Shot((std::string(shotPrefix) + page).c_str());
  };
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  shot("-1-welcome.png");
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(InstallFromReadMe(shotPrefix));
}

void SetupE2ETest::InstallFromReadMe(const char* shotPrefix) {
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

void SetupE2ETest::InstallFresh(const char* shotPrefix) {
  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(InstallFromWelcome(shotPrefix));
  ASSERT_TRUE(dhtest::PathExists(ViewerDir() + "\\Uninst.dat")) << "no installation";
}

}  // namespace e2e
