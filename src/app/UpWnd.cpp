#include "app/UpWnd.h"

cUpWnd::~cUpWnd() { UnregisterClassA(GetClassName(), g_instance); }

LRESULT cUpWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
