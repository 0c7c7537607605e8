#include "SettingsReport.h"

#include <iterator>

#include "registry/FixedKeys.h"

namespace {

// The values the window lists, key by key, in the order the installer writes them.
const char* const kUninstallValues[] = {"DisplayName",    "DisplayVersion", "InstallLocation",
                                        "UninstallString", "DisplayIcon",   "Publisher"};
// "SampleNote" and the values of the "Sample" subkey are written by the sample update
// patch (SetupInfo.xml), so the window shows what an update changed.
const char* const kSettingsValues[] = {
    "Version",     "UpdateSuccess", "AppDataDir", "ContentsDir", "Server1",
    "Server2",     "Server3",       "TNUrl",      "AIUrl",       "ContentsUrl",
    "fProxy",      "ProxyName",     "ProxyPort",  "SampleNote"};
const char kSampleSubKey[] = "\\Sample";
const char* const kSampleValues[] = {"Greeting", "Level"};
const char* const kBrowserValues[] = {"DHViewer.exe"};

const char kUninstallHeading[] = "[アンインストール情報] HKEY_LOCAL_MACHINE\\";
const char kSettingsHeading[] = "[設定] HKEY_CURRENT_USER\\";
const char kBrowserHeading[] = "[ブラウザー互換表示] HKEY_CURRENT_USER\\";
const char kLineEnd[] = "\r\n";

void AppendValue(std::string& text, const char* name, const cRegValue& value) {
  text += "  ";
  text += name;
  text += ": ";
  text += value.Display();
  text += kLineEnd;
}

void AppendKey(std::string& text, const char* heading, HKEY root, const std::string& path,
               const char* const* names, size_t count) {
  text += heading;
  text += path;
  text += kLineEnd;
  for (size_t i = 0; i < count; ++i) {
    AppendValue(text, names[i], cRegValue::Read(root, path.c_str(), names[i]));
  }
}

}  // namespace

cSettingsReport cSettingsReport::Gather() {
  cSettingsReport report;
  const HKEY settingsRoot = kSettingsKey.root;
  const char* settingsPath = kSettingsKey.path;
  report.installedVersion =
      cRegValue::Read(kUninstallKey.root, kUninstallKey.path, "DisplayVersion");
  report.appDataDir = cRegValue::Read(settingsRoot, settingsPath, "AppDataDir");
  report.updateSuccess = cRegValue::Read(settingsRoot, settingsPath, "UpdateSuccess");

  std::string& text = report.text;
  AppendKey(text, kUninstallHeading, kUninstallKey.root, kUninstallKey.path, kUninstallValues,
            std::size(kUninstallValues));
  text += kLineEnd;
  AppendKey(text, kSettingsHeading, settingsRoot, settingsPath, kSettingsValues,
            std::size(kSettingsValues));
  text += kLineEnd;
  AppendKey(text, kSettingsHeading, settingsRoot, std::string(settingsPath) + kSampleSubKey,
            kSampleValues, std::size(kSampleValues));
  text += kLineEnd;
  AppendKey(text, kBrowserHeading, kBrowserEmulationKey.root, kBrowserEmulationKey.path,
            kBrowserValues, std::size(kBrowserValues));
  return report;
}
