#include "app/DiskSpaceNotice.h"

#include "app/AppGlobals.h"
#include "res/ResourceIds.h"

namespace {

// Everything goes to the dialog manager.
INT_PTR CALLBACK NoticeProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

}  // namespace

HWND ShowDiskSpaceNotice(HWND owner) {
  HWND notice = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_DISKCHECK), owner,
                                   NoticeProc, 0);
  if (!notice) return nullptr;
  ShowWindow(notice, SW_SHOW);
  UpdateWindow(notice);
  return notice;
}
