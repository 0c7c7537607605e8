// The main window: creation, layout, the window procedure and tear-down.
#include "app/SetupMWnd.h"

#include <new>

#include "app/DownWnd.h"
#include "app/SetupMain.h"
#include "app/UpWnd.h"
#include "app/UpdateDspDlg.h"
#include "app/WorkerThread.h"
#include "registry/Reg.h"
#include "res/ResourceIds.h"
#include "res/Captions.h"

HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;

namespace {

const char kUpdateModeArgument[] = "-ai";
const char kCaption[] = "Dravenholtビューアのインストール";
const char kRegisterClassFailed[] = "RegisterClassEx失敗 Err=%d";
const char kInternalError[] = "内部エラーのためインストール続行不能です(%d)";

// Failure codes of WM_CREATE, shown in the internal-error message.
constexpr int kNoRegistryObject = 50;
constexpr int kNoUpperPaneObject = 100;
constexpr int kNoUpperPane = 110;
constexpr int kNoLowerPaneObject = 120;
constexpr int kNoLowerPane = 130;
constexpr int kUnexpectedCreateFailure = 900;

constexpr DWORD kMainWindowStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 25;
constexpr UINT kUpdateStartDelayMs = 300;

struct ButtonSpec {
  int id;
  const char* text;
  RECT cSetupMWnd::*rect;
  HWND cSetupMWnd::*handle;
};

const ButtonSpec kButtons[] = {
    {ID_BUTTON_BACK, "<戻る", &cSetupMWnd::backRect, &cSetupMWnd::backButton},
    {ID_BUTTON_NEXT, "次へ>", &cSetupMWnd::nextRect, &cSetupMWnd::nextButton},
    {ID_BUTTON_CANCEL, "キャンセル", &cSetupMWnd::cancelRect, &cSetupMWnd::cancelButton},
};

template <class T>
void DeleteAndClear(T*& object) {
  delete object;
  object = nullptr;
}

}  // namespace

cSetupMWnd::cSetupMWnd() = default;

cSetupMWnd::~cSetupMWnd() {
  // The window has normally joined its worker on WM_DESTROY; this object outlives it.
  StopWorker();
  if (hwnd && IsWindow(hwnd)) DestroyChildren();
  UnregisterClassA(GetClassName(), g_instance);
}

void cSetupMWnd::SetCommandLine(const char* text) {
  if (text && text[0] != '\0') lstrcpynA(commandLine, text, kCommandLineSize);
}

bool cSetupMWnd::IsUpdateMode() const { return lstrcmpA(commandLine, kUpdateModeArgument) == 0; }

HWND cSetupMWnd::CreateMainWindow() {
  if (hwnd) return hwnd;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = StaticWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = static_cast<HICON>(LoadImageA(wc.hInstance, MAKEINTRESOURCEA(IDI_SETUP), IMAGE_ICON,
                                           0, 0, LR_SHARED | LR_DEFAULTSIZE));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = GetClassName();
  if (!RegisterClassExA(&wc)) {
    char text[64];
    wsprintfA(text, kRegisterClassFailed, static_cast<int>(GetLastError()));
    MessageBoxA(nullptr, text, "", MB_OK);
  }
  HWND created = CreateWindowExA(WS_EX_NOPARENTNOTIFY, GetClassName(), kCaption, kMainWindowStyle,
                                 CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr,
                                 wc.hInstance, this);
  if (created) ShowWindow(created, SW_SHOW);
  return created;
}

