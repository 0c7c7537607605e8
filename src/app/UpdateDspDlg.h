// The update display: a read-only text pane over the upper pane that the update worker
// writes its log lines into.
#pragma once

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"

class cUpdateDspDlg : public BaseDialog<cUpdateDspDlg> {
 public:
  static constexpr int kDialogId = IDD_README;
  ~cUpdateDspDlg() override { DestroyOwnWindow(); }
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
