// The GUI test library against real windows: one of this process, and one of a second
// program (this executable again, running its disabled child case) driven from outside
// as the end-to-end tests drive the installer.
#include <windows.h>
#include <objidl.h>  // PROPID, needed by gdiplus.h
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "gui/lib/GuiTest.h"

namespace {

using guitest::MessageBoxInfo;

const char kClass[] = "DhGuiTestSelfTest";
const char kTitle[] = "セルフテスト";
const char kChildClass[] = "DhGuiTestChild";
const int kButtonId = 101;
const int kDisabledId = 102;
const int kChildButtonId = 201;
// Code page 932 bytes of the texts, written out so that a wrong conversion anywhere
// (compiler, Wine's code page, the library) shows.
const char kConfirmText[] = "\x8a\x6d\x94\x46\x83\x65\x83\x58\x83\x67";  // 確認テスト
const char kConfirmCaption[] = "\x8a\x6d\x94\x46";                       // 確認
const char kPushBytes[] = "\x89\x9f\x82\xb7";                           // 押す
// Guards against hangs only.
const DWORD kWaitMs = 20000;

int g_clicks = 0;
bool g_marker = false;

LRESULT CALLBACK SelfTestProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED) ++g_clicks;
      return 0;
    case WM_APP:
      g_marker = true;
      return 0;
    case WM_PARENTNOTIFY:
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A panel between window and button: FindControl must search every depth. It hands
// the button's notifications up as a dialog's parent would see them.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) return SendMessageA(GetParent(hwnd), msg, wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kChildButtonId) {
        int answer = MessageBoxA(hwnd, "確認テスト", "確認", MB_YESNO | MB_ICONQUESTION);
        SetWindowTextA(hwnd, answer == IDYES ? "はい" : "いいえ");
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name;
  RegisterClassA(&wc);  // a second registration in the same process fails harmlessly
}

HWND MakeButton(HWND parent, const char* text, int id, int x) {
  return CreateWindowA("BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 20, 100, 30,
                       parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                       GetModuleHandleA(nullptr), nullptr);
}

struct Png {
  bool valid = false;
  unsigned width = 0;
  unsigned height = 0;
  size_t colours = 0;  // distinct colours, counted up to a few
};

unsigned BigEndian(const std::string& bytes, size_t at) {
  return (static_cast<unsigned char>(bytes[at]) << 24) |
         (static_cast<unsigned char>(bytes[at + 1]) << 16) |
         (static_cast<unsigned char>(bytes[at + 2]) << 8) |
         static_cast<unsigned char>(bytes[at + 3]);
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0],
                              static_cast<int>(wide.size()));
  wide.resize(n > 0 ? n - 1 : 0);
  return wide;
}

// Reads back a PNG written by SaveScreenshot: header fields from the bytes, and the
// pixels through GDI+ to tell a real picture from a blank one.
Png ReadPng(const std::string& path) {
  Png png;
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  if (bytes.size() < 33 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return png;
  }
  png.width = BigEndian(bytes, 16);
  png.height = BigEndian(bytes, 20);

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return png;
  {
    Gdiplus::Bitmap image(Wide(path).c_str());
    Gdiplus::Rect all(0, 0, static_cast<INT>(image.GetWidth()),
                      static_cast<INT>(image.GetHeight()));
    Gdiplus::BitmapData data;
    if (image.GetLastStatus() == Gdiplus::Ok &&
        image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) ==
            Gdiplus::Ok) {
      std::set<UINT32> seen;
      for (UINT y = 0; y < data.Height && seen.size() < 8; ++y) {
        const UINT32* row = reinterpret_cast<const UINT32*>(
            static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        for (UINT x = 0; x < data.Width; ++x) seen.insert(row[x]);
      }
      png.colours = seen.size();
      image.UnlockBits(&data);
      png.valid = true;
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return png;
}

std::string OwnPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, n);
}

// Starts this executable again as the program to drive (the disabled case below).
bool StartChild(guitest::ChildProcess* child) {
  return child->Start("\"" + OwnPath() +
                      "\" --gtest_also_run_disabled_tests"
                      " --gtest_filter=GuiTestChild.DISABLED_ShowsAWindowUntilClosed");
}

class GuiTestSelfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Register(kClass, SelfTestProc);
    Register("DhGuiTestPanel", PanelProc);
    g_clicks = 0;
    g_marker = false;
    window_ = CreateWindowA(kClass, kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 360, 200,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window_);
    HWND panel = CreateWindowA("DhGuiTestPanel", "", WS_CHILD | WS_VISIBLE, 10, 10, 320, 100,
                               window_, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, panel);
    button_ = MakeButton(panel, "押す", kButtonId, 10);
    HWND disabled = MakeButton(panel, "無効", kDisabledId, 150);
    ASSERT_NE(nullptr, button_);
    EnableWindow(disabled, FALSE);
    UpdateWindow(window_);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  // Pumps until a message posted now has arrived: every message posted before it
  // (a click, say) has then been handled too.
  void Drain() {
    g_marker = false;
    PostMessageA(window_, WM_APP, 0, 0);
    ASSERT_TRUE(guitest::PumpUntil([] { return g_marker; }, kWaitMs));
  }

  HWND window_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(GuiTestSelfTest, FindsTheWindowByClassTitleAndProcess) {
  const DWORD self = GetCurrentProcessId();
  EXPECT_EQ(window_, guitest::WaitForWindow(kClass, kTitle, kWaitMs, self));
  EXPECT_EQ(window_, guitest::WaitForWindow("dhguitestselftest", nullptr, kWaitMs, 0));
  EXPECT_EQ(nullptr, guitest::WaitForWindow(kClass, "別の題名", 0, self));
  EXPECT_EQ(nullptr, guitest::WaitForWindow(kClass, kTitle, 0, self + 4));
  EXPECT_EQ(nullptr, guitest::WaitForWindow(nullptr, kTitle, 0, self));
  EXPECT_EQ(std::string(kTitle), guitest::GetText(window_));

  ShowWindow(window_, SW_HIDE);  // hidden windows are not what a person sees
  EXPECT_EQ(nullptr, guitest::WaitForWindow(kClass, kTitle, 0, self));
  EXPECT_TRUE(guitest::WaitForWindowGone(window_, 0));
}

TEST_F(GuiTestSelfTest, FindsControlsAtAnyDepthAndReadsTheirText) {
  EXPECT_EQ(button_, guitest::FindControl(window_, kButtonId));
  EXPECT_EQ(std::string(kPushBytes), guitest::GetText(button_));
  EXPECT_EQ(nullptr, guitest::FindControl(window_, 999));
  EXPECT_EQ(nullptr, guitest::FindControl(nullptr, kButtonId));
  EXPECT_EQ(button_, guitest::WaitForControl(window_, kButtonId, kWaitMs));
  EXPECT_EQ(nullptr, guitest::WaitForControl(window_, 999, 0));
  EXPECT_EQ("", guitest::GetText(nullptr));

  RECT rect = guitest::WindowRect(window_);
  EXPECT_EQ(360, rect.right - rect.left);
  EXPECT_EQ(200, rect.bottom - rect.top);
  RECT none = guitest::WindowRect(nullptr);
  EXPECT_EQ(0, none.right - none.left);
}

TEST_F(GuiTestSelfTest, ClicksOnlyEnabledButtonsThatExist) {
  ASSERT_TRUE(guitest::ClickButton(window_, kButtonId));
  EXPECT_TRUE(guitest::PumpUntil([] { return g_clicks == 1; }, kWaitMs));
  EXPECT_FALSE(guitest::ClickButton(window_, kDisabledId));
  EXPECT_FALSE(guitest::ClickButton(window_, 999));
  Drain();
  EXPECT_EQ(1, g_clicks);
}

