// The install progress dialog: its template, and a worker thread that pumps no
// messages moving the bar and the status line, which must show at once.
#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/InstProg.h"
#include "gui/lib/GuiTest.h"
#include "gui/progress/ProgressTestWindow.h"

namespace progresstest {
namespace {

class InstProgTest : public ProgressTest {};

void ExpectRect(HWND dialog, HWND control, int x, int y, int width, int height) {
  RECT units = InDialogUnits(dialog, ChildRect(control));
  EXPECT_NEAR(x, units.left, 1);
  EXPECT_NEAR(y, units.top, 1);
  EXPECT_NEAR(width, units.right, 1);
  EXPECT_NEAR(height, units.bottom, 1);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The child of `dialog` that shows `text`, or null.
HWND ChildWithText(HWND dialog, const char* text) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (guitest::GetText(c) == text) return c;
  return nullptr;
}

// The style of the first control of dialog template `id` (an extended template).
DWORD FirstItemStyle(int id) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  if (!found) return 0;
  auto* words = static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)));
  if (!words || words[1] != 0xFFFF) return 0;
  const DWORD style = *reinterpret_cast<const DWORD*>(words + 6);
  const WORD* at = words + 13;  // after the fixed part: the menu
  auto skipNameOrOrdinal = [&] {
    if (*at == 0xFFFF) {
      at += 2;
    } else {
      while (*at++) {
      }
    }
  };
  skipNameOrOrdinal();  // menu
  skipNameOrOrdinal();  // class
  while (*at++) {       // title
  }
  if (style & DS_SETFONT) {
    at += 3;  // point size, weight, italic and charset
    while (*at++) {
    }
  }
  const auto offset = reinterpret_cast<UINT_PTR>(at) - reinterpret_cast<UINT_PTR>(words);
  const auto* item = reinterpret_cast<const DWORD*>(reinterpret_cast<const BYTE*>(words) +
                                                    ((offset + 3) & ~UINT_PTR{3}));
  return item[2];  // help id, extended style, style
}

TEST_F(InstProgTest, AFreshDialogIsACentredPopupWithAnEmptyBarAndStatus) {
  cInstProg progress;
  ASSERT_EQ(1, progress.Create(owner));
  HWND dialog = progress.hwnd;
  ASSERT_TRUE(IsWindowVisible(dialog));
  const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & DS_MODALFRAME);
  EXPECT_EQ(0u, style & WS_CAPTION);
  EXPECT_EQ(owner, GetWindow(dialog, GW_OWNER));

  RECT client;
  GetClientRect(dialog, &client);
  RECT size = InDialogUnits(dialog, client);
  EXPECT_NEAR(298, size.right, 1);
  EXPECT_NEAR(94, size.bottom, 1);
  RECT frame = guitest::WindowRect(dialog);
  EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN) / 2, (frame.left + frame.right) / 2, 2);
  EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN) / 2, (frame.top + frame.bottom) / 2, 2);

  HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
  ASSERT_EQ(bar, progress.progressBar);
  EXPECT_EQ("msctls_progress32", ClassOf(bar));
  // Wine's bar drops the border style once created; the template asks for it.
  EXPECT_TRUE(FirstItemStyle(IDD_INSTPROG) & WS_BORDER);
  ExpectRect(dialog, bar, 12, 34, 276, 16);
  PBRANGE range = {};
  SendMessageA(bar, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(0, range.iLow);
  EXPECT_EQ(100, range.iHigh);
  EXPECT_EQ(0, SendMessageA(bar, PBM_GETPOS, 0, 0));
  EXPECT_EQ(0, progress.position);

  HWND status = GetDlgItem(dialog, IDC_STATUS);
  ASSERT_NE(nullptr, status);
  EXPECT_EQ("", guitest::GetText(status));
  ExpectRect(dialog, status, 12, 62, 276, 14);
  EXPECT_EQ(SS_LEFT, GetWindowLongA(status, GWL_STYLE) & SS_TYPEMASK);

  HWND title = ChildWithText(dialog, "アプリケーションのインストール中です");
  ASSERT_NE(nullptr, title);
  EXPECT_EQ(SS_CENTER, GetWindowLongA(title, GWL_STYLE) & SS_TYPEMASK);
  ExpectRect(dialog, title, 80, 8, 144, 12);
}

TEST_F(InstProgTest, DeletingTheObjectDestroysTheDialogAndToleratesOneAlreadyGone) {
  auto* progress = new cInstProg();
  ASSERT_EQ(1, progress->Create(owner));
  HWND dialog = progress->hwnd;
  delete progress;
  EXPECT_FALSE(IsWindow(dialog));

  cInstProg gone;
  ASSERT_EQ(1, gone.Create(owner));
  DestroyWindow(gone.hwnd);
  EXPECT_EQ(nullptr, gone.hwnd);
  gone.SetProgress(40, "after the window");  // only remembered
  EXPECT_EQ(40, gone.position);
}

