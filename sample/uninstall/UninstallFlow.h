// What Uninstall.exe does once it runs where it may: checks that the viewer is
// installed, asks the user, and runs the installer's uninstall dialog over its window.
#pragma once

#include <windows.h>

#include <string>

// The program's exit codes.
constexpr int kExitRemoved = 0;       // the viewer was removed
constexpr int kExitCancelled = 1;     // the user said no; nothing was touched
constexpr int kExitClosed = 2;        // the dialog was closed before the removal began
constexpr int kExitNotInstalled = 3;  // no installation is recorded
constexpr int kExitNoWindow = 4;      // the window or the dialog could not be made
constexpr int kExitFailed = 999;      // the removal failed part way

struct cUninstallOutcome {
  int exitCode = kExitCancelled;
  std::string installFolder;  // the removed installation's folder, when it was read
};

cUninstallOutcome RunUninstallFlow(HINSTANCE instance);
