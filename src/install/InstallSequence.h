// The fresh installation as one sequence: folders, the payload's files, the uninstall
// record, the chosen shortcuts and the registry, with its progress shown step by step.
// On failure the viewer folders, the shortcuts it made, a Start-menu folder it made
// (once empty) and the registry entries are removed again; a folder that was there
// before stays. The install worker runs it on its own thread.
#pragma once

#include "install/Shortcut.h"
#include "morstd/ProgressSink.h"

class cGetLhaFile;
class cReg;

// What the wizard collected; the sequence only reads it.
struct InstallPlan {
  const char* installDir = "";
  const char* appDataDir = "";
  const char* contentsDir = "";
  const char* programsDir = "";
  const char* desktopDir = "";
  int addStartMenu = 0;
  int addDesktop = 0;
  int createInstallDir = 0;
  int memberCount = 0;  // counted when the payload's size was measured
  cReg* reg = nullptr;
  // The extractor that measured the payload, still holding it deciphered, so that the
  // installation does not decipher it again; null: the installation deciphers it.
  cGetLhaFile* payload = nullptr;
};

// Failure codes of the installation.
constexpr int kInstallNoProgress = 500;
constexpr int kInstallExtractFailed = 550;  // also a file or folder not written
constexpr int kInstallMemberRefused = 555;  // a member named outside the product's folders
constexpr int kInstallRecordFailed = 560;
constexpr int kInstallStartMenuFailed = 570;
constexpr int kInstallDesktopFailed = 580;
constexpr int kInstallRegistryFailed = 590;
constexpr int kInstallUnexpected = 999;

// The number of progress steps: one per member, three fixed ones and one for each of
// the install folder's creation and the two shortcuts.
int InstallStepCount(const InstallPlan& plan);

// Runs the installation, showing its progress in `progress` (null: code 500, nothing
// done) and making links with `makeShortcut` (null: CreateShortcut). Returns 0 or the
// failure code, after the cleanup.
int RunInstallSequence(const InstallPlan& plan, cProgressSink* progress,
                       ShortcutMaker makeShortcut = nullptr);

// Deletes the "Viewer" folder below each of the two folders with all it holds, then
// the folder itself if that left it empty. 1, or 0 if something unexpected failed.
int RemoveInstalledFolders(const char* installDir, const char* appDataDir);
