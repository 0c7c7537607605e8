#include "app/DiskSpaceCheckUi.h"

#include "app/DiskSpaceNotice.h"
#include "res/ResourceIds.h"

void cDiskSpaceCheckUi::ReadFolderText(char* buffer, int size) {
  if (size <= 0) return;
  buffer[0] = '\0';
  GetDlgItemTextA(page_, IDC_TEXT, buffer, size);
}

void cDiskSpaceCheckUi::WriteFolderText(const char* text) { SetDlgItemTextA(page_, IDC_TEXT, text); }

void cDiskSpaceCheckUi::FocusFolderText() { SetFocus(GetDlgItem(page_, IDC_TEXT)); }

void cDiskSpaceCheckUi::ShowDiskNotice() {
  if (!notice_) notice_ = ShowDiskSpaceNotice(page_);
}

void cDiskSpaceCheckUi::CloseDiskNotice() {
  if (notice_) DestroyWindow(notice_);
  notice_ = nullptr;
}

void cDiskSpaceCheckUi::CloseProgram() { PostMessageA(mainWindow_, WM_CLOSE, 0, 0); }
