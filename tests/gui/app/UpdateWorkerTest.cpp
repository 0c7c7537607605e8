// The update worker's thread under Wine, started by the main window's "-ai" timer over
// a viewer that the install sequence put into a scratch folder from the program's own
// payload. Wine's Kernel Transaction Manager is a stub, so the registry step fails:
// the run must roll back, restore the folders and report 520 through the main window.
#include <string>

#include "app/UpdateDspDlg.h"
#include "app/UpdateWorker.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"
#include "install/InstallSequence.h"
#include "payload/GetLhaFile.h"
#include "registry/Reg.h"
#include "support/TreeSnapshot.h"
#include "update/UpdateFile.h"
#include "support/FileTree.h"

namespace apptest {
namespace {

std::string TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

class SilentProgress : public cProgressSink {
 public:
  void SetProgress(int, const char*) override {}
};

// The update display's log as it stood when the window went: the pane's edit control
// is subclassed to keep its text when it is destroyed.
std::string finalLog;
WNDPROC paneProcedure = nullptr;

LRESULT CALLBACK KeepingPane(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    const int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    finalLog = text;
  }
  return CallWindowProcA(paneProcedure, edit, message, wParam, lParam);
}

class UpdateWorkerTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    root = TempFolder() + "dh_update_worker";
    dhtest::DeleteTree(root);
    dhtest::DeleteTree(TempFolder() + "Dravenholt");
    CreateDirectoryA(root.c_str(), nullptr);
    for (const char* folder : {"\\Prog", "\\AppData", "\\Docs"})
      CreateDirectoryA((root + folder).c_str(), nullptr);
    cGetLhaFile::extractPauseMs = 0;
    cUpdateFile::installPauseMs = 0;
    cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, UpdateWorker);
    cReg().RemoveAll();
    finalLog.clear();
  }
  void TearDown() override {
    AppFixture::TearDown();
    cGetLhaFile::extractPauseMs = cGetLhaFile::kExtractPauseMs;
    cUpdateFile::installPauseMs = cUpdateFile::kInstallPauseMs;
    cReg().RemoveAll();
    dhtest::DeleteTree(root);
    dhtest::DeleteTree(TempFolder() + "Dravenholt");
  }

  // The viewer as a fresh installation leaves it, without shortcuts.
  void InstallSample() {
    cReg reg;
    InstallPlan plan;
    const std::string installDir = root + "\\Prog\\Dravenholt";
    const std::string appDataDir = root + "\\AppData\\Dravenholt";
    const std::string contentsDir = root + "\\Docs\\Contents";
    plan.installDir = installDir.c_str();
    plan.appDataDir = appDataDir.c_str();
    plan.contentsDir = contentsDir.c_str();
    plan.createInstallDir = 1;
    plan.reg = &reg;
    cGetLhaFile measure;
    DWORD size[2] = {};
    ASSERT_EQ(1, measure.GetPayloadSize(size));
    plan.memberCount = measure.memberCount;
    SilentProgress progress;
    ASSERT_EQ(0, RunInstallSequence(plan, &progress));
  }

  std::string Installed() const {
    return dhtest::TreeSnapshot(root + "\\Prog") + dhtest::TreeSnapshot(root + "\\AppData");
  }

  std::string root;
};

TEST_F(UpdateWorkerTest, SilentUpdateRollsBackWithoutTransactionsAndReports520) {
  InstallSample();
  const std::string before = Installed();
  ASSERT_NE(std::string::npos, before.find("DHViewer.exe"));

  guitest::MessageBoxAnswerer answerer(IDOK);
  CreateMainWindow("-ai");
  ASSERT_TRUE(window->updateDspDlg);
  HWND pane = GetDlgItem(window->updateDspDlg->hwnd, IDC_TEXT);
  ASSERT_TRUE(pane);
  paneProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(pane, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(KeepingPane)));
  EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 60000));
  answerer.Stop();

  // Wine's stub cannot roll the transaction back either and says so; the main window's
  // box with the worker's code comes last.
  const auto boxes = answerer.Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(std::string("上書きインストール中にエラーが発生し、最新版インストールは失敗しました(520)"),
            boxes.back().text);
  EXPECT_EQ(0, ReadUpdateResult());

  EXPECT_EQ(std::string("アップデート・インストールを開始します\r\n"
                        "レジストリ情報の取得成功\r\n"
                        "同一のバージョンをインストールします\r\n"
                        "アップデートパッチのロード完了\r\n"
                        "ディスク空き容量確認\r\n"
                        "設定ファイル取得完了\r\n"
                        "設定値のパース成功\r\n"
                        "バックアップ成功\r\n"
                        "ファイル操作系コマンド完了\r\n"
                        "ファイルインストール完了\r\n"
                        "レジストリ保存失敗(00630)\r\n"
                        "ロールバック処理完了しました\r\n"),
            finalLog);
  EXPECT_EQ(before, Installed());
}

}  // namespace
}  // namespace apptest
