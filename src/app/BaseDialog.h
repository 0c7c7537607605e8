// Template for the modeless dialogs made from dialog resources (wizard pages, progress
// dialogs): one shared dialog procedure finds the object and calls its handler.
#pragma once

#include <windows.h>

#include "app/AppGlobals.h"

template <class Derived>
class BaseDialog {
 public:
  HWND hwnd = nullptr;

  // Non-zero when the message was handled.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Each modeless dialog class destroys its own window in its destructor.
  virtual ~BaseDialog() { hwnd = nullptr; }

  // 1 when the dialog exists (already or now), 0 when it could not be created.
  int Create(HWND parent) {
    if (hwnd) return 1;
    HWND created = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(Derived::kDialogId), parent,
                                      StaticDialogProc, reinterpret_cast<LPARAM>(this));
    if (!created) return 0;
    ShowWindow(created, SW_SHOW);
    return 1;
  }

  static INT_PTR CALLBACK StaticDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    BaseDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
      self = reinterpret_cast<BaseDialog*>(lParam);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->hwnd = dialog;
    } else {
      self = reinterpret_cast<BaseDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    }
    if (!self) return 0;
    INT_PTR result = self->DialogProc(message, wParam, lParam);
    // The last message a window gets: no later message may reach a deleted object.
    if (message == WM_NCDESTROY) SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return result;
  }

 protected:
  // What the modeless dialogs do with every message they do not handle themselves:
  // WM_DESTROY forgets the window (so the destructor will not destroy it again), and
  // everything else is left to the dialog manager.
  INT_PTR ModelessDefault(UINT message) {
    if (message != WM_DESTROY) return 0;
    hwnd = nullptr;
    return 1;
  }

  // The modeless dialogs' destructors: destroy the window unless the system already did
  // (WM_DESTROY cleared hwnd).
  void DestroyOwnWindow() {
    if (hwnd) DestroyWindow(hwnd);
    hwnd = nullptr;
  }
};
