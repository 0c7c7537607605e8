#include "app/WelcomeDlg.h"

#include "app/PageImage.h"

INT_PTR cWelcomeDlg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_PAINT:
      PaintWelcomeImage(hwnd);
      return 1;
    default:
      return ModelessDefault(message);
  }
}
