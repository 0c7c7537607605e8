// The installed viewer as the uninstall sequence finds it on the host layer: the
// registry data, the install and application-data folders, the shell's folders, an
// uninstall record written byte by byte, and a sink that keeps the log lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morstd/LogSink.h"
#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"

namespace uninstalltest {

// The folders as the installer names them: "InstallLocation" and "AppDataDir" are the
// "Viewer" folders inside the "Dravenholt" folders it made.
constexpr char kProgramFilesVendor[] = "C:\\Program Files\\Dravenholt";
constexpr char kInstall[] = "C:\\Program Files\\Dravenholt\\Viewer";
constexpr char kRecord[] = "C:\\Program Files\\Dravenholt\\Viewer\\Uninst.dat";
constexpr char kAppDataVendor[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt";
constexpr char kAppData[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer";
constexpr char kPrograms[] = "C:\\Users\\u\\Start Menu\\Programs";
constexpr char kDesktop[] = "C:\\Users\\u\\Desktop";
constexpr char kUninstallPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer";
constexpr char kSettingsPath[] = "Software\\Dravenholt\\Viewer\\1.0";
constexpr char kEmulationPath[] =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";

class RecordingSink : public cLogSink {
 public:
  int AppendLogText(const char* text) override {
    lines.emplace_back(text);
    return 1;
  }
  std::vector<std::string> lines;
};

inline std::string Int32(int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  return bytes;
}

// A record's bytes: signature, header size, the two shortcut flags, the name area's
// size and entry count, then the area (every name with its NUL, then one more NUL).
inline std::string RecordBytes(const std::vector<std::string>& names, int32_t startMenu,
                               int32_t desktop) {
  std::string area;
  for (const std::string& name : names) area += name + '\0';
  area += '\0';
  return std::string("DHVUI01\0", 8) + Int32(28) + Int32(startMenu) + Int32(desktop) +
         Int32(static_cast<int32_t>(area.size())) + Int32(static_cast<int32_t>(names.size())) +
         area;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class UninstallFixture : public dhtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    for (const char* folder :
         {"C:\\Program Files", kProgramFilesVendor, kInstall, "C:\\Users", "C:\\Users\\u",
          "C:\\Users\\u\\AppData", "C:\\Users\\u\\AppData\\Roaming", kAppDataVendor, kAppData, "C:\\Users\\u\\Start Menu", kPrograms, kDesktop})
      ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder;
    hostwin::SetSpecialFolder(CSIDL_PROGRAMS, kPrograms);
    hostwin::SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, kDesktop);
    WriteRegistryData();
  }

  // What the registry records of the installed viewer.
  static void WriteRegistryData() {
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayVersion",
                                             "1.0.4.8219"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstallPath, "InstallLocation",
                                             kInstall));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", kAppData));
    ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kEmulationPath, "DHViewer.exe", 9000));
  }

  static void Put(const std::string& winPath, const std::string& bytes = "x") {
    ASSERT_TRUE(dhtest::WriteFileBytes(winPath, bytes)) << winPath;
  }
  static void MakeFolder(const std::string& winPath) {
    ASSERT_TRUE(CreateDirectoryA(winPath.c_str(), nullptr)) << winPath;
  }
  static void PutRecord(const std::vector<std::string>& names, int32_t startMenu = 1,
                        int32_t desktop = 1) {
    Put(kRecord, RecordBytes(names, startMenu, desktop));
  }
  // The Start-menu folder with its shortcut, and the desktop shortcut.
  static void PutShortcuts() {
    MakeFolder(std::string(kPrograms) + "\\Dravenholt");
    Put(std::string(kPrograms) + "\\Dravenholt\\Dravenholtビューア.lnk");
    Put(std::string(kDesktop) + "\\Dravenholtビューア.lnk");
  }
};

}  // namespace uninstalltest
