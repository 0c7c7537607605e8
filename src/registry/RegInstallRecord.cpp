// The record of the installed viewer: its lenient and strict readers, the update's
// transacted version record, and its removal.
#include <cstring>

#include "morstd/CatchCode.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "registry/RegKey.h"
#include "registry/RegTransaction.h"
#include "registry/RegValueIo.h"
#include "registry/UninstallValues.h"

namespace {

constexpr char kDisplayVersion[] = "DisplayVersion";
constexpr char kInstallLocation[] = "InstallLocation";
constexpr char kContentsDir[] = "ContentsDir";
constexpr char kAppDataDir[] = "AppDataDir";
constexpr char kVersion[] = "Version";
constexpr char kUpdateSuccess[] = "UpdateSuccess";
constexpr char kBrowserEmulationValue[] = "DHViewer.exe";

// The recorded texts are read through a path-sized buffer.
constexpr DWORD kTextCapacity = MAX_PATH;

// The codes of LoadInstallInfo and SaveVersionInfo.
constexpr int kNoUninstallEntry = 100;
constexpr int kNoDisplayVersion = 105;
constexpr int kNoInstallLocation = 110;
constexpr int kNoSettingsKey = 115;
constexpr int kNoAppDataDir = 120;
constexpr int kUninstallEntryNotCreated = 500;
constexpr int kUninstallValueNotWritten = 505;
constexpr int kSettingsKeyNotCreated = 510;
constexpr int kVersionNotWritten = 515;
constexpr int kUpdateSuccessNotWritten = 520;
constexpr int kOutOfMemory = 99999;

// Reads "DisplayVersion" into `version` (sizeof cReg::installedVersion bytes). A text
// too long for it is no version this program ever wrote, and cutting it could make a
// different version parse from it, so it counts as unreadable.
bool ReadDisplayVersion(HKEY entry, char* version, size_t size) {
  char text[kTextCapacity + 1];
  if (!regio::ReadText(entry, kDisplayVersion, text, kTextCapacity)) return false;
  if (std::strlen(text) >= size) return false;
  std::memset(version, 0, size);
  std::memcpy(version, text, std::strlen(text));
  return true;
}

}  // namespace

int cReg::ReadInstalledInfo() {
  try {
    installLocation.Assign("");
    contentsDir.Assign("");
    std::memset(installedVersion, 0, sizeof installedVersion);
    notInstalled = 0;

    cRegKey entry;
    char text[kTextCapacity + 1];
    if (regio::OpenKey(kUninstallKey, KEY_ALL_ACCESS, entry.Receive()) != ERROR_SUCCESS ||
        !ReadDisplayVersion(entry.Get(), installedVersion, sizeof installedVersion) ||
        !regio::ReadText(entry.Get(), kInstallLocation, text, kTextCapacity)) {
      notInstalled = 1;
      return 1;
    }
    installLocation.Assign(text);
    entry.Close();

    cRegKey settings;
    if (regio::OpenKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) {
      notInstalled = 1;
    }
    return 1;
  } catch (...) {
    return 0;
  }
}

int cReg::LoadInstallInfo() {
  return morstd::RunCoded(&lastError, kOutOfMemory, [&] {
    char text[kTextCapacity + 1];
    cRegKey entry;
    if (regio::OpenKey(kUninstallKey, KEY_QUERY_VALUE, entry.Receive()) != ERROR_SUCCESS) {
      throw kNoUninstallEntry;
    }
    std::memset(installedVersion, 0, sizeof installedVersion);
    if (!ReadDisplayVersion(entry.Get(), installedVersion, sizeof installedVersion)) {
      throw kNoDisplayVersion;
    }
    if (!regio::ReadText(entry.Get(), kInstallLocation, text, kTextCapacity)) {
      throw kNoInstallLocation;
    }
    installLocation.Assign(text);
    entry.Close();

    cRegKey settings;
    if (regio::OpenKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) {
      throw kNoSettingsKey;
    }
    contentsDir.Assign(regio::ReadText(settings.Get(), kContentsDir, text, kTextCapacity) ? text
                                                                                          : "");
    if (!regio::ReadText(settings.Get(), kAppDataDir, text, kTextCapacity)) throw kNoAppDataDir;
    appDataDir.Assign(text);
  });
}

int cReg::SaveVersionInfo(HANDLE transaction) {
  lastError = 0;
  if (!transaction) return 0;
  return morstd::RunCoded(&lastError, kOutOfMemory, [&] {
    {
      cRegKey entry;
      if (cRegTransaction::CreateKey(transaction, kUninstallKey.root, kUninstallKey.path,
                                     KEY_SET_VALUE, entry.Receive()) != ERROR_SUCCESS) {
        throw kUninstallEntryNotCreated;
      }
      const cUninstallValues values(installLocation.GetData(), setupVersion);
      for (int i = 0; i < cUninstallValues::kCount; ++i) {
        if (regio::WriteText(entry.Get(), values.Name(i), values.Text(i)) != ERROR_SUCCESS) {
          throw kUninstallValueNotWritten;
        }
      }
    }
    cRegKey settings;
    if (cRegTransaction::CreateKey(transaction, kSettingsKey.root, kSettingsKey.path, KEY_SET_VALUE,
                                   settings.Receive()) != ERROR_SUCCESS) {
      throw kSettingsKeyNotCreated;
    }
    if (regio::WriteText(settings.Get(), kVersion, setupVersion) != ERROR_SUCCESS) {
      throw kVersionNotWritten;
    }
    if (updateMode && regio::WriteDword(settings.Get(), kUpdateSuccess, 1) != ERROR_SUCCESS) {
      throw kUpdateSuccessNotWritten;
    }
  });
}

int cReg::RemoveAll() {
  // The settings key goes with its subtree; its parents only once nothing else of
  // the vendor's is left in them.
  // A key gone already counts as gone: a removal cut short leaves the rest of the
  // chain to the next one.
  const auto gone = [](LSTATUS status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  };
  int settingsGone = 0;
  if (gone(RegDeleteTreeA(kSettingsKey.root, kSettingsKey.path))) {
    char parent[MAX_PATH];
    lstrcpynA(parent, kSettingsKey.path, sizeof parent);
    char* cut = std::strrchr(parent, '\\');
    if (cut) *cut = '\0';
    if (cut && gone(RegDeleteKeyA(kSettingsKey.root, parent))) {
      settingsGone = 1;
      cut = std::strrchr(parent, '\\');
      if (cut) {
        *cut = '\0';
        RegDeleteKeyA(kSettingsKey.root, parent);  // the vendor's key may hold more
      }
    }
  }

  const int entryGone = RegDeleteKeyA(kUninstallKey.root, kUninstallKey.path) == ERROR_SUCCESS;

  int valueGone = 0;
  cRegKey emulation;
  if (regio::OpenKey(kBrowserEmulationKey, KEY_ALL_ACCESS, emulation.Receive()) == ERROR_SUCCESS) {
    valueGone = RegDeleteValueA(emulation.Get(), kBrowserEmulationValue) == ERROR_SUCCESS;
  }
  return settingsGone && entryGone && valueGone ? 1 : 0;
}
