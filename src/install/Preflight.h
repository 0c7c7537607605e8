// The checks before the wizard: whether this system can run the viewer (Windows
// version, browser component, colour depth), where the user's shell folders are, and
// whether a viewer is installed already and how its version compares with ours.
#pragma once

#include "morstd/MorString.h"
#include "platform/win.h"

class cReg;

// What the checks found; the main window keeps it in its own fields.
struct PreflightResult {
  morstd::cMorString appDataDir;         // "<Application Data>\Dravenholt"
  morstd::cMorString defaultInstallDir;  // "<Program Files>\Dravenholt"
  morstd::cMorString installDir;         // starts as the default
  morstd::cMorString desktopDir;
  morstd::cMorString programsDir;   // the Start menu's Programs folder
  morstd::cMorString contentsDir;   // "<My Documents>\Dravenholt\Contents"
  int installState = 0;             // see the kInstalled... values
  int closeRequested = 0;           // 1 when the system cannot run the viewer
};

// installState: nothing recorded, the same version, an older one, a newer one.
constexpr int kNotInstalled = 0;
constexpr int kInstalledSame = 1;
constexpr int kInstalledOlder = 2;
constexpr int kInstalledNewer = -1;

// Failure codes of the checks (each ends the program with the internal-error message).
constexpr int kNoAppDataFolder = 200;
constexpr int kNoProgramFilesFolder = 210;
constexpr int kNoDesktopFolder = 220;
constexpr int kNoProgramsFolder = 230;
constexpr int kNoDocumentsFolder = 235;
constexpr int kInstalledLookupFailed = 240;
constexpr int kVersionCompareFailed = 245;

// 1 on Vista or later (and on any platform newer than NT), 0 on Win32s, Windows 9x,
// NT 5.x and older, or when the version cannot be read.
int IsSupportedOs();
// 1 when Internet Explorer's "Version" is textually at least "9.0"; 0 when the key
// is missing or holds no readable text "Version" (which counts as too old).
int HasRequiredBrowser();

// Runs every check in order, showing their messages with `owner` as the owner.
// `bitsPerPixel` is the display's colour depth. An unsupported system or browser sets
// `closeRequested` and the later checks still run. Returns 0, or the code of the first
// folder or version check that failed (the folders found before it are stored).
int RunPreflightChecks(HWND owner, int bitsPerPixel, cReg* reg, PreflightResult* result);
