// The wizard's last page: the summary of the choices, which the main window writes into
// edit 1001, before the installation starts.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cConfirmDlg : public BaseDialog<cConfirmDlg> {
 public:
  static constexpr int kDialogId = IDD_CONFIRM;
  ~cConfirmDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
