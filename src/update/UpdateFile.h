// The file side of an over-installation or update: loads and deciphers the payload,
// lists its members and their size, checks the free disk space, extracts the update
// patch "SetupInfo.xml", backs up the three installed folders into the temporary
// folder, carries out the patch's deletions, installs the new files and merges the
// uninstall record, and removes the backups, or moves them back when a later step
// failed. It shows nothing: the update worker logs GetErrorMessage and decides.
//
// Every operation returns 1 on success with lastError 0, or 0 with the code in
// lastError; codes are raised inside an operation and caught at its end, and any other
// exception stores the operation's catch-all code (the last one of its list below).
#pragma once

#include <cstdint>

#include "morstd/MorBinary.h"
#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "morstd/ProgressSink.h"
#include "payload/FreeSpace.h"  // also keeps <windows.h>'s GetFreeSpace macro away
#include "platform/win.h"
#include "uninstall/UninstDat.h"

class cUpdateFile {
 public:
  cUpdateFile();
  virtual ~cUpdateFile();
  cUpdateFile(const cUpdateFile&) = delete;
  cUpdateFile& operator=(const cUpdateFile&) = delete;

  // LoadDatResource, then ListMembers.
  int LoadPayload();
  // Resource 130 of type "DAT", deciphered into `payload`: 100, 105, 110, 120, 99999.
  int LoadDatResource();
  // memberList, memberCount and requiredBytes over every member but "SetupInfo.xml"
  // (any case): 200, 205, 210, 215, 99970.
  int ListMembers();
  // 1 enough space, 0 too little, -1 nothing to install, -2 free space unknown.
  int CheckDiskSpace();
  // The text of the member named exactly "SetupInfo.xml"; `text` unchanged without one:
  // 250, 255, 260, 265, 270, 275, 280, 99960.
  int GetSetupInfo(morstd::cMorString* text);
  // Copies the install folder, "<appDataDir>\Collections" and "<appDataDir>\Model" into
  // the backup folder, loads the installed uninstall record, then writes the backup
  // folder's marker with recordedVersion: 330, 335 (also: the marker of an update cut
  // short is there, whose backup must not be touched), 340 (no marker), 345, 350,
  // 355, 99930.
  int Backup();
  // The patch's deletions over the installed record's names; single deletions may fail
  // unnoticed. 0 only with 99890: an empty entry, or a flag whose folder is not set
  // (nothing is then deleted for it).
  int ExecuteDeleteCommands(int deleteProgramFiles, int deleteCollections, int deleteModel);
  // Extracts every member but "SetupInfo.xml", counting *step up and showing
  // (*step / total)% after each, then merges and saves the record with one more step:
  // 400 ... 450, 800, 810, 99880. Before anything is written every member is checked:
  // 445 for a name outside the product's folders, 450 for an application-data file
  // outside "Collections" and "Model" (no backup could restore it). A member whose data runs short is 425 (nothing cut
  // off is written); a record that cannot be merged or saved is 440. Folder entries
  // make their missing parents: 800 for a path too long to walk, 810 when a folder
  // cannot be made.
  int InstallFiles(int* step, cProgressSink* progress, int total);
  // Removes the marker and the three backups, keeping the backup folder: 500, 505,
  // 99920.
  int DeleteBackups();
  // Moves the three backups back over the installed folders, each damaged folder set
  // aside until its backup is in, then removes the marker: 700, 710, 715, 99900. An
  // installed folder whose backup is missing is left as it is (and the step fails),
  // unless `resuming` a rollback cut short, which has already moved that one back.
  int Rollback(bool resuming = false);
  // The update has passed its point of no return: the backups are no longer the only
  // good copy. 1, or 0 when the marker cannot be removed.
  int RemoveMarker();
  // 1 when the backup folder holds the marker of an update not yet ended, with the
  // version recorded before it into `version` (empty when the marker was cut off
  // before its text was whole); 0 without a marker.
  static int ReadMarker(morstd::cMorString* version);
  // Removes the backup folder itself: 500, 505, 99920.
  int DeleteTemp();
  // The text for lastError ("%s(30%d)" for grouped codes), or null for a code of no one's.
  const char* GetErrorMessage();

  // The longest pause after each installed member and after the record merge, so that
  // the progress can be read (a payload of many members pauses less, about two seconds
  // in all at most); tests shorten it.
  static constexpr DWORD kInstallPauseMs = 50;
  static DWORD installPauseMs;

  int32_t memberCount = 0;        // payload members other than "SetupInfo.xml"
  morstd::cMorBinary payload;     // the deciphered archive of resource 130
  morstd::cMorMemBlock memberList;  // their names, in archive order
  uint64_t freeBytes = 0;         // free bytes for the caller on the install folder's drive
  uint64_t requiredBytes = 0;     // the unpacked size of the members in memberList
  cUninstDat uninstDat;           // the installed record, loaded by Backup
  const char* installLocation = nullptr;  // not owned; set by the update worker from cReg
  const char* appDataDir = nullptr;       // not owned; likewise
  const char* recordedVersion = nullptr;  // not owned; the version before the update
  int32_t lastError = 0;

 private:
  int DecryptData(const BYTE* image, DWORD size);
  int GetFreeSpace(const char* path);
  int BackupFolder(const char* path);
  int RestoreFolder(const char* path, bool resuming);
  int DeleteFolder(const char* path);

  morstd::cMorString message;  // the text GetErrorMessage returned last
};
