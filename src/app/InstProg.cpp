#include "app/InstProg.h"

#include <commctrl.h>

int cInstProg::Create(HWND parent) {
  if (!BaseDialog<cInstProg>::Create(parent)) return 0;
  // The dialog's own text and frame would otherwise wait for a message loop.
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN |
                                           RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
  return 1;
}

INT_PTR cInstProg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      progressBar = GetDlgItem(hwnd, IDC_PROGRESS);
      SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      SendMessageA(progressBar, PBM_SETPOS, 0, 0);
      return 1;
    default:
      return ModelessDefault(message);
  }
}

void cInstProg::SetProgress(int newPosition, const char* text) {
  position = newPosition;
  if (!hwnd) return;
  SendMessageA(progressBar, PBM_SETPOS, static_cast<WPARAM>(newPosition), 0);
  HWND status = GetDlgItem(hwnd, IDC_STATUS);
  SetWindowTextA(status, text ? text : "");
  UpdateWindow(progressBar);
  UpdateWindow(status);
}
