// How Uninstall.exe gets out of the folder it removes: a running program's file cannot
// be deleted, so the copy in the install folder starts a copy of itself in the
// temporary folder and ends; that copy waits for it to end, does the work, deletes the
// original and leaves its own file to be deleted when Windows next starts.
#pragma once

#include <windows.h>

#include <string>

// The argument that marks the temporary copy: "/relocated <handle> <original path>",
// the handle (decimal) being the original process's, inherited for waiting on it.
constexpr char kRelocatedSwitch[] = "/relocated";

// Copies this program to the temporary folder and starts the copy, in that folder, with
// the switch. True when the copy runs; false leaves nothing behind (the copy's file is
// deleted again) and the caller does the work itself.
bool StartTemporaryCopy(const std::string& selfPath);
// The copy's first step: waits until the original process has ended (so its file can
// be deleted) and closes the inherited handle.
void WaitForOriginal(HANDLE original);
// Asks Windows to delete `path` at the next start. A running program cannot delete its
// own file, and nothing outlives it to do so; without administrator rights Windows
// refuses, and the file stays in the temporary folder. False when refused.
bool DeleteAtNextStart(const std::string& path);
// This program's own file.
std::string ModulePath();
