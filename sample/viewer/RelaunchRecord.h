// The note the viewer leaves when the installer starts it again with "-ai" after an
// update, so that whoever checks the update can see the outcome the viewer read.
//
// The file is "relaunch.log" in the viewer's application-data folder (the settings
// key's "AppDataDir"). Each relaunch appends one line, ended by CR LF:
//
//   relaunched UpdateSuccess=<outcome>
//
// <outcome> is the settings key's REG_DWORD "UpdateSuccess" in unsigned decimal (1
// after a successful update, 0 or 999 after a failed one), "missing" when the value is
// absent, or "invalid" when it is present but not a 4-byte REG_DWORD.
#pragma once

#include <string>

#include "RegValue.h"

class cRelaunchRecord {
 public:
  static const char kFileName[];

  // The line for this outcome, without the line end.
  static std::string Line(const cRegValue& updateSuccess);
  // Appends the line and CR LF to "relaunch.log" in appDataDir, creating the file
  // when needed. False when the folder is empty or the file cannot be written.
  static bool Append(const std::string& appDataDir, const std::string& line);
};
