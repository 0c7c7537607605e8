// The wizard's shortcut page: two boxes for the Start-menu entry and the desktop
// shortcut, showing the main window's last choices.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cSetupMWnd;

class cShortCutDlg : public BaseDialog<cShortCutDlg> {
 public:
  static constexpr int kDialogId = IDD_SHORTCUT;
  // The boxes start as `owner`'s addStartMenu and addDesktop.
  explicit cShortCutDlg(const cSetupMWnd& owner) : owner_(owner) {}
  ~cShortCutDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  const cSetupMWnd& owner_;
};
