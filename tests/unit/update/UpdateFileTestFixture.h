// Base of the update file-operation tests: an installed viewer on the host layer (its
// install folder with the record, the data folder with Collections and Model), the
// new payload registered as the program's resource, and no pause between members.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "payload/UninstRecordFormat.h"
#include "platform/host/DiskControl.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/TreeSnapshot.h"
#include "unit/payload_host/PayloadFixture.h"
#include "update/UpdateFile.h"

namespace dhtest {

inline constexpr char kInstallDir[] = "C:\\Program Files\\Dravenholt\\Viewer";
inline constexpr char kAppDataDir[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer";
inline constexpr char kTempDir[] = "C:\\Users\\u\\AppData\\Local\\Temp\\";
inline constexpr char kBackupDir[] = "C:\\Users\\u\\AppData\\Local\\Temp\\Dravenholt";

inline bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string Contents(const std::string& path) {
  std::string bytes;
  return ReadFileBytes(path, &bytes) ? bytes : "<missing>";
}

// The bytes of "Uninst.dat" holding these names and shortcut flags.
inline std::string RecordBytes(const std::vector<std::string>& names, int32_t startMenu,
                               int32_t desktop) {
  std::string area;
  for (const std::string& name : names) area += name + '\0';
  if (!names.empty()) area += '\0';
  const UninstRecordHeader header = MakeUninstRecordHeader(
      startMenu, desktop, static_cast<int32_t>(area.size()), static_cast<int32_t>(names.size()));
  return std::string(reinterpret_cast<const char*>(&header), sizeof header) + area;
}

// The names a record file holds, in order.
inline std::vector<std::string> RecordNames(const std::string& bytes) {
  std::vector<std::string> names;
  if (bytes.size() < sizeof(UninstRecordHeader)) return names;
  UninstRecordHeader header;
  std::memcpy(&header, bytes.data(), sizeof header);
  size_t at = sizeof header;
  for (int i = 0; i < header.entryCount && at < bytes.size(); ++i) {
    names.emplace_back(bytes.c_str() + at);
    at += names.back().size() + 1;
  }
  return names;
}

class UpdateFileFixture : public PayloadFixture {
 protected:
  void SetUp() override {
    PayloadFixture::SetUp();
    cUpdateFile::installPauseMs = 0;
    hostwin::SetTempPath(kTempDir);
    update.installLocation = kInstallDir;
    update.appDataDir = kAppDataDir;
  }
  void TearDown() override {
    cUpdateFile::installPauseMs = cUpdateFile::kInstallPauseMs;
    PayloadFixture::TearDown();
  }

  static void MakeFolders(const std::string& path) {
    size_t at = 3;
    while ((at = path.find('\\', at)) != std::string::npos) {
      CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
      ++at;
    }
    CreateDirectoryA(path.c_str(), nullptr);
  }
  static void Write(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
  }

  // The installed older version: program files with a sub-folder, the record, and
  // data with Collections and Model.
  void InstallOldVersion() {
    MakeFolders(std::string(kInstallDir) + "\\Help");
    MakeFolders(std::string(kAppDataDir) + "\\Collections\\Set1");
    MakeFolders(std::string(kAppDataDir) + "\\Model\\Parts");
    Write(std::string(kInstallDir) + "\\DHViewer.exe", "old viewer");
    Write(std::string(kInstallDir) + "\\Help\\index.html", "old help");
    Write(std::string(kInstallDir) + "\\user.ini", "kept by the user");
    Write(std::string(kAppDataDir) + "\\Collections\\Set1\\a.col", "collection a");
    Write(std::string(kAppDataDir) + "\\Collections\\mine.col", "user's own");
    Write(std::string(kAppDataDir) + "\\Model\\Parts\\m.bin", std::string("model\0bytes", 11));
    Write(std::string(kAppDataDir) + "\\config.xml", "<config/>");
    Write(std::string(kInstallDir) + "\\Uninst.dat", RecordBytes(OldRecord(), 1, 0));
  }
  static std::vector<std::string> OldRecord() {
    return {"#PROGRAMFILES#\\",         "#PROGRAMFILES#\\Help\\",
            "#APPDATA#\\",              "#APPDATA#\\Collections\\",
            "#APPDATA#\\Collections\\Set1\\", "#PROGRAMFILES#\\DHViewer.exe",
            "#PROGRAMFILES#\\Help\\index.html", "#APPDATA#\\Collections\\Set1\\a.col",
            "#APPDATA#\\config.xml"};
  }

  // The new version's payload: folders first, a new file, the patch.
  static std::vector<StoredMember> NewMembers() {
    return {{"#PROGRAMFILES#\\", ""},
            {"#PROGRAMFILES#\\Plugins\\Extra\\", ""},
            {"#PROGRAMFILES#\\DHViewer.exe", "new viewer"},
            {"#PROGRAMFILES#\\Plugins\\Extra\\x.dll", "plugin"},
            {"SetupInfo.xml", "<UpdatePatch/>"},
            {"#APPDATA#\\Model\\config.xml", "<config v=\"2\"/>"}};
  }
  void RegisterPayload(const std::vector<StoredMember>& members) {
    RegisterArchive(cGetLhaFile::kPayloadResource, members);
  }
  void LoadNewPayload() {
    RegisterPayload(NewMembers());
    ASSERT_EQ(1, update.LoadPayload()) << update.lastError;
  }

  std::string Message() {
    const char* text = update.GetErrorMessage();
    return text ? text : "<none>";
  }

  cUpdateFile update;
};

}  // namespace dhtest
