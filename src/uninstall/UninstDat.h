// The uninstall record "Uninst.dat" in memory: every file and folder the installation
// put on disk, spelled as the payload names them ("#PROGRAMFILES#\...", "#APPDATA#\..."),
// and the two shortcut choices. The update loads it, merges its new members in and
// saves it back; the file layout is the one the installer's record writer uses.
#pragma once

#include <cstdint>

#include "morstd/MorMemBlock.h"
#include "payload/UninstRecordFormat.h"

class cUninstDat {
 public:
  cUninstDat();
  virtual ~cUninstDat() = default;
  cUninstDat(const cUninstDat&) = delete;
  cUninstDat& operator=(const cUninstDat&) = delete;

  // A deep copy of the names, the header and the last code. Throws
  // cMorMemBlockException when memory cannot be had (this record is then empty).
  void CopyFrom(const cUninstDat& other);

  // Reads "<folder>\Uninst.dat". 1 on success; 0 with 120 (cannot open), 125 (cannot
  // read the signature), 130 (not the signature), 135 (no whole header), 140 (the
  // name area is negative, larger than the file holds, or memory cannot be had), 145
  // (cannot read the names), 150 (the entry count does not fit the name area), 99980
  // (anything else). The names change only once the whole area is read.
  int Load(const char* folder);
  // Writes the names and the flags to "<folder>\@Uninst.dat", flushes it, then lets it
  // take the place of "<folder>\Uninst.dat" in one step (never deleting the old one
  // first). 1 on success; 0 with 100 (cannot create), 105 and 110 (cannot write or
  // flush header, names), 115 (no record to replace: the temporary file stays), 116
  // (cannot move: the old record stays), 99999 (anything else).
  int Save(const char* folder, int32_t startMenuShortcut, int32_t desktopShortcut);
  // Takes in the names of an update: folders first, deepest first (so each comes
  // before its parent), then this record's files, then new files. 0 with 99970 when
  // memory runs out: the names stay as they were, unless it runs out while they are
  // being replaced, which leaves them empty (the update then fails and saves nothing).
  int Merge(const morstd::cMorMemBlock& other);

  const morstd::cMorMemBlock& GetNames() const { return names; }
  const UninstRecordHeader& GetHeader() const { return header; }
  int GetLastError() const { return lastError; }

 private:
  morstd::cMorMemBlock names;
  UninstRecordHeader header;
  int lastError = 0;
};
