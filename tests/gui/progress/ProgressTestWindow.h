// A plain top-level window that stands in for the main window: the owner of the
// progress dialogs and the notice, and a record of the WM_CLOSE requests it got.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

namespace progresstest {

// WM_CLOSE messages the owner received (it does not close on them).
extern int closeRequests;

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND owner = nullptr;
};

// A rectangle of `dialog`'s client area given in pixels, in the dialog's units.
RECT InDialogUnits(HWND dialog, RECT pixels);
// Where `child` lies in its parent's client area, in pixels.
RECT ChildRect(HWND child);

}  // namespace progresstest
