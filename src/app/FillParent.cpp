#include "app/FillParent.h"

#include "res/ResourceIds.h"

void FillParent(HWND dialog) {
  RECT parent;
  GetClientRect(GetParent(dialog), &parent);
  MoveWindow(dialog, 0, 0, parent.right - parent.left, parent.bottom - parent.top, TRUE);
  RECT own;
  GetClientRect(dialog, &own);
  MoveWindow(GetDlgItem(dialog, IDC_TEXT), 0, 0, own.right - own.left, own.bottom - own.top, TRUE);
}
