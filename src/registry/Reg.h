// The registry object: one per run, created with the main window and used by the
// preflight checks and by whichever worker runs. It holds what was read about the
// installed viewer and the proxy, and the code of its last failed coded operation.
#pragma once

#include <cstdint>

#include "morstd/MorString.h"

class cReg {
 public:
  // This setup's version, recorded as the installed version by a successful run.
  static constexpr char kSetupVersion[] = "1.0.4.8219";

  cReg();
  virtual ~cReg();
  cReg(const cReg&) = delete;
  cReg& operator=(const cReg&) = delete;

  // The uninstall entry's "DisplayVersion", zero-filled before each read.
  char installedVersion[32];
  char setupVersion[32];
  morstd::cMorString installLocation;  // the uninstall entry's "InstallLocation"
  morstd::cMorString contentsDir;      // the settings key's "ContentsDir"
  morstd::cMorString appDataDir;       // the settings key's "AppDataDir"
  int32_t proxyEnabled;                // 0 or 1, from the system Internet settings
  morstd::cMorString proxyName;        // proxy host from the system Internet settings
  int32_t proxyPort;
  int32_t updateMode;    // 1 in "-ai" mode: the update records "UpdateSuccess" = 1
  int32_t notInstalled;  // 1 when no complete installation is recorded
  // The update's registry commands (ModAdd, DeleteValue, DeleteKey lists) go here.
  int32_t lastError;  // code of the last failed coded operation, 0 after success
};

// Records the outcome of a failed "-ai" update in the settings key's "UpdateSuccess"
// (REG_DWORD) for the viewer to read: 0, or 999 when the folders could not be
// restored either. Needs no registry object; any failure is silent, as nobody is
// left to tell.
void WriteUpdateResult(int32_t value);
