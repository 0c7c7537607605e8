// The folder page's side of the install-folder check on Windows: its edit control, the
// disk-space notice over it, and a close request to the main window.
#pragma once

#include <windows.h>

#include "install/InstallFolderUi.h"

class cDiskSpaceCheckUi : public cInstallFolderUi {
 public:
  cDiskSpaceCheckUi(HWND page, HWND mainWindow) : page_(page), mainWindow_(mainWindow) {}

  HWND Page() override { return page_; }
  void ReadFolderText(char* buffer, int size) override;
  void WriteFolderText(const char* text) override;
  void FocusFolderText() override;
  void ShowDiskNotice() override;
  // A notice left open (the check failed) goes with its owner page.
  void CloseDiskNotice() override;
  void CloseProgram() override;

  HWND Notice() const { return notice_; }

 private:
  HWND page_;
  HWND mainWindow_;
  HWND notice_ = nullptr;
};
