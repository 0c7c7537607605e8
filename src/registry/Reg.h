// The registry object: one per run, created with the main window and used by the
// preflight checks and by whichever worker runs. It holds what was read about the
// installed viewer and the proxy, the update's registry commands, and the code of its
// last failed coded operation. Every operation runs on the calling thread; the object
// has no locks because only one thread uses it at a time.
#pragma once

#include <cstdint>

#include "morstd/MorMemBlock.h"
#include "morstd/MorString.h"
#include "platform/win.h"
#include "SetupVersion.h"

class cReg {
 public:
  // This setup's version, recorded as the installed version by a successful run. The
  // build chooses it (DH_SETUP_VERSION, "1.0.4.8219" unless the vendor gives another)
  // and refuses one that this object's version comparison could not read.
  static constexpr char kSetupVersion[] = DH_SETUP_VERSION;

  cReg();
  virtual ~cReg();
  cReg(const cReg&) = delete;
  cReg& operator=(const cReg&) = delete;

  // --- Fresh installation: each writer shows every failed step in a message box
  // ("警告") and goes on with the remaining values. 1 when everything was written.
  // Memory running out is left to the caller as the library's exception (the install
  // worker's catch-all turns it into its own code).

  // The install worker's one call: settings, uninstall entry, the system proxy copy
  // and the content servers. 0 when the content servers could not be written, else 1
  // only when the settings and the uninstall entry were both written.
  int SaveAll(const char* appDataFolder, const char* installFolder, const char* contentsFolder);
  // "AppDataDir", "ContentsDir" (only when contentsFolder is neither null nor empty)
  // and the browser-emulation value.
  int SaveSettings(const char* appDataFolder, const char* contentsFolder);
  // The content servers' host names and the content paths on them.
  int SaveInternetInfo();
  // Copies the system's proxy setting into proxyEnabled/proxyName/proxyPort and
  // stores it with SaveProxySetting. 0, with nothing copied or written, when the
  // system Internet settings cannot be opened.
  int ReadProxySetting();
  int SaveProxySetting();
  // The whole uninstall entry for a viewer installed in installFolder.
  int SaveUninstInfo(const char* installFolder);

  // --- The recorded installation.

  // Lenient read for the preflight checks: fills installedVersion and
  // installLocation, and sets notInstalled when the record is incomplete. 1, or 0
  // only when memory runs out.
  int ReadInstalledInfo();
  // Strict read for the update worker, also of contentsDir and appDataDir.
  // 1, or 0 with lastError 100..120 (99999 when memory runs out).
  int LoadInstallInfo();
  // Splits "a.b.c.d" into four numbers; 0 when the text has fewer than three dots,
  // one of the first three numbers is longer than 7 characters or the fourth longer
  // than 8.
  static int ParseVersion(const char* text, int32_t numbers[4]);
  // Installed version against this setup's: 2 older installed, 1 the same, 0 newer
  // installed; -1 with lastError 200 (installed) or 205 (setup) when one cannot be
  // parsed.
  int CompareVersions();
  // Deletes the settings key (and its parents once they are empty), the uninstall
  // entry and the browser-emulation value. 1 only when all three went; never shows
  // anything.
  int RemoveAll();
  // The update's version record, in the transaction: the uninstall entry for
  // installLocation, "Version" and, in update mode, "UpdateSuccess" = 1.
  // 1, or 0 with lastError 500..520 (99999 when memory runs out).
  int SaveVersionInfo(HANDLE transaction);

  // --- The update's registry commands.

  // Replaces the three command lists with copies. 0 when a copy fails; the lists are
  // then all empty, so that no half-set list can run, and lastError is untouched.
  int SetCommands(const morstd::cMorMemBlock& modAdd, const morstd::cMorMemBlock& deleteValue,
                  const morstd::cMorMemBlock& deleteKey);
  // Command `index` of a list: its texts through the pointers, which stay valid until
  // the lists are next set. 0 for an index outside the list's commands.
  int GetModAddCommand(int index, const char** key, const char** subKey, const char** type,
                       const char** valueName, const char** value) const;
  int GetDeleteValueCommand(int index, const char** key, const char** subKey,
                            const char** valueName) const;
  int GetDeleteKeyCommand(int index, const char** key, const char** subKey) const;
  int ModAddCount() const { return modAddList.GetCount() / kModAddTexts; }
  int DeleteValueCount() const { return deleteValueList.GetCount() / kDeleteValueTexts; }
  int DeleteKeyCount() const { return deleteKeyList.GetCount() / kDeleteKeyTexts; }

  // Runs every command and the version record in one transaction and commits it.
  // 1 once committed; else 0 with everything rolled back and lastError holding the
  // failed step's code (left as it was when no transaction could be had, 0 when the
  // commit itself failed).
  int ExecuteRegistryCommands();
  // The DeleteKey, DeleteValue and ModAdd commands, in that order, in the
  // transaction. 1, or 0 with lastError 600..665 (99998 when memory runs out); the
  // commands after a failed one do not run.
  int ExecuteCommands(HANDLE transaction);
  // Deletes `path` (below the settings key, HKEY_CURRENT_USER) with all its subkeys
  // in the transaction. 1 when it is gone or never existed; 0 when the path is empty
  // or a key cannot be deleted or enumerated. The library's exception for a failed
  // allocation leaves it, for ExecuteCommands to turn into its code.
  int DeleteViewerSubKey(HANDLE transaction, const char* path);

  // The text of lastError (code page 932), or null for 0 and every unknown code.
  const char* GetErrorMessage() const;

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
  // The update's commands, a fixed number of texts each (see the k...Texts counts).
  morstd::cMorMemBlock modAddList;       // Key, SubKey, Type, ValueName, Value
  morstd::cMorMemBlock deleteValueList;  // Key, SubKey, ValueName
  morstd::cMorMemBlock deleteKeyList;    // Key, SubKey
  int32_t lastError;                     // code of the last failed coded operation, 0 after success

  static constexpr int kModAddTexts = 5;
  static constexpr int kDeleteValueTexts = 3;
  static constexpr int kDeleteKeyTexts = 2;
};

// Records the outcome of a failed "-ai" update in the settings key's "UpdateSuccess"
// (REG_DWORD) for the viewer to read: 0, or 999 when the folders could not be
// restored either. Needs no registry object; any failure is silent, as nobody is
// left to tell.
void WriteUpdateResult(int32_t value);
