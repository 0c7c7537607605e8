// What the installer recorded about the viewer, gathered from the registry for the
// viewer's window: the uninstall entry, the settings key and the values the sample
// update patch adds.
#pragma once

#include <string>

#include "RegValue.h"

class cSettingsReport {
 public:
  // Reads everything at once; the window shows one consistent picture.
  static cSettingsReport Gather();

  // The installed version (the uninstall entry's "DisplayVersion").
  const cRegValue& InstalledVersion() const { return installedVersion; }
  // The settings key's "AppDataDir" and "UpdateSuccess", which the relaunch note uses.
  const cRegValue& AppDataDir() const { return appDataDir; }
  const cRegValue& UpdateSuccess() const { return updateSuccess; }
  // Every value read, one "name: value" line each under a heading per key, lines ended
  // by CR LF for a multi-line edit control.
  const std::string& Text() const { return text; }

 private:
  cRegValue installedVersion;
  cRegValue appDataDir;
  cRegValue updateSuccess;
  std::string text;
};
