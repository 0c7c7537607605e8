// The backups of the three installed folders under the temporary folder: made before
// anything is changed, moved back when a later step fails, removed after success.
#include <initializer_list>

#include "morstd/CatchCode.h"
#include "update/UpdateFile.h"
#include "update/UpdateFileSteps.h"

using morstd::cMorString;
using updatefile::BackupRoot;
using updatefile::HasText;
using updatefile::LastComponent;
using morstd::RunCoded;
using updatefile::ShellOperation;

namespace {

// Backup
constexpr int kInstallFolderNotCopied = 330;
constexpr int kNoBackupFolder = 335;
constexpr int kCollectionsNotCopied = 345;
constexpr int kModelNotCopied = 350;
constexpr int kRecordNotLoaded = 355;
constexpr int kBackupOther = 99930;

// DeleteBackups and DeleteTemp
constexpr int kNoTempFolder = 500;
constexpr int kNotDeleted = 505;
constexpr int kDeleteOther = 99920;

// Rollback
constexpr int kInstallFolderNotRestored = 700;
constexpr int kCollectionsNotRestored = 710;
constexpr int kModelNotRestored = 715;
constexpr int kRollbackOther = 99900;

constexpr char kCollectionsFolder[] = "Collections";
constexpr char kModelFolder[] = "Model";

constexpr FILEOP_FLAGS kDeleteFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
constexpr FILEOP_FLAGS kCopyFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
constexpr FILEOP_FLAGS kMoveFlags = FOF_SILENT | FOF_NOCONFIRMATION;

// "<appDataDir>\<name>"; false without an application-data folder, so that nothing
// below a drive's root is ever taken for it.
bool DataFolder(const char* appDataDir, const char* name, cMorString* path) {
  if (!HasText(appDataDir)) return false;
  path->Format("%s\\%s", appDataDir, name);
  return true;
}

// Where the backup of `installed` lies: the backup folder, then its last component.
bool BackupOf(const char* installed, cMorString* backup) {
  cMorString leaf;
  if (!LastComponent(installed, &leaf) || !BackupRoot(backup)) return false;
  backup->AppendFormat("\\%s", leaf.GetData());
  return true;
}

}  // namespace

int cUpdateFile::DeleteFolder(const char* path) {
  if (!PathIsDirectoryA(path)) return 1;
  // No FOF_ALLOWUNDO: nothing of this goes to the recycle bin.
  return ShellOperation(FO_DELETE, path, nullptr, kDeleteFlags) ? 1 : 0;
}

int cUpdateFile::BackupFolder(const char* path) {
  cMorString target;
  if (!BackupOf(path, &target)) return 0;
  // A backup left by an earlier failed run is replaced, not merged into.
  if (!DeleteFolder(target.GetData())) return 0;
  return ShellOperation(FO_COPY, path, target.GetData(), kCopyFlags) ? 1 : 0;
}

int cUpdateFile::RestoreFolder(const char* path) {
  cMorString source;
  if (!BackupOf(path, &source)) return 0;
  // Without its backup the installed folder is kept as it is: deleting it first
  // would lose the only copy.
  if (!PathIsDirectoryA(source.GetData())) return 0;
  if (!DeleteFolder(path)) return 0;
  return ShellOperation(FO_MOVE, source.GetData(), path, kMoveFlags) ? 1 : 0;
}

int cUpdateFile::Backup() {
  return RunCoded(&lastError, kBackupOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoBackupFolder;
    CreateDirectoryA(root.GetData(), nullptr);  // it may be left from an earlier run
    if (!BackupFolder(installLocation)) throw kInstallFolderNotCopied;
    cMorString folder;
    if (!DataFolder(appDataDir, kCollectionsFolder, &folder) || !BackupFolder(folder.GetData()))
      throw kCollectionsNotCopied;
    if (!DataFolder(appDataDir, kModelFolder, &folder) || !BackupFolder(folder.GetData()))
      throw kModelNotCopied;
    if (!HasText(installLocation) || !uninstDat.Load(installLocation)) throw kRecordNotLoaded;
  });
}

int cUpdateFile::DeleteBackups() {
  return RunCoded(&lastError, kDeleteOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoTempFolder;
    cMorString backup;
    if (!BackupOf(installLocation, &backup) || !DeleteFolder(backup.GetData())) throw kNotDeleted;
    for (const char* name : {kCollectionsFolder, kModelFolder}) {
      backup.Format("%s\\%s", root.GetData(), name);
      if (!DeleteFolder(backup.GetData())) throw kNotDeleted;
    }
  });
}

int cUpdateFile::Rollback() {
  return RunCoded(&lastError, kRollbackOther, [&] {
    if (!RestoreFolder(installLocation)) throw kInstallFolderNotRestored;
    cMorString folder;
    if (!DataFolder(appDataDir, kCollectionsFolder, &folder) || !RestoreFolder(folder.GetData()))
      throw kCollectionsNotRestored;
    if (!DataFolder(appDataDir, kModelFolder, &folder) || !RestoreFolder(folder.GetData()))
      throw kModelNotRestored;
  });
}

int cUpdateFile::DeleteTemp() {
  return RunCoded(&lastError, kDeleteOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoTempFolder;
    if (!DeleteFolder(root.GetData())) throw kNotDeleted;
  });
}
