#include "uninstall/UninstallInfo.h"

#include <cstring>

#include "registry/FixedKeys.h"
#include "registry/RegKey.h"
#include "registry/RegValueIo.h"

namespace {

constexpr char kDisplayVersionValue[] = "DisplayVersion";
constexpr char kInstallLocationValue[] = "InstallLocation";
constexpr char kAppDataDirValue[] = "AppDataDir";
constexpr char kContentsDirValue[] = "ContentsDir";

// A REG_SZ text of at most MAX_PATH bytes; false when missing or of another type.
bool ReadPath(HKEY key, const char* name, char (&buffer)[MAX_PATH + 1]) {
  return regio::ReadText(key, name, buffer, MAX_PATH);
}

}  // namespace

int ReadUninstallInfo(cUninstallTarget* target) {
  try {
    std::memset(target->displayVersion, 0, sizeof target->displayVersion);
    char text[MAX_PATH + 1];

    cRegKey entry;
    if (regio::OpenKey(kUninstallKey, KEY_ALL_ACCESS, entry.Receive()) != ERROR_SUCCESS) return 0;
    if (!ReadPath(entry.Get(), kDisplayVersionValue, text)) return 0;
    lstrcpynA(target->displayVersion, text, sizeof target->displayVersion);
    if (!ReadPath(entry.Get(), kInstallLocationValue, text) || !text[0]) return 0;
    target->installLocation.Assign(text);
    target->installLocation.ShrinkToFit();
    entry.Close();

    cRegKey settings;
    if (regio::OpenKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) return 0;
    if (!ReadPath(settings.Get(), kAppDataDirValue, text) || !text[0]) return 0;
    target->appDataDir.Assign(text);
    if (ReadPath(settings.Get(), kContentsDirValue, text)) {
      target->contentsDir.Assign(text);
      target->contentsDir.ShrinkToFit();
    } else {
      target->contentsDir.Assign("");
    }
    return 1;
  } catch (...) {
    return 0;  // memory: the keys close on the way out
  }
}
