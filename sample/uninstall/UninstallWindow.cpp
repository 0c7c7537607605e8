#include "UninstallWindow.h"

namespace {

const char kTitle[] = "Dravenholtビューア アンインストール";
constexpr int kWidth = 600;
constexpr int kHeight = 360;

LRESULT CALLBACK UninstallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The program ends when the dialog does; the window never ends the run by itself.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND CreateUninstallWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = UninstallWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kUninstallWindowClass;
  if (!RegisterClassExA(&windowClass)) return nullptr;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  HWND window = CreateWindowExA(0, kUninstallWindowClass, kTitle,
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                                kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}
