// The check behind Next on the folder page: a folder text is required, the product
// folder is put on its end, the payload must fit on the drive, and the install worker
// learns whether it must make the folder.
#pragma once

#include <cstdint>

#include "install/InstallFolderUi.h"
#include "morstd/MorString.h"

class cGetLhaFile;

// The main window's values the check fills in.
struct cInstallFolderFields {
  morstd::cMorString& installDir;
  uint64_t& requiredBytes;
  uint64_t& freeBytes;
  int& memberCount;
  int& createInstallDir;
  // The main window's extractor: it keeps the measured payload deciphered for the
  // installation (and on a second Next measures without deciphering again). Null: a
  // fresh extractor measures and lets the payload go.
  cGetLhaFile* payload = nullptr;
};

// How long the notice stays up at least, so that it can be read.
constexpr unsigned kDiskNoticeMinimumMs = 500;

// 1: the wizard goes on to the shortcut page; 0: it stays on the folder page (the
// program may have been asked to close).
int CheckInstallFolder(cInstallFolderUi* ui, const cInstallFolderFields& fields);
