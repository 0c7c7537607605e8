#include "app/ReadMeDlg.h"

#include "app/FillParent.h"
#include "payload/GetLhaFile.h"

INT_PTR cReadMeDlg::DialogProc(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      FillParent(hwnd);
      // Without the text the edit stays empty; the user may still agree.
      cGetLhaFile payload;
      morstd::cMorString text;
      if (payload.GetReadMe(&text) && text.GetData()) SetDlgItemTextA(hwnd, IDC_TEXT, text.GetData());
      return 1;
    }
    default:
      return ModelessDefault(message);
  }
}
