// The wizard's first page: only the welcome picture.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cWelcomeDlg : public BaseDialog<cWelcomeDlg> {
 public:
  static constexpr int kDialogId = IDD_WELCOME;
  ~cWelcomeDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
