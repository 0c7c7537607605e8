#include "registry/UninstallValues.h"

namespace {
constexpr char kDisplayName[] = "Dravenholtビューア";
constexpr char kPublisher[] = "Dravenholt電子メディア部";
constexpr char kUninstaller[] = "Uninstall.exe";
constexpr char kViewer[] = "DHViewer.exe";
}  // namespace

const char* const cUninstallValues::kNames[kCount] = {"DisplayName",     "UninstallString",
                                                      "InstallLocation", "DisplayIcon",
                                                      "DisplayVersion",  "Publisher"};

cUninstallValues::cUninstallValues(const char* installFolder, const char* version) {
  if (!installFolder) installFolder = "";
  texts[0].Assign(kDisplayName);
  texts[1].Format("%s\\%s", installFolder, kUninstaller);
  texts[2].Assign(installFolder);
  texts[3].Format("%s\\%s", installFolder, kViewer);
  texts[4].Assign(version);
  texts[5].Assign(kPublisher);
}
