// The install progress dialog: a bar and a status line on a captionless pop-up. The
// worker that shows it creates it on its own thread, which pumps no messages, so every
// change is painted here at once instead of waiting for a WM_PAINT nobody dispatches.
#pragma once

#include "app/BaseDialog.h"
#include "morstd/ProgressSink.h"
#include "res/ResourceIds.h"

class cInstProg : public BaseDialog<cInstProg>, public cProgressSink {
 public:
  static constexpr int kDialogId = IDD_INSTPROG;

  ~cInstProg() override { DestroyOwnWindow(); }
  // Creates and shows the dialog on the calling thread and paints it completely.
  // 1 when it exists, 0 when it could not be created.
  int Create(HWND parent);
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Moves the bar to `position` (0-100, not clamped) and shows `text` below it.
  void SetProgress(int position, const char* text) override;

  int position = 0;  // the last position set
  HWND progressBar = nullptr;
};
