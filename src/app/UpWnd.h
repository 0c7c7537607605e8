// The upper pane of the main window: a white canvas under the wizard pages.
#pragma once

#include "app/BaseWindow.h"

class cUpWnd : public BaseWindow<cUpWnd> {
 public:
  ~cUpWnd() override;
  const char* GetClassName() const override { return "UpWindowClass For DHViewSetup"; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
