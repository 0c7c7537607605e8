// In-process fixture for the application layer under Wine: a main window of our own
// (not the program's global), the message loop pumped on the test thread, and message
// boxes answered by a helper thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "app/AppGlobals.h"
#include "app/SetupMWnd.h"
#include "gui/lib/GuiTest.h"

namespace apptest {

using guitest::PumpUntil;
// Pumps for a while, for "nothing more happens" checks.
void PumpFor(DWORD ms);

// The viewer's settings key under HKEY_CURRENT_USER, written out here rather than taken
// from the program, so that a wrong key in the program shows.
constexpr char kSettingsKey[] = "Software\\Dravenholt\\Viewer\\1.0";
// The stored "UpdateSuccess", or -12345 when there is none.
long long ReadUpdateResult();

class AppFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the main window with the command line and waits until it is shown.
  HWND CreateMainWindow(const char* commandLine);
  // True once the main window has been destroyed.
  bool WindowGone() const;

  std::unique_ptr<cSetupMWnd> window;
};

}  // namespace apptest
