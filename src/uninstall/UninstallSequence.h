// The uninstall worker's steps as one portable sequence: it reads what the registry
// records about the installed viewer, deletes what the uninstall record lists, the
// shortcuts, the user data, the contents and the registry data, and reports every
// step as a log line. It runs elevated over data others may write: a record entry
// outside the product's folders is logged and left, and the application-data and
// contents folders go whole only when they are the folders the installer names. The uninstall dialog's thread procedure (and the stand-alone
// Uninstall.exe) run it with their log pane as the sink.
#pragma once

#include "morstd/LogSink.h"
#include "morstd/MorString.h"
#include "platform/win.h"

class cReg;

// The installed viewer as its registry data describe it.
struct cUninstallTarget {
  char displayVersion[32] = {};        // the uninstall entry's "DisplayVersion"
  morstd::cMorString installLocation;  // the uninstall entry's "InstallLocation"
  morstd::cMorString appDataDir;       // the settings value "AppDataDir"
  morstd::cMorString contentsDir;      // the settings value "ContentsDir", or empty
};

// Runs every step. 0 on success; otherwise the failure code (100 registry data, 110
// record, 999 anything else), after its log line. `owner` owns the shell's dialogs.
int RunUninstall(cUninstallTarget* target, cReg* reg, cLogSink* log, HWND owner);
