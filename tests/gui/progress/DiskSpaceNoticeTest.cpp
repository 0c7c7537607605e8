// The disk-space notice and the folder page's side of the install-folder check.
#include <windows.h>

#include <string>

#include "app/DiskSpaceCheckUi.h"
#include "app/DiskSpaceNotice.h"
#include "app/UpdateDspDlg.h"
#include "gui/lib/GuiTest.h"
#include "gui/progress/ProgressTestWindow.h"
#include "install/InstallFolderCheck.h"

namespace progresstest {
namespace {

class DiskSpaceNoticeTest : public ProgressTest {};

TEST_F(DiskSpaceNoticeTest, TheNoticeIsACentredPopupWithItsOneText) {
  HWND notice = ShowDiskSpaceNotice(owner);
  ASSERT_NE(nullptr, notice);
  EXPECT_TRUE(IsWindowVisible(notice));
  const DWORD style = static_cast<DWORD>(GetWindowLongA(notice, GWL_STYLE));
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_EQ(0u, style & WS_CAPTION);
  EXPECT_EQ(owner, GetWindow(notice, GW_OWNER));
  RECT client;
  GetClientRect(notice, &client);
  RECT size = InDialogUnits(notice, client);
  EXPECT_NEAR(206, size.right, 1);
  EXPECT_NEAR(66, size.bottom, 1);
  RECT frame = guitest::WindowRect(notice);
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 2);

  HWND text = GetWindow(notice, GW_CHILD);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(nullptr, GetWindow(text, GW_HWNDNEXT));
  EXPECT_EQ("インストール先の空き容量をチェックしています", guitest::GetText(text));
  EXPECT_EQ(SS_CENTER, GetWindowLongA(text, GWL_STYLE) & SS_TYPEMASK);
  RECT units = InDialogUnits(notice, ChildRect(text));
  EXPECT_NEAR(12, units.left, 1);
  EXPECT_NEAR(6, units.top, 1);
  EXPECT_NEAR(184, units.right, 1);
  EXPECT_NEAR(52, units.bottom, 1);

  // Its procedure leaves everything to the dialog manager: Escape and Enter do not
  // close it.
  SendMessageA(notice, WM_COMMAND, IDCANCEL, 0);
  SendMessageA(notice, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(notice));
  EXPECT_TRUE(guitest::SaveScreenshot(notice, guitest::ScreenshotPath("disk_notice.png").c_str()));
  DestroyWindow(notice);
}

TEST_F(DiskSpaceNoticeTest, TheCheckReadsAndWritesThePageAndAsksTheOwnerToClose) {
  // A page with the folder edit 1001 (the update display has one).
  cUpdateDspDlg page;
  ASSERT_EQ(1, page.Create(owner));
  cDiskSpaceCheckUi ui(page.hwnd, owner);
  EXPECT_EQ(page.hwnd, ui.Page());
  ui.WriteFolderText("C:\\Apps\\Dravenholt");
  char text[8] = {};
  ui.ReadFolderText(text, sizeof text);
  EXPECT_STREQ("C:\\Apps", text);  // cut to the buffer
  ui.FocusFolderText();
  EXPECT_EQ(GetDlgItem(page.hwnd, IDC_TEXT), GetFocus());

  ui.ShowDiskNotice();
  HWND notice = ui.Notice();
  ASSERT_TRUE(IsWindowVisible(notice));
  ui.ShowDiskNotice();  // one notice at a time
  EXPECT_EQ(notice, ui.Notice());
  ui.CloseDiskNotice();
  EXPECT_FALSE(IsWindow(notice));
  ui.CloseDiskNotice();

  ui.CloseProgram();
  EXPECT_TRUE(guitest::PumpUntil([] { return closeRequests == 1; }, 2000));
}

TEST_F(DiskSpaceNoticeTest, AnExistingFolderWithRoomPassesWithoutAQuestion) {
  char temp[MAX_PATH] = {};
  ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
  std::string folder = std::string(temp) + "Dravenholt";
  CreateDirectoryA(folder.c_str(), nullptr);

  cUpdateDspDlg page;
  ASSERT_EQ(1, page.Create(owner));
  SetDlgItemTextA(page.hwnd, IDC_TEXT, folder.c_str());
  cDiskSpaceCheckUi ui(page.hwnd, owner);
  morstd::cMorString installDir;
  uint64_t requiredBytes = 0, freeBytes = 0;
  int memberCount = 0, createInstallDir = -1;
  EXPECT_EQ(1, CheckInstallFolder(&ui, {installDir, requiredBytes, freeBytes, memberCount,
                                        createInstallDir}));
  EXPECT_EQ(folder, installDir.GetData());
  EXPECT_GT(requiredBytes, 0u);  // the sample payload built into this test
  EXPECT_GT(memberCount, 0);
  EXPECT_GE(freeBytes, requiredBytes);
  EXPECT_EQ(0, createInstallDir);
  EXPECT_EQ(nullptr, ui.Notice());
  EXPECT_EQ(0, closeRequests);
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
}  // namespace progresstest
