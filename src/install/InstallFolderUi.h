// The folder page as the install-folder check sees it: its edit control, its owner
// window for messages, the disk-space notice and the way to end the program. On
// Windows the page's dialog provides it; host tests record what the check does.
#pragma once

#include "platform/win.h"

class cInstallFolderUi {
 public:
  virtual ~cInstallFolderUi() = default;
  // The page window, owner of the check's messages; null when there is no page.
  virtual HWND Page() = 0;
  // The text of the folder edit, at most size - 1 bytes, zero-terminated.
  virtual void ReadFolderText(char* buffer, int size) = 0;
  virtual void WriteFolderText(const char* text) = 0;
  virtual void FocusFolderText() = 0;
  // The notice "checking the free space", shown and painted at once.
  virtual void ShowDiskNotice() = 0;
  virtual void CloseDiskNotice() = 0;
  // Asks the main window to close (the program ends after the current step).
  virtual void CloseProgram() = 0;
};
