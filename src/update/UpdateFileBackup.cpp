// The backups of the three installed folders under the temporary folder: made before
// anything is changed, moved back when a later step fails, removed after success.
//
// The backup folder carries a marker file while its backups are the only good copy of
// the installation: it is written and flushed once the three backups and the record
// are complete, and removed once the update has passed its point of no return (the
// registry transaction committed) or the rollback has put everything back. A marker
// found at the program's next start means an update was cut short (power loss, a
// killed process): the installer then finishes the rollback before anything else.
// The marker holds the version the registry recorded before the update, so that an
// update cut short after its commit is recognised as complete.
#include <cstring>
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
constexpr int kNoBackupFolder = 335;  // also: an interrupted update's backup is still there
constexpr int kMarkerNotWritten = 340;
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
constexpr char kMarkerName[] = "UpdatePending.dat";
// The marker's text ends here; a text without it was cut off and names no version.
constexpr char kMarkerEnd[] = "\r\n";
constexpr DWORD kMarkerLimit = 256;
// A folder set aside while its backup is moved in: "<parent>\@<name>", on the same
// drive as the folder, so that both moves are renames.
constexpr char kAsidePrefix = '@';

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

// Where `installed` is set aside while its backup is moved in.
bool AsideOf(const char* installed, cMorString* aside) {
  cMorString leaf;
  if (!LastComponent(installed, &leaf)) return false;
  const int parentLength = static_cast<int>(std::strlen(installed)) - leaf.GetLength();
  aside->Format("%.*s%c%s", parentLength, installed, kAsidePrefix, leaf.GetData());
  return true;
}

bool MarkerPath(cMorString* path) {
  if (!BackupRoot(path)) return false;
  path->AppendFormat("\\%s", kMarkerName);
  return true;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Writes the marker holding `version` and waits until it is on the disk.
bool WriteMarker(const char* version) {
  cMorString path;
  if (!MarkerPath(&path)) return false;
  cMorString text;
  text.Format("%s%s", version ? version : "", kMarkerEnd);
  HANDLE file = CreateFileA(path.GetData(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.GetData(), static_cast<DWORD>(text.GetLength()), &written,
                            nullptr) &&
                  written == static_cast<DWORD>(text.GetLength()) && FlushFileBuffers(file);
  CloseHandle(file);
  // A marker not known to be on the disk vouches for nothing.
  if (!ok) DeleteFileA(path.GetData());
  return ok;
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
  // A backup left without a marker is stale (an update that failed, or was cut short
  // before its backup was whole): it is replaced, not merged into.
  if (!DeleteFolder(target.GetData())) return 0;
  return ShellOperation(FO_COPY, path, target.GetData(), kCopyFlags) ? 1 : 0;
}

int cUpdateFile::RestoreFolder(const char* path, bool resuming) {
  cMorString source;
  cMorString aside;
  if (!BackupOf(path, &source) || !AsideOf(path, &aside)) return 0;
  if (!PathIsDirectoryA(source.GetData())) {
    // Without its backup the installed folder is kept as it is: deleting it would
    // lose the only copy. A rollback cut short has already moved this backup in, and
    // may have left the damaged folder set aside.
    if (!resuming) return 0;
    return DeleteFolder(aside.GetData());
  }
  // One whole copy at every moment: the damaged folder is set aside (a folder set
  // aside by an earlier attempt is worth nothing beside a whole backup), the backup is
  // moved in, and only then is the damaged one deleted.
  if (!DeleteFolder(aside.GetData())) return 0;
  if (PathIsDirectoryA(path) && !ShellOperation(FO_MOVE, path, aside.GetData(), kMoveFlags))
    return 0;
  if (!ShellOperation(FO_MOVE, source.GetData(), path, kMoveFlags)) return 0;
  return DeleteFolder(aside.GetData());
}

int cUpdateFile::ReadMarker(cMorString* version) {
  cMorString path;
  if (!MarkerPath(&path) || !Exists(path.GetData())) return 0;
  version->Assign("");
  HANDLE file = CreateFileA(path.GetData(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  char text[kMarkerLimit + 1] = {};
  DWORD read = 0;
  const BOOL ok = ReadFile(file, text, kMarkerLimit, &read, nullptr);
  CloseHandle(file);
  const size_t endLength = sizeof kMarkerEnd - 1;
  if (ok && read >= endLength && std::strcmp(text + read - endLength, kMarkerEnd) == 0) {
    text[read - endLength] = '\0';
    version->Assign(text);
  }
  return 1;
}

int cUpdateFile::RemoveMarker() {
  cMorString path;
  if (!MarkerPath(&path)) return 0;
  return !Exists(path.GetData()) || DeleteFileA(path.GetData()) ? 1 : 0;
}

int cUpdateFile::Backup() {
  return RunCoded(&lastError, kBackupOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoBackupFolder;
    // The backup of an update cut short is the only good copy until it is restored.
    cMorString marker;
    if (ReadMarker(&marker)) throw kNoBackupFolder;
    CreateDirectoryA(root.GetData(), nullptr);  // it may be left from an earlier run
    if (!BackupFolder(installLocation)) throw kInstallFolderNotCopied;
    cMorString folder;
    if (!DataFolder(appDataDir, kCollectionsFolder, &folder) || !BackupFolder(folder.GetData()))
      throw kCollectionsNotCopied;
    if (!DataFolder(appDataDir, kModelFolder, &folder) || !BackupFolder(folder.GetData()))
      throw kModelNotCopied;
    if (!HasText(installLocation) || !uninstDat.Load(installLocation)) throw kRecordNotLoaded;
    if (!WriteMarker(recordedVersion)) throw kMarkerNotWritten;
  });
}

int cUpdateFile::DeleteBackups() {
  return RunCoded(&lastError, kDeleteOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoTempFolder;
    // No marker may outlive the backups it vouches for.
    if (!RemoveMarker()) throw kNotDeleted;
    cMorString backup;
    if (!BackupOf(installLocation, &backup) || !DeleteFolder(backup.GetData())) throw kNotDeleted;
    for (const char* name : {kCollectionsFolder, kModelFolder}) {
      backup.Format("%s\\%s", root.GetData(), name);
      if (!DeleteFolder(backup.GetData())) throw kNotDeleted;
    }
  });
}

int cUpdateFile::Rollback(bool resuming) {
  return RunCoded(&lastError, kRollbackOther, [&] {
    if (!RestoreFolder(installLocation, resuming)) throw kInstallFolderNotRestored;
    cMorString folder;
    if (!DataFolder(appDataDir, kCollectionsFolder, &folder) ||
        !RestoreFolder(folder.GetData(), resuming))
      throw kCollectionsNotRestored;
    if (!DataFolder(appDataDir, kModelFolder, &folder) ||
        !RestoreFolder(folder.GetData(), resuming))
      throw kModelNotRestored;
    // Everything is back: the backup folder holds nothing that must be kept. A marker
    // that cannot go only makes the next start find all restored.
    RemoveMarker();
  });
}

int cUpdateFile::DeleteTemp() {
  return RunCoded(&lastError, kDeleteOther, [&] {
    cMorString root;
    if (!BackupRoot(&root)) throw kNoTempFolder;
    if (!DeleteFolder(root.GetData())) throw kNotDeleted;
  });
}
