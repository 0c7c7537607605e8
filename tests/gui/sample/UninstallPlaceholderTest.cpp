// The placeholder Uninstall.exe of the sample payload: one message box, then it ends
// reporting that nothing was removed.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "gui/lib/GuiTest.h"

namespace {

TEST(UninstallPlaceholder, SaysRemovalIsNotAvailableAndEndsWithOne) {
  guitest::ChildProcess uninstall;
  ASSERT_TRUE(uninstall.Start("\"" + guitest::ExePathOf("sample/Uninstall.exe") + "\""));
  guitest::MessageBoxInfo box;
  ASSERT_TRUE(guitest::WaitForMessageBox(&box, 15000, uninstall.Id()));
  EXPECT_EQ(std::string("このビルドにはアンインストーラーが含まれていないため、\r\n"
                        "Dravenholtビューアをアンインストールできません。"),
            box.text);
  EXPECT_EQ(std::string("確認"), box.caption);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDOK));
  DWORD code = STILL_ACTIVE;
  ASSERT_TRUE(uninstall.WaitForExit(10000, &code));
  EXPECT_EQ(1u, code);
}

}  // namespace
