// Uninstall.exe started as "Programs and Features" starts it: the program hands over at
// once to a copy of itself in the temporary folder, which asks, removes the viewer and
// leaves its own file for deletion at the next start of Windows. The sample's own
// tests and the end-to-end tests over a real installation drive it alike.
#pragma once

#include <windows.h>

#include <string>

#include "gui/lib/GuiTest.h"

namespace uninsttest {

// The question the copy asks before it removes anything.
extern const char kUninstallConfirm[];
// Only guards against a hang.
constexpr DWORD kUninstallTimeoutMs = 30000;

// The temporary copy that owns a box: its process and its program file, both gone
// (or ended) when this goes.
struct TemporaryCopy {
  HANDLE process = nullptr;
  DWORD id = 0;
  std::string path;
  ~TemporaryCopy();
  // The copy's exit code, STILL_ACTIVE when it does not end in time.
  DWORD ExitCode();
};

// Starts `commandLine` (the uninstall entry's "UninstallString"), checks that it hands
// over and ends with 0, and returns the first box of the copy, with the copy in `copy`.
guitest::MessageBoxInfo StartAndAsk(const std::string& commandLine, TemporaryCopy* copy);

}  // namespace uninsttest
