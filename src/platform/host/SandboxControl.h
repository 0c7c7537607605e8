// Test controls of the files sandbox: where Windows paths live on Linux.
#pragma once

#include <string>

namespace hostwin {

// The Linux folder holding the drives: C:\a\b is <root>/C/a/b. Unless a test chose
// one, it is a fresh folder under $TMPDIR (or /tmp), made on first use and removed
// when the process ends.
std::string SandboxRoot();

// Makes linuxDir (created when missing, with its drive folder "C") the root until the
// next ResetAll or FreshSandbox. The layer never deletes a folder it did not make.
void SetSandboxRoot(const std::string& linuxDir);

// Starts an empty sandbox of the layer's own and returns its root; the previous one is
// removed when the layer made it. The current folder goes back to C:\. ResetAll does
// this too (and also closes every open handle).
std::string FreshSandbox();

// The Linux path a Windows path maps to, existing names in their stored case; "" when
// the text is no usable path.
std::string SandboxPath(const char* winPath);

}  // namespace hostwin
