// The main window's layout and modes, in process under Wine.
#include <string>

#include "app/UpdateDspDlg.h"
#include "app/WelcomeDlg.h"
#include "gui/app/AppFixture.h"
#include "gui/lib/GuiTest.h"
#include "registry/Reg.h"

namespace apptest {
namespace {

class MainWindowTest : public AppFixture {};

TEST_F(MainWindowTest, InteractiveWindowIsCentredAboveTheMiddleWithTitleAndPanes) {
  HWND main = CreateMainWindow("");
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(main, g_mainWindow);

  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  RECT r = guitest::WindowRect(main);
  EXPECT_EQ((desktop.right - 600) / 2, r.left);
  EXPECT_EQ((desktop.bottom - 360) / 2 - 100, r.top);
  EXPECT_EQ(600, r.right - r.left);
  EXPECT_EQ(360, r.bottom - r.top);
  EXPECT_EQ(std::string("Dravenholtビューアのインストール"), guitest::GetText(main));
  char className[64];
  GetClassNameA(main, className, sizeof className);
  EXPECT_STREQ("MainWindowClass For DHViewSetup", className);
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU),
            // the system adds WS_CLIPSIBLINGS to every top-level window
            static_cast<DWORD>(GetWindowLongA(main, GWL_STYLE)) & 0xFFFF0000u & ~WS_CLIPSIBLINGS);

  RECT client;
  GetClientRect(main, &client);
  RECT up = guitest::WindowRect(window->upPane);
  RECT down = guitest::WindowRect(window->downPane);
  EXPECT_EQ(280, up.bottom - up.top);
  EXPECT_EQ(client.right, up.right - up.left);
  EXPECT_EQ(up.bottom, down.top);
  EXPECT_EQ(client.bottom - 280, down.bottom - down.top);
  GetClassNameA(window->upPane, className, sizeof className);
  EXPECT_STREQ("UpWindowClass For DHViewSetup", className);
  GetClassNameA(window->downPane, className, sizeof className);
  EXPECT_STREQ("DownWindowClass For DHViewSetup", className);

  ASSERT_NE(nullptr, window->welcomeDlg);
  EXPECT_TRUE(IsWindow(window->welcomeDlg->hwnd));
  EXPECT_EQ(window->upPane, GetParent(window->welcomeDlg->hwnd));
  EXPECT_EQ(0, window->pageIndex);
  ASSERT_NE(nullptr, window->reg);
  EXPECT_EQ(0, window->reg->updateMode);
}

TEST_F(MainWindowTest, ThreeButtonsSitInTheLowerPaneWithTheirIdsAndTexts) {
  CreateMainWindow(nullptr);
  struct Expected {
    int id;
    const char* text;
    HWND handle;
  } buttons[] = {{50000, "<戻る", window->backButton},
                 {50001, "次へ>", window->nextButton},
                 {50002, "キャンセル", window->cancelButton}};
  RECT pane;
  GetClientRect(window->downPane, &pane);
  for (const Expected& b : buttons) {
    HWND found = guitest::FindControl(window->downPane, b.id);
    ASSERT_NE(nullptr, found) << b.id;
    EXPECT_EQ(b.handle, found);
    EXPECT_EQ(window->downPane, GetParent(found));
    EXPECT_EQ(std::string(b.text), guitest::GetText(found));
    RECT r = guitest::WindowRect(found);
    EXPECT_EQ(100, r.right - r.left);
    EXPECT_EQ(25, r.bottom - r.top);
  }
  // Cancel ends 20 px from the right edge, Next 20 px before Cancel, Back touches Next.
  auto topLeft = [&](HWND button) {
    RECT r = guitest::WindowRect(button);
    POINT p = {r.left, r.top};
    ScreenToClient(window->downPane, &p);
    return p;
  };
  POINT cancel = topLeft(window->cancelButton);
  POINT next = topLeft(window->nextButton);
  POINT back = topLeft(window->backButton);
  EXPECT_EQ(pane.right - 120, cancel.x);
  EXPECT_EQ(pane.bottom - 35, cancel.y);
  EXPECT_EQ(cancel.x - 120, next.x);
  EXPECT_EQ(next.x - 100, back.x);
  EXPECT_EQ(cancel.y, next.y);
  EXPECT_EQ(cancel.y, back.y);
  EXPECT_EQ(pane.bottom - 45, window->pageRect.bottom);

  EXPECT_FALSE(IsWindowEnabled(window->backButton));
  EXPECT_TRUE(IsWindowEnabled(window->nextButton));
  EXPECT_EQ(window->nextButton, GetFocus());
}

