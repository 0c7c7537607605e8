#include "app/DownWnd.h"

cDownWnd::~cDownWnd() { UnregisterClassA(GetClassName(), g_instance); }

LRESULT cDownWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_COMMAND:
      SendMessageA(g_mainWindow, WM_COMMAND, wParam, lParam);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
