#include "install/InstallSequence.h"

#include <cstring>

#include "install/CheckExistDir.h"
#include "morstd/MorString.h"
#include "morstd/StepPercent.h"
#include "payload/GetLhaFile.h"
#include "platform/win.h"
#include "registry/Reg.h"

namespace {

using morstd::StepPercent;

const char kViewerFolderName[] = "Viewer";
const char kViewerExe[] = "DHViewer.exe";
const char kProductFolderName[] = "Dravenholt";
const char kShortcutName[] = "Dravenholtビューア.lnk";

const char kStepInstallFolder[] = "インストールディレクトリ作成";
const char kStepAppDataFolder[] = "APPDATAディレクトリ作成";
const char kStepRecord[] = "アンインストール情報作成";
const char kStepStartMenu[] = "スタートメニューに登録";
const char kStepDesktop[] = "デスクトップにショートカットを作成";
const char kStepRegistry[] = "レジストリー書き込み";

constexpr int kFixedSteps = 3;
constexpr DWORD kShortcutPauseMs = 50;
constexpr int kComplete = 100;
// The deletion wants its list in a zero-filled buffer one byte longer than a path, so
// that the name ends with the double zero.
constexpr int kDeleteListBytes = MAX_PATH + 1;

const char* Text(const char* text) { return text ? text : ""; }

// The paths the installation writes, each made from the plan's folders.
struct InstallPaths {
  explicit InstallPaths(const InstallPlan& plan) {
    viewerFolder.Format("%s\\%s", Text(plan.installDir), kViewerFolderName);
    dataViewerFolder.Format("%s\\%s", Text(plan.appDataDir), kViewerFolderName);
    uninstRecord.Format("%s\\%s\\Uninst.dat", Text(plan.installDir), kViewerFolderName);
    shortcutTarget.Format("%s\\%s\\%s", Text(plan.installDir), kViewerFolderName, kViewerExe);
    workingFolder.Format("%s\\%s", Text(plan.installDir), kViewerFolderName);
    startMenuFolder.Format("%s\\%s", Text(plan.programsDir), kProductFolderName);
    startMenuShortcut = startMenuFolder;
    startMenuShortcut.AppendFormat("\\%s", kShortcutName);
    desktopShortcut.Format("%s\\%s", Text(plan.desktopDir), kShortcutName);
  }
  morstd::cMorString viewerFolder;
  morstd::cMorString dataViewerFolder;
  morstd::cMorString uninstRecord;
  morstd::cMorString shortcutTarget;
  morstd::cMorString workingFolder;
  morstd::cMorString startMenuFolder;
  morstd::cMorString startMenuShortcut;
  morstd::cMorString desktopShortcut;
};

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// What this run put outside the viewer folders, for the cleanup after a failure.
struct MadeOutside {
  bool startMenuFolder = false;    // the Start-menu folder did not exist before
  bool startMenuShortcut = false;  // the link is this run's (written, or new and half made)
  bool desktopShortcut = false;
};

// Makes one link; `made` tells the cleanup whether the file there is this run's.
bool MakeLink(ShortcutMaker makeShortcut, const char* link, const InstallPaths& paths,
              bool* made) {
  const bool existed = Exists(link);
  const bool ok =
      makeShortcut(link, paths.shortcutTarget.GetData(), paths.workingFolder.GetData()) != 0;
  *made = ok || !existed;
  return ok;
}

void Install(const InstallPlan& plan, const InstallPaths& paths, cProgressSink* progress,
             ShortcutMaker makeShortcut, MadeOutside* made) {
  const int total = InstallStepCount(plan);

  if (plan.createInstallDir) CheckExistDir(plan.installDir, kCreateMissing);
  CheckExistDir(plan.contentsDir, kCreateMissing);
  progress->SetProgress(StepPercent(1, total), kStepInstallFolder);

  CheckExistDir(plan.appDataDir, kCreateMissing);
  int step = 2;
  progress->SetProgress(StepPercent(step, total), kStepAppDataFolder);

  // A folder left uncreated here makes the extraction fail, which reports it.
  CheckExistDir(paths.viewerFolder.GetData(), kCreateMissing);
  CheckExistDir(paths.dataViewerFolder.GetData(), kCreateMissing);

  cGetLhaFile ownPayload;
  cGetLhaFile& payload = plan.payload ? *plan.payload : ownPayload;
  if (!payload.ExtractAll(paths.viewerFolder.GetData(), paths.dataViewerFolder.GetData(), progress,
                          &step, total)) {
    throw payload.lastError == -cGetLhaFile::kExtractNameRefused ? kInstallMemberRefused
                                                                 : kInstallExtractFailed;
  }
  if (!payload.WriteUninstRecord(paths.uninstRecord.GetData(), plan.addStartMenu,
                                 plan.addDesktop)) {
    throw kInstallRecordFailed;
  }
  progress->SetProgress(StepPercent(++step, total), kStepRecord);

  if (plan.addStartMenu) {
    made->startMenuFolder = !PathIsDirectoryA(paths.startMenuFolder.GetData());
    CheckExistDir(paths.startMenuFolder.GetData(), kCreateMissing);
    if (!MakeLink(makeShortcut, paths.startMenuShortcut.GetData(), paths,
                  &made->startMenuShortcut)) {
      throw kInstallStartMenuFailed;
    }
    progress->SetProgress(StepPercent(++step, total), kStepStartMenu);
    Sleep(kShortcutPauseMs);
  }
  if (plan.addDesktop) {
    if (!MakeLink(makeShortcut, paths.desktopShortcut.GetData(), paths,
                  &made->desktopShortcut)) {
      throw kInstallDesktopFailed;
    }
    progress->SetProgress(StepPercent(++step, total), kStepDesktop);
    Sleep(kShortcutPauseMs);
  }

  if (!plan.reg->SaveAll(paths.dataViewerFolder.GetData(), paths.viewerFolder.GetData(),
                         plan.contentsDir)) {
    throw kInstallRegistryFailed;
  }
  progress->SetProgress(kComplete, kStepRegistry);
}

// Deletes `folder` with its contents when it is a folder.
void DeleteTree(const char* folder) {
  if (!PathIsDirectoryA(folder)) return;
  char list[kDeleteListBytes] = {};
  lstrcpynA(list, folder, MAX_PATH);
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list;
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  SHFileOperationA(&operation);
}

// The links of a failed installation would point at a viewer that is gone. A
// Start-menu folder that was there before stays, and so does one that holds more.
void RemoveMadeOutside(const InstallPaths& paths, const MadeOutside& made) {
  if (made.startMenuShortcut) DeleteFileA(paths.startMenuShortcut.GetData());
  if (made.desktopShortcut) DeleteFileA(paths.desktopShortcut.GetData());
  if (made.startMenuFolder) RemoveDirectoryA(paths.startMenuFolder.GetData());
}

void RemoveViewerFolder(const char* parent) {
  if (!parent || !*parent) return;
  morstd::cMorString viewer;
  viewer.Format("%s\\%s", parent, kViewerFolderName);
  DeleteTree(viewer.GetData());
  RemoveDirectoryA(parent);
}

}  // namespace

