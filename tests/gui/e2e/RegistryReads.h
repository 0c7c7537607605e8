// Reading and changing the installed viewer's registry values from a test.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The keys as the installer must write them; the tests name them on their own so that
// a wrong key in the program is caught.
constexpr char kSettingsKey[] = "Software\\Dravenholt\\Viewer\\1.0";  // HKCU
constexpr char kVendorKey[] = "Software\\Dravenholt";                 // HKCU
constexpr char kUninstallKey[] =                                      // HKLM
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer";
constexpr char kBrowserEmulationKey[] =  // HKCU
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr char kInternetSettingsKey[] =  // HKCU
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

bool KeyExists(HKEY root, const char* path);
// A REG_SZ value; false when missing or of another type.
bool ReadText(HKEY root, const char* path, const char* name, std::string* out);
// A REG_DWORD value; false when missing or of another type.
bool ReadDword(HKEY root, const char* path, const char* name, DWORD* out);
bool WriteText(HKEY root, const char* path, const char* name, const char* value);
// The whole key, subkeys included; a missing key is fine.
void DeleteKeyTree(HKEY root, const char* path);
void DeleteValue(HKEY root, const char* path, const char* name);

}  // namespace e2e
