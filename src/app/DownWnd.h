// The lower pane of the main window: it carries the wizard buttons and hands their
// clicks to the main window.
#pragma once

#include "app/BaseWindow.h"

class cDownWnd : public BaseWindow<cDownWnd> {
 public:
  ~cDownWnd() override;
  const char* GetClassName() const override { return "DownWindowClass For DHViewSetup"; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
