#include "ViewerWnd.h"

const char cViewerWnd::kClassName[] = "DHViewerSampleWindow";
const char cViewerWnd::kTitle[] = "Dravenholtビューア";

namespace {

const char kVersionLabel[] = "インストール済みバージョン: ";
const char kCloseText[] = "閉じる";
const int kWindowWidth = 600;
const int kWindowHeight = 440;
const int kMargin = 10;
const int kLineHeight = 20;
const int kButtonWidth = 90;
const int kButtonHeight = 26;

HWND MakeChild(HWND parent, HINSTANCE instance, const char* className, const char* text,
               DWORD style, int id) {
  HWND child = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
  if (child) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  }
  return child;
}

}  // namespace

cViewerWnd::cViewerWnd(const cSettingsReport& report, const std::string& note)
    : versionText(kVersionLabel + report.InstalledVersion().Display()),
      launchNote(note),
      settingsText(report.Text()) {}

HWND cViewerWnd::Create(HINSTANCE module, int showCommand) {
  instance = module;
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return nullptr;
  }
  HWND created = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr,
                                 instance, this);
  if (!created) return nullptr;
  ShowWindow(created, showCommand);
  UpdateWindow(created);
  return created;
}

LRESULT CALLBACK cViewerWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<cViewerWnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      // The object comes with the creation; keep it for every later message.
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      self = static_cast<cViewerWnd*>(create->lpCreateParams);
      self->hwnd = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      break;
    }
    case WM_CREATE:
      return self->CreateChildren(hwnd) ? 0 : -1;
    case WM_SIZE:
      self->Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool cViewerWnd::CreateChildren(HWND parent) {
  return MakeChild(parent, instance, "STATIC", versionText.c_str(), SS_LEFT | SS_NOPREFIX,
                   ID_VERSION) &&
         MakeChild(parent, instance, "STATIC", launchNote.c_str(), SS_LEFT | SS_NOPREFIX,
                   ID_LAUNCH_NOTE) &&
         MakeChild(parent, instance, "EDIT", settingsText.c_str(),
                   WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                       ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                   ID_SETTINGS) &&
         MakeChild(parent, instance, "BUTTON", kCloseText, BS_DEFPUSHBUTTON | WS_TABSTOP,
                   ID_CLOSE);
}

void cViewerWnd::Layout(int width, int height) {
  const int innerWidth = width - 2 * kMargin;
  const int listTop = kMargin + 2 * kLineHeight + kMargin / 2;
  const int buttonTop = height - kMargin - kButtonHeight;
  MoveWindow(GetDlgItem(hwnd, ID_VERSION), kMargin, kMargin, innerWidth, kLineHeight, TRUE);
  MoveWindow(GetDlgItem(hwnd, ID_LAUNCH_NOTE), kMargin, kMargin + kLineHeight, innerWidth,
             kLineHeight, TRUE);
  MoveWindow(GetDlgItem(hwnd, ID_SETTINGS), kMargin, listTop, innerWidth,
             buttonTop - kMargin - listTop, TRUE);
  MoveWindow(GetDlgItem(hwnd, ID_CLOSE), width - kMargin - kButtonWidth, buttonTop,
             kButtonWidth, kButtonHeight, TRUE);
}
