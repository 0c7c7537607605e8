// The install worker's thread with the real progress dialog, shell links and registry
// under Wine: it installs the program's own payload into a scratch folder, and a
// failure removes the viewer folders again; the main window's message ends the run.
#include <process.h>

#include <string>

#include "app/InstallWorker.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"
#include "payload/GetLhaFile.h"
#include "registry/Reg.h"
#include "support/FileTree.h"

namespace apptest {
namespace {

class InstallWorkerTest : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "dh_install_worker";
    dhtest::DeleteTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
    for (const char* folder : {"\\Prog", "\\AppData", "\\Docs", "\\Programs", "\\Desktop"})
      CreateDirectoryA((root + folder).c_str(), nullptr);
    cGetLhaFile::extractPauseMs = 0;
    cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, InstallWorker);
    cReg().RemoveAll();
  }
  void TearDown() override {
    AppFixture::TearDown();
    cGetLhaFile::extractPauseMs = cGetLhaFile::kExtractPauseMs;
    cReg().RemoveAll();
    dhtest::DeleteTree(root);
  }

  // Fills the fields the wizard would have set and runs the worker to the end of the run.
  std::vector<guitest::MessageBoxInfo> Install() {
    guitest::MessageBoxAnswerer answerer(IDOK);
    CreateMainWindow("");
    window->installDir.Assign((root + "\\Prog\\Dravenholt").c_str());
    window->appDataDir.Assign((root + "\\AppData\\Dravenholt").c_str());
    window->contentsDir.Assign((root + "\\Docs\\Dravenholt\\Contents").c_str());
    window->programsDir.Assign((root + "\\Programs").c_str());
    window->desktopDir.Assign(desktop.empty() ? (root + "\\Desktop").c_str() : desktop.c_str());
    window->addStartMenu = 1;
    window->addDesktop = 1;
    window->createInstallDir = 1;
    cGetLhaFile measure;
    DWORD size[2] = {};
    EXPECT_EQ(1, measure.GetPayloadSize(size));
    window->memberCount = measure.memberCount;
    EXPECT_EQ(1, window->StartWorker(WORKER_INSTALL));
    EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 30000));
    answerer.Stop();
    return answerer.Boxes();
  }

  std::string root;
  std::string desktop;
};

TEST_F(InstallWorkerTest, InstallsThePayloadLinksAndRegistry) {
  const auto boxes = Install();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストール完了しました"), boxes[0].text);
  EXPECT_TRUE(dhtest::PathExists(root + "\\Prog\\Dravenholt\\Viewer\\DHViewer.exe"));
  EXPECT_TRUE(dhtest::PathExists(root + "\\Prog\\Dravenholt\\Viewer\\Uninst.dat"));
  EXPECT_FALSE(dhtest::PathExists(root + "\\Prog\\Dravenholt\\Viewer\\SetupInfo.xml"));
  EXPECT_TRUE(dhtest::PathExists(root + "\\Docs\\Dravenholt\\Contents"));
  EXPECT_TRUE(dhtest::PathExists(root + "\\Programs\\Dravenholt\\Dravenholtビューア.lnk"));
  EXPECT_TRUE(dhtest::PathExists(root + "\\Desktop\\Dravenholtビューア.lnk"));
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\1.0",
                                        "AppDataDir", RRF_RT_REG_SZ, nullptr, value, &size));
  EXPECT_EQ(root + "\\AppData\\Dravenholt\\Viewer", value);
}

TEST_F(InstallWorkerTest, DesktopLinkFailureIs580AndRemovesTheViewerFolders) {
  desktop = root + "\\NoSuchDesktop";
  const auto boxes = Install();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(std::string("インストールに失敗しました(580)"), boxes[0].text);
  EXPECT_FALSE(dhtest::PathExists(root + "\\Prog\\Dravenholt"));
  EXPECT_FALSE(dhtest::PathExists(root + "\\AppData\\Dravenholt"));
  // The Start-menu link made before the failure goes, and so does its folder.
  EXPECT_FALSE(dhtest::PathExists(root + "\\Programs\\Dravenholt"));
  EXPECT_TRUE(dhtest::PathExists(root + "\\Programs"));
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\1.0", 0,
                                         KEY_READ, &key));
}

}  // namespace
}  // namespace apptest
