#include "app/UpdateDspDlg.h"

#include "app/FillParent.h"

namespace {
const char kStartLine[] = "アップデート・インストールを開始します\r\n";
}

INT_PTR cUpdateDspDlg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FillParent(hwnd);
      SetDlgItemTextA(hwnd, IDC_TEXT, kStartLine);
      return 1;
    default:
      return ModelessDefault(message);
  }
}
