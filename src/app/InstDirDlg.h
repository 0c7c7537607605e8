// The wizard's install-folder page: the folder edit, filled from the main window's
// installDir, and a browse button that picks a folder with the shell's folder dialog.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cSetupMWnd;

class cInstDirDlg : public BaseDialog<cInstDirDlg> {
 public:
  static constexpr int kDialogId = IDD_INSTDIR;
  // The page shows and changes `owner`'s installDir.
  explicit cInstDirDlg(cSetupMWnd& owner) : owner_(owner) {}
  ~cInstDirDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The browse button: the shell's folder dialog, opened at the folder in the edit; the
  // chosen folder, ending in the product folder, goes to installDir and the edit.
  void BrowseForInstallFolder();

 private:
  cSetupMWnd& owner_;
};
