// Template for the windows the program registers itself (the main window's panes):
// one shared window procedure finds the object behind a handle and calls its handler.
#pragma once

#include <windows.h>

#include "app/AppGlobals.h"

template <class Derived>
class BaseWindow {
 public:
  HWND hwnd = nullptr;

  virtual const char* GetClassName() const = 0;
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual ~BaseWindow() { hwnd = nullptr; }

  // Registers the class (a second registration fails harmlessly) and creates the
  // window as a hidden-size child; the owner moves it into place.
  HWND Create(HWND parent) {
    if (hwnd) return hwnd;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = GetClassName();
    RegisterClassExA(&wc);
    HWND created = CreateWindowExA(WS_EX_NOPARENTNOTIFY, GetClassName(), "",
                                   WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                   CW_USEDEFAULT, 0, 0, parent, nullptr, g_instance, this);
    if (created) ShowWindow(created, SW_SHOW);
    return created;
  }

  // The object pointer travels in GWLP_USERDATA; the pointer-sized calls keep it whole
  // in the 64-bit build and are the same calls as the 32-bit ones in the release.
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    BaseWindow* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      self = static_cast<BaseWindow*>(cs->lpCreateParams);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->hwnd = window;
    } else {
      self = reinterpret_cast<BaseWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = self->WindowProc(message, wParam, lParam);
    // The last message a window gets: no later message may reach a deleted object.
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return result;
  }
};
