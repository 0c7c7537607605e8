#include "app/ShortCutDlg.h"

#include "app/PageImage.h"
#include "app/SetupMWnd.h"

INT_PTR cShortCutDlg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(hwnd, IDC_START_MENU, owner_.addStartMenu ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(hwnd, IDC_DESKTOP, owner_.addDesktop ? BST_CHECKED : BST_UNCHECKED);
      return 1;
    case WM_PAINT:
      PaintPageImage(hwnd);
      return 1;
    default:
      return ModelessDefault(message);
  }
}
