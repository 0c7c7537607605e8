// DHViewer.exe of the sample payload: its window shows what the installer recorded in
// the registry, and the relaunch after an update ("-ai") leaves a note of the update's
// outcome in the application-data folder.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "gui/lib/GuiTest.h"

namespace {

const char kViewerClass[] = "DHViewerSampleWindow";
const char kViewerTitle[] = "Dravenholtビューア";
const int kVersionId = 100;
const int kLaunchNoteId = 101;
const int kSettingsId = 102;
const int kCloseId = IDOK;

const char kSettingsPath[] = "Software\\Dravenholt\\Viewer\\1.0";
const char kUninstallPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer";

// Removes the viewer's records, so that the test starts, and leaves the shared Wine
// prefix, without an installation.
void ForgetInstallation() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer");  // only when empty
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dravenholt");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallPath);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallPath);
}

void WriteText(HKEY root, const char* path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)));
  RegCloseKey(key);
}

void WriteDword(HKEY root, const char* path, const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                           &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value));
  RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueA(key, name);
    RegCloseKey(key);
  }
}

// The whole file, or "(no file)" when it cannot be opened.
std::string ReadFileText(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(no file)";
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

class SampleViewer : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetInstallation();
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    // A Shift-JIS folder name whose last byte is 0x5C ("表"), as a user's folder may be:
    // the note must still go inside it, not beside it.
    appData = std::string(temp) + "DHViewerSampleTest表";
    CreateDirectoryA(appData.c_str(), nullptr);
    logPath = appData + "\\relaunch.log";
    DeleteFileA(logPath.c_str());
  }
  void TearDown() override {
    viewer.Terminate();
    ForgetInstallation();
    DeleteFileA(logPath.c_str());
    RemoveDirectoryA(appData.c_str());
  }

  // Starts the viewer with the arguments (none when null) and waits for its window.
  HWND StartViewer(const char* arguments) {
    std::string line = "\"" + guitest::ExePathOf("sample/DHViewer.exe") + "\"";
    if (arguments) line += std::string(" ") + arguments;
    if (!viewer.Start(line)) return nullptr;
    return guitest::WaitForWindow(kViewerClass, kViewerTitle, 15000, viewer.Id());
  }

  // Presses the close button and returns the exit code (STILL_ACTIVE if it hangs).
  DWORD CloseViewer(HWND window) {
    EXPECT_TRUE(guitest::ClickButton(window, kCloseId));
    DWORD code = STILL_ACTIVE;
    EXPECT_TRUE(viewer.WaitForExit(10000, &code));
    return code;
  }

  // One "-ai" start: the launch note shown, after which the window is closed.
  std::string RelaunchNote() {
    HWND window = StartViewer("-ai");
    EXPECT_NE(nullptr, window);
    if (!window) return std::string();
    std::string note = guitest::GetText(guitest::FindControl(window, kLaunchNoteId));
    EXPECT_EQ(0u, CloseViewer(window));
    return note;
  }

  guitest::ChildProcess viewer;
  std::string appData;
  std::string logPath;
};

TEST_F(SampleViewer, WindowShowsTheRecordedInstallation) {
  const std::string folder = "C:\\Program Files\\Dravenholt\\Viewer";
  WriteText(HKEY_LOCAL_MACHINE, kUninstallPath, "DisplayVersion", "1.0.4.8219");
  WriteText(HKEY_LOCAL_MACHINE, kUninstallPath, "InstallLocation", folder);
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", appData);
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "ProxyPort", 8080);
  WriteText(HKEY_CURRENT_USER, std::string(kSettingsPath).append("\\Sample").c_str(), "Greeting",
            "こんにちは");

  HWND window = StartViewer(nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(std::string(kViewerTitle), guitest::GetText(window));
  EXPECT_EQ(std::string("インストール済みバージョン: 1.0.4.8219"),
            guitest::GetText(guitest::FindControl(window, kVersionId)));
  EXPECT_EQ(std::string("通常の起動です"),
            guitest::GetText(guitest::FindControl(window, kLaunchNoteId)));

  const std::string settings = guitest::GetText(guitest::FindControl(window, kSettingsId));
  EXPECT_NE(std::string::npos, settings.find("  DisplayVersion: 1.0.4.8219\r\n")) << settings;
  EXPECT_NE(std::string::npos, settings.find("  InstallLocation: " + folder + "\r\n"));
  EXPECT_NE(std::string::npos, settings.find("  AppDataDir: " + appData + "\r\n"));
  EXPECT_NE(std::string::npos, settings.find("  ProxyPort: 8080\r\n"));
  EXPECT_NE(std::string::npos, settings.find("  Greeting: こんにちは\r\n"));
  // What the installer did not write is shown as absent.
  EXPECT_NE(std::string::npos, settings.find("  ContentsDir: (なし)\r\n"));
  EXPECT_NE(std::string::npos, settings.find("  Version: (なし)\r\n"));

  Sleep(200);  // let the window paint before the picture is taken
  EXPECT_TRUE(
      guitest::SaveScreenshot(window, guitest::ScreenshotPath("sample-viewer.png").c_str()));
  EXPECT_EQ(0u, CloseViewer(window));
  // Only the relaunch after an update leaves a note.
  EXPECT_EQ("(no file)", ReadFileText(logPath));
}

