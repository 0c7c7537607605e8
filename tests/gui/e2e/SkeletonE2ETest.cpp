// DHViewSetup.exe driven from a second process under Wine: the single-instance guard,
// the main window and its buttons, and Cancel. ("-ai" mode: UpdateE2ETest.cpp.)
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "gui/lib/GuiTest.h"

namespace {

const char kMainClass[] = "MainWindowClass For DHViewSetup";

// Starts DHViewSetup.exe with the arguments; the process ends with the test.
bool StartSetup(guitest::ChildProcess& process, const char* arguments) {
  std::string line = std::string("\"") + DH_SETUP_EXE + "\"";
  if (arguments) line += std::string(" ") + arguments;
  return process.Start(line);
}

// The exit code, or STILL_ACTIVE when the program did not end in time.
DWORD ExitCodeOf(guitest::ChildProcess& process) {
  DWORD code = STILL_ACTIVE;
  if (!process.WaitForExit(10000, &code)) return STILL_ACTIVE;
  return code;
}

TEST(SkeletonE2E, MainWindowShowsItsButtonsAndCancelEndsWithZero) {
  guitest::ChildProcess setup;
  ASSERT_TRUE(StartSetup(setup, nullptr)) << DH_SETUP_EXE;
  HWND main = guitest::WaitForWindow(kMainClass, nullptr, 15000, setup.Id());
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(std::string("Dravenholtビューアのインストール"), guitest::GetText(main));

  // The virtual desktop is 1024 x 768: centred, 100 px above the middle.
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  RECT r = guitest::WindowRect(main);
  EXPECT_EQ((desktop.right - 600) / 2, r.left);
  EXPECT_EQ((desktop.bottom - 360) / 2 - 100, r.top);
  EXPECT_EQ(600, r.right - r.left);
  EXPECT_EQ(360, r.bottom - r.top);

  const struct {
    int id;
    const char* text;
  } buttons[] = {{50000, "<戻る"}, {50001, "次へ>"}, {50002, "キャンセル"}};
  for (const auto& b : buttons) {
    HWND button = guitest::FindControl(main, b.id);
    ASSERT_NE(nullptr, button) << b.id;
    EXPECT_EQ(std::string(b.text), guitest::GetText(button));
  }
  EXPECT_FALSE(IsWindowEnabled(guitest::FindControl(main, 50000)));

  Sleep(300);  // let the page paint before the picture is taken
  EXPECT_TRUE(guitest::SaveScreenshot(nullptr, guitest::ScreenshotPath("skeleton-interactive.png").c_str()));

  ASSERT_TRUE(guitest::ClickButton(main, 50002));
  EXPECT_EQ(0u, ExitCodeOf(setup));
}

TEST(SkeletonE2E, SecondInstanceIsRefusedWithItsMessageAndMinusOne) {
  guitest::ChildProcess first;
  ASSERT_TRUE(StartSetup(first, nullptr));
  HWND main = guitest::WaitForWindow(kMainClass, nullptr, 15000, first.Id());
  ASSERT_NE(nullptr, main);

  guitest::ChildProcess second;
  ASSERT_TRUE(StartSetup(second, nullptr));
  guitest::MessageBoxInfo box;
  ASSERT_TRUE(guitest::WaitForMessageBox(&box, 15000, second.Id()));
  EXPECT_EQ(std::string("すでに起動中のプロセスが存在します"), box.text);
  EXPECT_EQ(std::string("確認"), box.caption);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(nullptr, guitest::WaitForWindow(kMainClass, nullptr, 0, second.Id()));
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDOK));
  EXPECT_EQ(static_cast<DWORD>(-1), ExitCodeOf(second));

  // The first copy is untouched and still ends normally.
  EXPECT_TRUE(IsWindow(main));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, ExitCodeOf(first));
}

}  // namespace