// What the worker saw of its own dialog, read on its own thread (a message sent from
// another thread would wait for a message loop the worker does not run).
struct WorkerView {
  HWND dialog = nullptr;
  LRESULT positionAfter100 = -1;
  LRESULT positionAfter37 = -1;
  int remembered = -1;
  std::string status;
  COLORREF barAt0 = 0, barAt100 = 0;
  int statusInkBefore = 0, statusInkAfter = 0;
  BOOL barPending = TRUE, statusPending = TRUE;
  bool screenshot = false;
  std::atomic<bool> done{false};
};

// Pixels of `window` that differ from its top-left corner, a measure of drawn text.
int InkPixels(HWND window) {
  RECT rect;
  GetClientRect(window, &rect);
  HDC dc = GetDC(window);
  const COLORREF background = GetPixel(dc, 0, 0);
  int ink = 0;
  for (int y = 0; y < rect.bottom; ++y)
    for (int x = 0; x < rect.right; ++x)
      if (GetPixel(dc, x, y) != background) ++ink;
  ReleaseDC(window, dc);
  return ink;
}

COLORREF PixelAt(HWND window, int percentX) {
  RECT rect;
  GetClientRect(window, &rect);
  HDC dc = GetDC(window);
  COLORREF pixel = GetPixel(dc, rect.right * percentX / 100, rect.bottom / 2);
  ReleaseDC(window, dc);
  return pixel;
}

HWND workerOwner = nullptr;

unsigned __stdcall ProgressWorker(void* context) {
  auto* view = static_cast<WorkerView*>(context);
  {
    cInstProg progress;
    if (progress.Create(workerOwner)) {
      view->dialog = progress.hwnd;
      HWND status = GetDlgItem(progress.hwnd, IDC_STATUS);
      view->barAt0 = PixelAt(progress.progressBar, 90);
      view->statusInkBefore = InkPixels(status);
      progress.SetProgress(100, "インストールディレクトリ作成");
      view->positionAfter100 = SendMessageA(progress.progressBar, PBM_GETPOS, 0, 0);
      view->barAt100 = PixelAt(progress.progressBar, 90);
      view->statusInkAfter = InkPixels(status);
      // Nothing may wait for a WM_PAINT that no message loop will dispatch.
      view->barPending = GetUpdateRect(progress.progressBar, nullptr, FALSE);
      view->statusPending = GetUpdateRect(status, nullptr, FALSE);
      progress.SetProgress(37, "C:\\Program Files\\Dravenholt\\Viewer\\DHViewer.exe");
      view->positionAfter37 = SendMessageA(progress.progressBar, PBM_GETPOS, 0, 0);
      view->remembered = progress.position;
      char text[MAX_PATH] = {};
      GetWindowTextA(status, text, sizeof text);
      view->status = text;
      Sleep(200);  // let the screen catch up before the picture for a human look
      view->screenshot = guitest::SaveScreenshot(
          progress.hwnd, guitest::ScreenshotPath("install_progress.png").c_str());
    }
  }
  view->done = true;
  return 0;
}

TEST_F(InstProgTest, AWorkerWithoutMessageLoopSeesEveryChangePaintedAtOnce) {
  WorkerView view;
  workerOwner = owner;
  HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ProgressWorker, &view, 0, nullptr));
  ASSERT_NE(nullptr, thread);
  // The owner's thread keeps pumping: creating an owned pop-up talks to it.
  EXPECT_TRUE(guitest::PumpUntil([&] { return view.done.load(); }, 20000));
  WaitForSingleObject(thread, 5000);
  CloseHandle(thread);

  ASSERT_NE(nullptr, view.dialog);
  EXPECT_FALSE(IsWindow(view.dialog));  // gone with its object
  EXPECT_EQ(100, view.positionAfter100);
  EXPECT_EQ(37, view.positionAfter37);
  EXPECT_EQ(37, view.remembered);
  EXPECT_EQ("C:\\Program Files\\Dravenholt\\Viewer\\DHViewer.exe", view.status);
  // The far end of the bar was empty and is filled now, and the status line shows ink,
  // without any message having been dispatched on the worker's thread.
  EXPECT_NE(view.barAt0, view.barAt100);
  EXPECT_EQ(0, view.statusInkBefore);
  EXPECT_GT(view.statusInkAfter, 20);
  EXPECT_FALSE(view.barPending);
  EXPECT_FALSE(view.statusPending);
  EXPECT_TRUE(view.screenshot);
}

}  // namespace
}  // namespace progresstest
