#include "app/ConfirmDlg.h"

#include "app/PageImage.h"

INT_PTR cConfirmDlg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_PAINT:
      PaintPageImage(hwnd);
      return 1;
    default:
      return ModelessDefault(message);
  }
}