LRESULT cSetupMWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Nothing may unwind through the system's frames of the message dispatch: a failure
  // that escapes a handler (a page that cannot be made) ends the program here with the
  // same message the entry point gives for an unexpected failure.
  try {
    switch (message) {
      case WM_CREATE:
        OnCreate();
        return 0;
      case WM_DESTROY:
        DestroyChildren();
        PostQuitMessage(0);
        return 0;
      case WM_CLOSE:
        // Cancel, the close box, Alt+F4 and a posted close alike: a running worker is
        // seen through to its end, and its completion closes the window.
        if (!workRunning) DestroyWindow(hwnd);
        return 0;
      case WM_QUERYENDSESSION:
        return workRunning ? FALSE : TRUE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case ID_BUTTON_BACK:
            PreviousPage();
            break;
          case ID_BUTTON_NEXT:
            NextPage();
            break;
          case ID_BUTTON_CANCEL:
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
          default:
            break;
        }
        return 0;
      case WM_TIMER:
        OnTimer(wParam);
        return 0;
      case WM_SETUP_COMPLETE:
        OnSetupComplete(wParam, lParam);
        return 0;
      default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
  } catch (...) {
    ShowUnexpectedFailure();
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
    return 0;
  }
}

void cSetupMWnd::OnCreate() {
  try {
    g_mainWindow = hwnd;
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    MoveWindow(hwnd, (desktop.right - kWidth) / 2, (desktop.bottom - kHeight) / 2 - 100, kWidth,
               kHeight, TRUE);

    reg = new (std::nothrow) cReg();
    if (!reg) throw kNoRegistryObject;

    RECT client;
    GetClientRect(hwnd, &client);
    upWnd = new (std::nothrow) cUpWnd();
    if (!upWnd) throw kNoUpperPaneObject;
    upPane = upWnd->Create(hwnd);
    if (!upPane) throw kNoUpperPane;
    MoveWindow(upPane, 0, 0, client.right, kUpperPaneHeight, TRUE);

    downWnd = new (std::nothrow) cDownWnd();
    if (!downWnd) throw kNoLowerPaneObject;
    downPane = downWnd->Create(hwnd);
    if (!downPane) throw kNoLowerPane;
    MoveWindow(downPane, 0, kUpperPaneHeight, client.right, client.bottom - kUpperPaneHeight, TRUE);

    if (IsUpdateMode()) {
      StartUpdateMode();
    } else {
      CreateInteractiveLayout();
    }
  } catch (int code) {
    ReportCreateFailure(code);
  } catch (...) {
    ReportCreateFailure(kUnexpectedCreateFailure);
  }
}

void cSetupMWnd::ReportCreateFailure(int code) {
  char text[128];
  wsprintfA(text, kInternalError, code);
  MessageBoxA(hwnd, text, kCaptionWarning, MB_ICONQUESTION);
  PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void cSetupMWnd::CreateInteractiveLayout() {
  RECT pane;
  GetClientRect(downPane, &pane);
  cancelRect = {pane.right - 120, pane.bottom - 35, pane.right - 20, pane.bottom - 10};
  nextRect = {cancelRect.left - 120, cancelRect.top, cancelRect.left - 20, cancelRect.bottom};
  backRect = {nextRect.left - 100, cancelRect.top, nextRect.left, cancelRect.bottom};
  pageRect = pane;
  pageRect.bottom -= 45;

  for (const ButtonSpec& spec : kButtons) {
    HWND button = CreateWindowExA(0, "BUTTON", spec.text, kButtonStyle, 0, 0, 0, 0, downPane,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                  g_instance, nullptr);
    this->*spec.handle = button;
    const RECT& r = this->*spec.rect;
    MoveWindow(button, r.left, r.top, kButtonWidth, kButtonHeight, TRUE);
  }

  ShowPage(0);  // the welcome page
  pageIndex = 0;
  RunPreflightChecks();
}

void cSetupMWnd::StartUpdateMode() {
  OpenUpdateDisplay();
  reg->updateMode = 1;
  SetTimer(hwnd, ID_TIMER_UPDATE_START, kUpdateStartDelayMs, nullptr);
}

void cSetupMWnd::DestroyChildren() {
  // Only a failure nobody expected destroys the window under a running worker.
  StopWorker();
  if (upPane) DestroyWindow(upPane);
  upPane = nullptr;
  if (downPane) DestroyWindow(downPane);
  downPane = nullptr;
  DeleteAndClear(upWnd);
  DeleteAndClear(downWnd);
  DeletePages();
  DeleteAndClear(updateDspDlg);
  DeleteAndClear(reg);
}
