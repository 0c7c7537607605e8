// Uninstall.exe of the viewer: started from "Programs and Features" in the install
// folder, it hands the work to a copy of itself in the temporary folder, which asks
// the user, removes the viewer with the installer's own uninstall dialog, deletes the
// original program and its folder once empty, and leaves its own file for Windows to
// delete at the next start.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "SelfRelocation.h"
#include "UninstallFlow.h"
#include "uninstall/UninstallFolders.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::string::size_type cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The install folder goes once nothing is left in it; a folder holding the user's own
// files stays.
void RemoveInstallFolder(const cUninstallOutcome& outcome) {
  if (outcome.installFolder.empty()) return;
  RemoveDirectoryA(outcome.installFolder.c_str());
  RemoveEmptyProductParent(outcome.installFolder.c_str());
}

// The original program is deleted only where an installation puts it: a command line
// naming some other file must not make this elevated program delete it.
bool IsInInstallFolder(const std::string& path, const cUninstallOutcome& outcome) {
  return !outcome.installFolder.empty() &&
         lstrcmpiA(FolderOf(path).c_str(), outcome.installFolder.c_str()) == 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string self = ModulePath();
  if (__argc == 4 && lstrcmpA(__argv[1], kRelocatedSwitch) == 0) {
    // The temporary copy: the original must be gone before its file can be deleted.
    const unsigned long long handle = std::strtoull(__argv[2], nullptr, 10);
    WaitForOriginal(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(handle)));
    const std::string original = __argv[3];
    const cUninstallOutcome outcome = RunUninstallFlow(instance);
    if (outcome.exitCode == kExitRemoved) {
      // The record lists the original, so it is normally gone already.
      if (IsInInstallFolder(original, outcome)) DeleteFileA(original.c_str());
      RemoveInstallFolder(outcome);
    }
    DeleteAtNextStart(self);
    return outcome.exitCode;
  }

  if (StartTemporaryCopy(self)) return kExitRemoved;
  // No copy could be made: the work is done in place, and this program's file and its
  // folder wait for the next start of Windows.
  const cUninstallOutcome outcome = RunUninstallFlow(instance);
  if (outcome.exitCode == kExitRemoved) {
    DeleteAtNextStart(self);
    // Windows removes a folder at its next start only when it is empty by then.
    if (IsInInstallFolder(self, outcome)) DeleteAtNextStart(outcome.installFolder);
  }
  return outcome.exitCode;
}
