// The wizard's read-me page: the licence text from the payload, which the user agrees to
// with Next.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cReadMeDlg : public BaseDialog<cReadMeDlg> {
 public:
  static constexpr int kDialogId = IDD_README;
  ~cReadMeDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