TEST_F(SampleViewer, WithoutAnInstallationEveryValueIsAbsent) {
  HWND window = StartViewer(nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(std::string("インストール済みバージョン: (なし)"),
            guitest::GetText(guitest::FindControl(window, kVersionId)));
  const std::string settings = guitest::GetText(guitest::FindControl(window, kSettingsId));
  EXPECT_NE(std::string::npos, settings.find("  InstallLocation: (なし)\r\n")) << settings;
  EXPECT_NE(std::string::npos, settings.find("  UpdateSuccess: (なし)\r\n"));
  EXPECT_EQ(0u, CloseViewer(window));
}

TEST_F(SampleViewer, RelaunchRecordsTheUpdateOutcomeItRead) {
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", appData);

  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 1);
  EXPECT_EQ(std::string("アップデート後の再起動です(-ai)。結果を記録しました: "
                        "relaunched UpdateSuccess=1"),
            RelaunchNote());
  EXPECT_EQ("relaunched UpdateSuccess=1\r\n", ReadFileText(logPath));

  // Each relaunch adds its line; the failed updates' 999 and 0 come out as stored.
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 999);
  RelaunchNote();
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 0);
  RelaunchNote();
  DeleteValue(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess");
  RelaunchNote();
  // A value of the wrong type is not taken for an outcome.
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", "1");
  RelaunchNote();
  // A folder recorded with its closing backslash names the same file.
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", appData + "\\");
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 1);
  RelaunchNote();
  EXPECT_EQ(
      "relaunched UpdateSuccess=1\r\n"
      "relaunched UpdateSuccess=999\r\n"
      "relaunched UpdateSuccess=0\r\n"
      "relaunched UpdateSuccess=missing\r\n"
      "relaunched UpdateSuccess=invalid\r\n"
      "relaunched UpdateSuccess=1\r\n",
      ReadFileText(logPath));
}

TEST_F(SampleViewer, RelaunchWithoutAnAppDataFolderSaysNothingWasRecorded) {
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 1);
  EXPECT_EQ(std::string("アップデート後の再起動です(-ai)。結果を記録できませんでした: "
                        "relaunched UpdateSuccess=1"),
            RelaunchNote());

  // A folder that does not exist is not made up either.
  const std::string missing = appData + "\\missing";
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", missing);
  EXPECT_EQ(std::string("アップデート後の再起動です(-ai)。結果を記録できませんでした: "
                        "relaunched UpdateSuccess=1"),
            RelaunchNote());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
  EXPECT_EQ("(no file)", ReadFileText(logPath));
}

TEST_F(SampleViewer, OnlyTheExactArgumentCountsAsARelaunch) {
  WriteText(HKEY_CURRENT_USER, kSettingsPath, "AppDataDir", appData);
  WriteDword(HKEY_CURRENT_USER, kSettingsPath, "UpdateSuccess", 1);
  for (const char* arguments : {"-AI", "-ai x", "/ai"}) {
    HWND window = StartViewer(arguments);
    ASSERT_NE(nullptr, window) << arguments;
    EXPECT_EQ(std::string("通常の起動です"),
              guitest::GetText(guitest::FindControl(window, kLaunchNoteId)))
        << arguments;
    EXPECT_EQ(0u, CloseViewer(window));
  }
  EXPECT_EQ("(no file)", ReadFileText(logPath));
}

}  // namespace
