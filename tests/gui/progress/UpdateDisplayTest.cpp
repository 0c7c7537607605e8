// The update display: the read-me template stretched over the upper pane, with its
// start line.
#include <windows.h>

#include "app/UpdateDspDlg.h"
#include "gui/lib/GuiTest.h"
#include "gui/progress/ProgressTestWindow.h"

namespace progresstest {
namespace {

class UpdateDisplayTest : public ProgressTest {};

TEST_F(UpdateDisplayTest, ItFillsItsPaneAndStartsWithOneLine) {
  // A pane of the upper pane's size inside the owner.
  HWND pane = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 280, owner,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, pane);
  cUpdateDspDlg display;
  ASSERT_EQ(1, display.Create(pane));
  RECT paneClient, dialogClient, editRect;
  GetClientRect(pane, &paneClient);
  GetClientRect(display.hwnd, &dialogClient);
  EXPECT_EQ(600, dialogClient.right);
  EXPECT_EQ(280, dialogClient.bottom);
  EXPECT_EQ(paneClient.right, dialogClient.right);
  HWND edit = GetDlgItem(display.hwnd, IDC_TEXT);
  ASSERT_NE(nullptr, edit);
  editRect = ChildRect(edit);
  EXPECT_EQ(0, editRect.left);
  EXPECT_EQ(0, editRect.top);
  EXPECT_EQ(600, editRect.right);
  EXPECT_EQ(280, editRect.bottom);
  const LONG style = GetWindowLongA(edit, GWL_STYLE);
  EXPECT_TRUE(style & ES_READONLY);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_EQ("アップデート・インストールを開始します\r\n", guitest::GetText(edit));
  EXPECT_TRUE(guitest::SaveScreenshot(owner, guitest::ScreenshotPath("update_display.png").c_str()));
}

}  // namespace
}  // namespace progresstest