TEST_F(MainWindowTest, CancelClickedInTheLowerPaneClosesTheWindow) {
  CreateMainWindow("");
  ASSERT_TRUE(guitest::ClickButton(window->downPane, 50002));
  EXPECT_TRUE(PumpUntil([&] { return WindowGone(); }, 3000));
  // WM_DESTROY released everything the window owned.
  EXPECT_EQ(nullptr, window->reg);
  EXPECT_EQ(nullptr, window->welcomeDlg);
  EXPECT_EQ(nullptr, window->upWnd);
  EXPECT_EQ(nullptr, window->downWnd);
}

TEST_F(MainWindowTest, CloseBoxClosesTheWindowAndPostsQuitWithZero) {
  CreateMainWindow("");
  PostMessageA(window->hwnd, WM_CLOSE, 0, 0);
  // Run the loop as the program does, until WM_QUIT; a thread timer guards against a hang.
  UINT_PTR guard = SetTimer(nullptr, 0, 5000, nullptr);
  bool quit = false;
  int quitCode = -1;
  MSG m;
  for (;;) {
    BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = static_cast<int>(m.wParam);
      break;
    }
    if (got < 0 || (m.message == WM_TIMER && m.hwnd == nullptr && m.wParam == guard)) break;
    DispatchMessageA(&m);
  }
  KillTimer(nullptr, guard);
  EXPECT_TRUE(quit);
  EXPECT_EQ(0, quitCode);
  EXPECT_TRUE(WindowGone());
}

TEST_F(MainWindowTest, OnlyTheExactTextMinusAiSelectsUpdateMode) {
  const char* interactive[] = {" -ai", "-AI", "-ai ", "-ai x", "ai", ""};
  for (const char* line : interactive) {
    cSetupMWnd w;
    w.SetCommandLine(line);
    EXPECT_FALSE(w.IsUpdateMode()) << "[" << line << "]";
  }
  cSetupMWnd w;
  w.SetCommandLine("-ai");
  EXPECT_TRUE(w.IsUpdateMode());
}

TEST_F(MainWindowTest, CommandLineIsCutTo255BytesBeforeTheComparison) {
  std::string longLine(300, 'x');
  cSetupMWnd w;
  w.SetCommandLine(longLine.c_str());
  EXPECT_EQ(255, lstrlenA(w.commandLine));
  EXPECT_EQ('\0', w.commandLine[255]);
  // A null command line leaves the zero-filled buffer.
  cSetupMWnd empty;
  empty.SetCommandLine(nullptr);
  EXPECT_EQ(0, lstrlenA(empty.commandLine));
}

TEST_F(MainWindowTest, UpdateModeShowsTheUpdateDisplayWithoutButtons) {
  cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, nullptr);
  guitest::MessageBoxAnswerer answerer(IDOK);
  CreateMainWindow("-ai");
  EXPECT_EQ(nullptr, window->backButton);
  EXPECT_EQ(nullptr, window->nextButton);
  EXPECT_EQ(nullptr, window->cancelButton);
  EXPECT_EQ(nullptr, guitest::FindControl(window->downPane, 50001));
  EXPECT_EQ(nullptr, window->welcomeDlg);
  ASSERT_NE(nullptr, window->updateDspDlg);
  HWND display = window->updateDspDlg->hwnd;
  ASSERT_TRUE(IsWindow(display));
  EXPECT_EQ(std::string("アップデート・インストールを開始します\r\n"),
            guitest::GetText(guitest::FindControl(display, 1001)));
  // The display fills the upper pane.
  RECT pane, dialog;
  GetClientRect(window->upPane, &pane);
  GetClientRect(display, &dialog);
  EXPECT_EQ(pane.right, dialog.right);
  EXPECT_EQ(pane.bottom, dialog.bottom);
  EXPECT_EQ(1, window->reg->updateMode);
  EXPECT_EQ(-1, window->pageIndex);
}

TEST_F(MainWindowTest, UpdateTimerReportsAWorkerThatCannotStartAndKeepsTheWindow) {
  guitest::MessageBoxAnswerer answerer(IDOK);
  CreateMainWindow("-ai");  // no update worker registered: the thread cannot start
  ASSERT_TRUE(PumpUntil([&] { return answerer.Boxes().size() == 1; }, 3000));
  auto box = answerer.Boxes()[0];
  EXPECT_EQ(std::string("アップデート処理スレッド開始に失敗しました"), box.text);
  EXPECT_EQ(std::string("警告"), box.caption);
  PumpFor(400);  // the timer was killed: no second attempt
  EXPECT_EQ(1u, answerer.Boxes().size());
  EXPECT_FALSE(WindowGone());
  EXPECT_EQ(0, window->workerStarted);
}

}  // namespace
}  // namespace apptest
