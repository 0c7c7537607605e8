#include "gui/uninstall/InstalledViewer.h"

#include <windows.h>
#include <shlobj.h>

#include "payload/UninstRecordFormat.h"
#include "support/FileTree.h"

namespace uninsttest {
namespace {

const char kSettingsPath[] = "Software\\Dravenholt\\Viewer\\1.0";
const char kUninstallPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer";
const char kEmulationPath[] =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
const char kEmulationValue[] = "DHViewer.exe";
const char kShortcutName[] = "Dravenholtビューア.lnk";

bool WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool SetText(HKEY root, const char* path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG result = RegSetValueExA(key, name, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool SetDword(HKEY root, const char* path, const char* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG result =
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) return std::string();
  std::string text = path;
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

// The record's entries, in the order the installer writes them: folders, then files.
std::vector<std::string> RecordEntries(bool withUninstaller) {
  std::vector<std::string> entries = {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\data\\",
                                      "#APPDATA#\\", "#APPDATA#\\Collections\\",
                                      "#PROGRAMFILES#\\DHViewer.exe"};
  if (withUninstaller) entries.push_back("#PROGRAMFILES#\\Uninstall.exe");
  entries.push_back("#PROGRAMFILES#\\data\\表示.txt");
  entries.push_back("#APPDATA#\\settings.ini");
  return entries;
}

}  // namespace

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

InstalledViewer::InstalledViewer(const std::string& tag, const std::string& uninstaller)
    : uninstaller_(uninstaller) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  root = std::string(temp) + "dhuninst-" + tag + "-" + std::to_string(GetCurrentProcessId());
  // Shift-JIS names whose second byte is a backslash ("表", "ソ") must not split paths.
  // The two folders of the user's settings end as the installer names them, or the
  // uninstaller leaves them.
  installDir = root + "\\Program Files\\Dravenholt";
  appDataDir = root + "\\AppData\\表\\Dravenholt\\Viewer";
  contentsDir = root + "\\Contents\\ソース\\Dravenholt\\Contents";
  startMenuDir = SpecialFolder(CSIDL_PROGRAMS) + "\\Dravenholt";
  startMenuLink = startMenuDir + "\\" + kShortcutName;
  desktopLink = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + kShortcutName;
  if (!uninstaller_.empty()) uninstallerPath = installDir + "\\Uninstall.exe";
}

InstalledViewer::~InstalledViewer() { Remove(); }

bool InstalledViewer::Create() {
  Remove();
  for (const std::string& folder :
       {root, root + "\\Program Files", installDir, installDir + "\\data", root + "\\AppData",
        root + "\\AppData\\表", root + "\\AppData\\表\\Dravenholt", appDataDir,
        appDataDir + "\\Collections", appDataDir + "\\Collections\\c1", appDataDir + "\\Model",
        root + "\\Contents", root + "\\Contents\\ソース", root + "\\Contents\\ソース\\Dravenholt",
        contentsDir, contentsDir + "\\page", startMenuDir}) {
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      problem = "cannot create " + folder;
      return false;
    }
  }
  for (const std::string& file :
       {installDir + "\\DHViewer.exe", installDir + "\\data\\表示.txt",
        appDataDir + "\\settings.ini", appDataDir + "\\NNJ.dat",
        appDataDir + "\\Collections\\c1\\list.xml", appDataDir + "\\Model\\model.bin",
        contentsDir + "\\page\\index.html", startMenuLink, desktopLink}) {
    if (!WriteFile(file, "sample of " + file)) {
      problem = "cannot write " + file;
      return false;
    }
  }
  if (!uninstaller_.empty() && !CopyFileA(uninstaller_.c_str(), uninstallerPath.c_str(), FALSE)) {
    problem = "cannot copy " + uninstaller_;
    return false;
  }
  if (!WriteRecord()) {
    problem = "cannot write the record";
    return false;
  }
  if (!SetText(HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayVersion", "1.0.4.8219") ||
      !SetText(HKEY_LOCAL_MACHINE, kUninstallPath, "InstallLocation", installDir) ||
      !SetText(HKEY_LOCAL_MACHINE, kUninstallPath, "UninstallString",
               "\"" + installDir + "\\Uninstall.exe\"") ||
      !SetText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", appDataDir) ||
      !SetText(HKEY_CURRENT_USER, kSettingsPath, "ContentsDir", contentsDir) ||
      !SetDword(HKEY_CURRENT_USER, kEmulationPath, kEmulationValue, 9000)) {
    problem = "cannot write the registry data";
    return false;
  }
  return true;
}

bool InstalledViewer::WriteRecord() {
  std::string names;
  const std::vector<std::string> entries = RecordEntries(!uninstaller_.empty());
  for (const std::string& entry : entries) names += entry + '\0';
  names.push_back('\0');
  const UninstRecordHeader header =
      MakeUninstRecordHeader(1, 1, static_cast<int32_t>(names.size()),
                             static_cast<int32_t>(entries.size()));
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  return WriteFile(installDir + "\\" + kUninstRecordName, bytes + names);
}

void InstalledViewer::Remove() {
  if (!root.empty()) dhtest::DeleteTree(root);
  DeleteFileA(startMenuLink.c_str());
  RemoveDirectoryA(startMenuDir.c_str());
  DeleteFileA(desktopLink.c_str());
  ForgetRegistry();
}

std::string InstalledViewer::ExpectedLog() const {
  std::string log =
      "レジストリよりアンインストール情報\r\n"
      "ファイルよりアンインストール情報\r\n";
  log += installDir + "\\DHViewer.exe 消去\r\n";
  if (!uninstaller_.empty()) log += uninstallerPath + " 消去\r\n";
  log += installDir + "\\data\\表示.txt 消去\r\n";
  log += appDataDir + "\\settings.ini 消去\r\n";
  log += installDir + "\\data\\ 消去\r\n";
  log += installDir + "\\Uninst.dat 消去\r\n";
  log +=
      "プログラムスタートメニュー削除\r\n"
      "ショートカット削除\r\n"
      "Collectionsデータ削除\r\n"
      "Modelデータ削除\r\n"
      "コンテンツ削除開始\r\n"
      "コンテンツ削除完了\r\n"
      "レジストリ情報削除開始\r\n"
      "レジストリ情報削除完了\r\n"
      "アンインストール完了\r\n"
      "◎アンインストール処理完了しました\r\n";
  return log;
}

std::vector<std::string> InstalledViewer::RemovedPaths() const {
  // The "Dravenholt" folders that held the application-data and contents folders go
  // once empty.
  std::vector<std::string> paths = {installDir + "\\DHViewer.exe", installDir + "\\data",
                                    installDir + "\\Uninst.dat", appDataDir,
                                    root + "\\AppData\\表\\Dravenholt", contentsDir,
                                    root + "\\Contents\\ソース\\Dravenholt", startMenuLink,
                                    startMenuDir, desktopLink};
  if (!uninstaller_.empty()) paths.push_back(uninstallerPath);
  return paths;
}

bool InstalledViewer::RegistryLeft() {
  HKEY key = nullptr;
  bool left = false;
  for (const auto& place : {std::make_pair(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer"),
                            std::make_pair(HKEY_LOCAL_MACHINE, kUninstallPath)}) {
    if (RegOpenKeyExA(place.first, place.second, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      left = true;
    }
  }
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kEmulationPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    if (RegQueryValueExA(key, kEmulationValue, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      left = true;
    }
    RegCloseKey(key);
  }
  return left;
}

void InstalledViewer::ForgetRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dravenholt");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallPath);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallPath);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kEmulationPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, kEmulationValue);
    RegCloseKey(key);
  }
}

}  // namespace uninsttest