int InstallStepCount(const InstallPlan& plan) {
  return plan.memberCount + kFixedSteps + (plan.createInstallDir ? 1 : 0) +
         (plan.addStartMenu ? 1 : 0) + (plan.addDesktop ? 1 : 0);
}

int RemoveInstalledFolders(const char* installDir, const char* appDataDir) {
  try {
    RemoveViewerFolder(installDir);
    RemoveViewerFolder(appDataDir);
    return 1;
  } catch (...) {
    return 0;
  }
}

int RunInstallSequence(const InstallPlan& plan, cProgressSink* progress,
                       ShortcutMaker makeShortcut) {
  int code = 0;
  MadeOutside made;
  try {
    if (!progress) throw kInstallNoProgress;
    // Without a registry object nothing could be recorded: the registry step fails.
    if (!plan.reg) throw kInstallRegistryFailed;
    const InstallPaths paths(plan);
    try {
      Install(plan, paths, progress, makeShortcut ? makeShortcut : CreateShortcut, &made);
      return 0;
    } catch (...) {
      RemoveMadeOutside(paths, made);
      throw;
    }
  } catch (int failure) {
    code = failure;
  } catch (...) {
    code = kInstallUnexpected;
  }
  RemoveInstalledFolders(plan.installDir, plan.appDataDir);
  if (plan.reg) plan.reg->RemoveAll();
  return code;
}
