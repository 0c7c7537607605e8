// The registry keys the program reads and writes, each a hive and a path below it.
// Every reader and writer of the viewer's registry data takes its key from here.
#pragma once

#include "platform/win.h"

struct cFixedKey {
  HKEY root;
  const char* path;
};

// The viewer's own settings: folders, content servers, proxy, version, update result.
inline const cFixedKey kSettingsKey = {HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\1.0"};

// The machine-wide entry of the installed viewer in the list of installed programs.
inline const cFixedKey kUninstallKey = {
    HKEY_LOCAL_MACHINE,
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer"};

// Holds the value that makes the viewer's embedded browser control render as
// Internet Explorer 9 does.
inline const cFixedKey kBrowserEmulationKey = {
    HKEY_CURRENT_USER,
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION"};

// The system's Internet settings, only read, for the proxy the viewer should use.
inline const cFixedKey kInternetSettingsKey = {
    HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"};