TEST_F(GuiTestSelfTest, AnswererRecordsAndAnswersBoxesOfThisProcess) {
  guitest::MessageBoxAnswerer answerer({IDNO}, IDOK);
  EXPECT_EQ(IDNO, MessageBoxA(window_, "確認テスト", "確認", MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(IDOK, MessageBoxA(window_, "完了", "確認", MB_OK));
  answerer.Stop();

  std::vector<MessageBoxInfo> boxes = answerer.Boxes();
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ(std::string(kConfirmText), boxes[0].text);
  EXPECT_EQ(std::string(kConfirmCaption), boxes[0].caption);
  EXPECT_EQ(window_, boxes[0].owner);
  EXPECT_EQ((std::vector<int>{IDYES, IDNO}), boxes[0].buttons);
  EXPECT_EQ(IDNO, boxes[0].answer);
  EXPECT_EQ(std::string("完了"), boxes[1].text);
  EXPECT_EQ(std::vector<int>{IDOK}, boxes[1].buttons);
  EXPECT_EQ(IDOK, boxes[1].answer);
}

TEST_F(GuiTestSelfTest, AnswererFallsBackToCancelWhenTheAnswerIsNotOffered) {
  guitest::MessageBoxAnswerer answerer(IDYES);
  EXPECT_EQ(IDCANCEL, MessageBoxA(window_, "続けますか", "確認", MB_OKCANCEL));
  answerer.Stop();
  ASSERT_EQ(1u, answerer.Boxes().size());
  EXPECT_EQ(IDCANCEL, answerer.Boxes()[0].answer);
  // An ordinary window is no message box.
  EXPECT_FALSE(guitest::ReadMessageBox(window_, nullptr));
}

TEST_F(GuiTestSelfTest, ScreenshotsOfAWindowAndOfTheScreenArePictures) {
  const std::string windowShot = guitest::ScreenshotPath("guitest_selftest_window.png");
  const std::string screenShot = guitest::ScreenshotPath("guitest_selftest_screen.png");
  DeleteFileA(windowShot.c_str());
  DeleteFileA(screenShot.c_str());
  Drain();

  ASSERT_TRUE(guitest::SaveScreenshot(window_, windowShot.c_str()));
  Png shot = ReadPng(windowShot);
  ASSERT_TRUE(shot.valid) << windowShot;
  EXPECT_EQ(360u, shot.width);
  EXPECT_EQ(200u, shot.height);
  // Title bar, background, button face and text: a blank capture has one colour.
  EXPECT_GE(shot.colours, 3u);

  ASSERT_TRUE(guitest::SaveScreenshot(nullptr, screenShot.c_str()));
  Png screen = ReadPng(screenShot);
  ASSERT_TRUE(screen.valid) << screenShot;
  EXPECT_EQ(static_cast<unsigned>(GetSystemMetrics(SM_CXVIRTUALSCREEN)), screen.width);
  EXPECT_EQ(static_cast<unsigned>(GetSystemMetrics(SM_CYVIRTUALSCREEN)), screen.height);

  EXPECT_FALSE(guitest::SaveScreenshot(window_, nullptr));
  EXPECT_FALSE(guitest::SaveScreenshot(window_, "Z:\\no-such-folder-dh\\x.png"));
}

TEST(GuiTestPaths, UnixPathsBecomeDriveZ) {
  EXPECT_EQ("Z:\\work\\main\\x.exe", guitest::WinPath("/work/main/x.exe"));
  EXPECT_EQ("C:\\Program Files\\a", guitest::WinPath("C:\\Program Files\\a"));
  EXPECT_EQ("", guitest::WinPath(""));
  // This very program, found from the build folder.
  const std::string exe = guitest::ExePathOf("tests/gui/guitest_selftest.exe");
  EXPECT_EQ(0, lstrcmpiA(OwnPath().c_str(), exe.c_str())) << exe;
}

TEST(GuiTestPrograms, ExitCodesComeBackAndMissingProgramsDoNotStart) {
  guitest::ChildProcess child;
  ASSERT_TRUE(child.Start("cmd.exe /c exit 3"));
  DWORD code = 0;
  ASSERT_TRUE(child.WaitForExit(kWaitMs, &code));
  EXPECT_EQ(3u, code);

  PROCESS_INFORMATION missing = guitest::Launch("\"Z:\\no\\such\\program.exe\"");
  EXPECT_EQ(nullptr, missing.hProcess);
  EXPECT_FALSE(guitest::WaitForExit(missing, 0, &code));
  guitest::ChildProcess none;
  EXPECT_FALSE(none.WaitForExit(0, &code));
}

TEST(GuiTestPrograms, DrivesAnotherProgramThroughItsWindowsAndMessageBox) {
  guitest::ChildProcess child;
  ASSERT_TRUE(StartChild(&child));
  HWND window = guitest::WaitForWindow(kChildClass, nullptr, kWaitMs, child.Id());
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(nullptr, guitest::WaitForWindow(kChildClass, nullptr, 0, GetCurrentProcessId()));
  DWORD code = 0;
  EXPECT_FALSE(child.WaitForExit(0, &code));

  ASSERT_TRUE(guitest::ClickButton(window, kChildButtonId));
  MessageBoxInfo box;
  ASSERT_TRUE(guitest::WaitForMessageBox(&box, kWaitMs, child.Id()));
  EXPECT_EQ(std::string(kConfirmText), box.text);
  EXPECT_EQ(std::string(kConfirmCaption), box.caption);
  EXPECT_EQ(window, box.owner);
  EXPECT_FALSE(guitest::AnswerMessageBox(box.hwnd, IDOK));  // not offered by Yes/No
  const std::string shot = guitest::ScreenshotPath("guitest_selftest_child_box.png");
  EXPECT_TRUE(guitest::SaveScreenshot(box.hwnd, shot.c_str()));
  ASSERT_TRUE(guitest::AnswerMessageBox(box.hwnd, IDYES));
  EXPECT_FALSE(guitest::ReadMessageBox(box.hwnd, nullptr));

  std::string title;
  for (int i = 0; i < 2000 && (title = guitest::GetText(window)) != "はい"; ++i) Sleep(10);
  EXPECT_EQ(std::string("\x82\xcd\x82\xa2"), title);  // はい: the program saw Yes

  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(child.WaitForExit(kWaitMs, &code));
  EXPECT_EQ(0u, code);
}

TEST(GuiTestPrograms, AProgramLeftRunningEndsWithItsChildProcess) {
  HWND window = nullptr;
  {
    guitest::ChildProcess child;
    ASSERT_TRUE(StartChild(&child));
    window = guitest::WaitForWindow(kChildClass, nullptr, kWaitMs, child.Id());
    ASSERT_NE(nullptr, window);
  }
  EXPECT_TRUE(guitest::WaitForWindowGone(window, kWaitMs));
}

// Not a test of its own: the program the cases above start and drive.
TEST(GuiTestChild, DISABLED_ShowsAWindowUntilClosed) {
  Register(kChildClass, ChildProc);
  // Shown once complete, as dialogs are: a driver that finds the window finds its button.
  HWND window = CreateWindowA(kChildClass, "子", WS_OVERLAPPEDWINDOW, 420, 300, 300, 160,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  ASSERT_NE(nullptr, MakeButton(window, "確認", kChildButtonId, 20));
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace
