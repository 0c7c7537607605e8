// The installer's wizard driven end to end under Wine: a fresh installation through
// every page and what it leaves on disk and in the registry, Back, and the questions
// asked when the viewer is already installed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "support/FileBytes.h"
#include "support/FileTree.h"
#include "gui/e2e/RegistryReads.h"
#include "gui/e2e/SetupE2ETest.h"
#include "gui/e2e/ShellLinks.h"
#include "SetupVersion.h"

namespace e2e {
namespace {

// The version the build was configured with (DH_SETUP_VERSION).
const char kSetupVersion[] = DH_SETUP_VERSION;
const char kSameVersionQuestion[] =
    "すでに同じバージョンがインストールされています\r\n上書きインストールとして続行しますか？";
const char kUninstallFirstQuestion[] =
    "現在インストールされているバージョンを完全アンインストールしてから新規インストールを続行します"
    "か？"
    "\r\n（この場合コンテンツ類も消去されクリーンな環境に戻されます）";

// What the payload should put into the two viewer folders: the layout folders the
// build packs (the sample's own and the generated bulk content) and the two programs of
// this build. Keys are relative to the viewer folder, as dhtest::FileTree has them.
struct ExpectedPayload {
  dhtest::FileTree programFiles;
  dhtest::FileTree appData;
};

void AddLayout(const std::string& layout, ExpectedPayload* payload) {
  for (const auto& entry : dhtest::ReadTree(guitest::WinPath(layout))) {
    static const std::string kProgramFiles = "PROGRAMFILES\\";
    static const std::string kAppData = "APPDATA\\";
    // The two top folders themselves stand for the viewer folders.
    if (entry.first == kProgramFiles || entry.first == kAppData) continue;
    if (entry.first.compare(0, kProgramFiles.size(), kProgramFiles) == 0) {
      payload->programFiles[entry.first.substr(kProgramFiles.size())] = entry.second;
    } else if (entry.first.compare(0, kAppData.size(), kAppData) == 0) {
      payload->appData[entry.first.substr(kAppData.size())] = entry.second;
    }
  }
}

ExpectedPayload ReadExpectedPayload() {
  ExpectedPayload payload;
  AddLayout(DH_SAMPLE_PAYLOAD_DIR, &payload);
  AddLayout(DH_PAYLOAD_CONTENT_DIR, &payload);
  dhtest::ReadFileBytes(guitest::WinPath(DH_VIEWER_EXE), &payload.programFiles["DHViewer.exe"]);
  dhtest::ReadFileBytes(guitest::WinPath(DH_UNINSTALL_EXE), &payload.programFiles["Uninstall.exe"]);
  return payload;
}

uint32_t Le32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::string Text(HKEY root, const char* key, const char* name) {
  std::string value;
  return ReadText(root, key, name, &value) ? value : "<missing>";
}

class WizardE2ETest : public SetupE2ETest {};

// The close box and a posted close during the installation are ignored: it runs to its
// end and installs everything.
TEST_F(WizardE2ETest, FreshInstallationThroughEveryPageIgnoresClosesAndInstallsFilesLinksAndRegistry) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh("e2e-wizard", true));
  const ExpectedPayload payload = ReadExpectedPayload();
  ASSERT_FALSE(payload.programFiles.empty());
  ASSERT_FALSE(payload.appData.empty());

  // Every member in its folder byte for byte, nothing else beside the record;
  // "SetupInfo.xml" is the update's and is not installed.
  dhtest::FileTree viewer = dhtest::ReadTree(ViewerDir());
  std::string record;
  ASSERT_EQ(1u, viewer.count("Uninst.dat"));
  record = viewer["Uninst.dat"];
  viewer.erase("Uninst.dat");
  EXPECT_EQ("", dhtest::FirstDifference(payload.programFiles, viewer));
  EXPECT_EQ("", dhtest::FirstDifference(payload.appData, dhtest::ReadTree(DataViewerDir())));
  // Both folders hold the viewer folder only.
  for (const std::string& top : {InstallDir(), AppDataDir()}) {
    for (const auto& path : dhtest::PathsOf(dhtest::ReadTree(top)))
      EXPECT_EQ(0u, path.rfind("Viewer\\", 0)) << path;
  }
  EXPECT_FALSE(dhtest::PathExists(ViewerDir() + "\\SetupInfo.xml"));
  EXPECT_TRUE(dhtest::PathExists(ContentsDir()));

  // The record: header, both shortcut flags, and every member but "SetupInfo.xml".
  ASSERT_GE(record.size(), 28u);
  EXPECT_EQ(0, std::memcmp(record.data(), "DHVUI01\0", 8));
  EXPECT_EQ(28u, Le32(record, 8));
  EXPECT_EQ(1u, Le32(record, 12));
  EXPECT_EQ(1u, Le32(record, 16));
  const uint32_t dataSize = Le32(record, 20);
  const uint32_t count = Le32(record, 24);
  ASSERT_EQ(record.size(), 28u + dataSize);
  std::set<std::string> entries;
  std::string first;
  for (size_t at = 28; at < record.size() && record[at] != '\0';) {
    const std::string entry = record.c_str() + at;
    if (first.empty()) first = entry;
    entries.insert(entry);
    at += entry.size() + 1;
  }
  std::set<std::string> members{"#PROGRAMFILES#\\", "#APPDATA#\\"};
  for (const auto& entry : payload.programFiles) members.insert("#PROGRAMFILES#\\" + entry.first);
  for (const auto& entry : payload.appData) members.insert("#APPDATA#\\" + entry.first);
  EXPECT_EQ(members, entries);
  EXPECT_EQ(members.size(), count);
  EXPECT_EQ("#PROGRAMFILES#\\", first);

  for (const std::string& link : {StartMenuLink(), DesktopLink()}) {
    std::string target, folder;
    ASSERT_TRUE(ReadShellLink(link, &target, &folder)) << link;
    EXPECT_EQ(ViewerDir() + "\\DHViewer.exe", target) << link;
    EXPECT_EQ(ViewerDir(), folder) << link;
  }

  // The settings key.
  EXPECT_EQ(DataViewerDir(), Text(HKEY_CURRENT_USER, kSettingsKey, "AppDataDir"));
  // Wine hands My Documents out with a trailing backslash; the recorded folder must not
  // double it.
  EXPECT_EQ(ContentsDir(), Text(HKEY_CURRENT_USER, kSettingsKey, "ContentsDir"));
  EXPECT_NE("<missing>", Text(HKEY_CURRENT_USER, kSettingsKey, "Server1"));
  EXPECT_NE("<missing>", Text(HKEY_CURRENT_USER, kSettingsKey, "Server2"));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kSettingsKey, "Server2"),
            Text(HKEY_CURRENT_USER, kSettingsKey, "Server3"));
  EXPECT_EQ("/S1Contents/ThumbNail", Text(HKEY_CURRENT_USER, kSettingsKey, "TNUrl"));
  EXPECT_EQ("/S1Contents/AdditionalInfo", Text(HKEY_CURRENT_USER, kSettingsKey, "AIUrl"));
  EXPECT_EQ("/S3Contents", Text(HKEY_CURRENT_USER, kSettingsKey, "ContentsUrl"));
  if (KeyExists(HKEY_CURRENT_USER, kInternetSettingsKey)) {
    DWORD flag = 7, port = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "fProxy", &flag));
    EXPECT_TRUE(flag == 0 || flag == 1) << flag;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "ProxyPort", &port));
    EXPECT_NE("<missing>", Text(HKEY_CURRENT_USER, kSettingsKey, "ProxyName"));
    EXPECT_EQ("", Text(HKEY_CURRENT_USER, kSettingsKey, "ProxyID"));
    EXPECT_EQ("", Text(HKEY_CURRENT_USER, kSettingsKey, "ProxyPass"));
  }
  // A fresh installation records no update.
  EXPECT_EQ("<missing>", Text(HKEY_CURRENT_USER, kSettingsKey, "Version"));
  DWORD updateSuccess = 0;
  EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateSuccess", &updateSuccess));

  // The uninstall entry.
  EXPECT_EQ("Dravenholtビューア", Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"));
  EXPECT_EQ(ViewerDir() + "\\Uninstall.exe",
            Text(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"));
  EXPECT_EQ(ViewerDir(), Text(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"));
  EXPECT_EQ(ViewerDir() + "\\DHViewer.exe", Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"));
  EXPECT_EQ(kSetupVersion, Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
  EXPECT_EQ("Dravenholt電子メディア部", Text(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"));

  DWORD emulation = 0;
  EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, kBrowserEmulationKey, "DHViewer.exe", &emulation));
  EXPECT_EQ(9000u, emulation);
}

TEST_F(WizardE2ETest, BackFromTheReadMeShowsTheWelcomePageWithBackDisabled) {
  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(WaitForReadMe());
  ASSERT_NO_FATAL_FAILURE(Click(kBack));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  // The way forward still works, and refusing the read-me ends the program untouched.
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(WaitForReadMe());
  ASSERT_NO_FATAL_FAILURE(Click(kCancel));
  EXPECT_EQ(0u, ExitCode());
  EXPECT_FALSE(dhtest::PathExists(InstallDir()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(WizardE2ETest, SameVersionInstalledAnsweredNoAndNoQuitsAndLeavesItAlone) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  const dhtest::FileTree viewer = dhtest::ReadTree(ViewerDir());
  const dhtest::FileTree data = dhtest::ReadTree(DataViewerDir());

  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(Answer(kSameVersionQuestion, "確認", IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(kUninstallFirstQuestion, "確認", IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer("終了します", "確認", IDOK));
  EXPECT_EQ(0u, ExitCode());

  EXPECT_EQ("", dhtest::FirstDifference(viewer, dhtest::ReadTree(ViewerDir())));
  EXPECT_EQ("", dhtest::FirstDifference(data, dhtest::ReadTree(DataViewerDir())));
  EXPECT_EQ(kSetupVersion, Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
}

TEST_F(WizardE2ETest, NewerVersionInstalledIsRefusedAndTheProgramCloses) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "1.0.5.0"));
  const dhtest::FileTree viewer = dhtest::ReadTree(ViewerDir());

  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(
      Answer("インストールしようとしているバージョンよりも\r\n新しいバージョンがすでにインストール"
             "されています"
             "\r\n一度アンインストールしてからダウングレードしてください",
             "確認", IDOK));
  EXPECT_EQ(0u, ExitCode());
  EXPECT_EQ("", dhtest::FirstDifference(viewer, dhtest::ReadTree(ViewerDir())));
  EXPECT_EQ("1.0.5.0", Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
}

TEST_F(WizardE2ETest, SameVersionAnsweredNoThenYesUninstallsCompletelyAndInstallsAfresh) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  // Content the viewer downloaded: the complete uninstall removes it too.
  const std::string downloaded = ContentsDir() + "\\downloaded.bin";
  HANDLE file = CreateFileA(downloaded.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);

  ASSERT_NO_FATAL_FAILURE(StartSetup(nullptr));
  ASSERT_NO_FATAL_FAILURE(WaitForWelcome());
  ASSERT_NO_FATAL_FAILURE(Click(kNext));
  ASSERT_NO_FATAL_FAILURE(Answer(kSameVersionQuestion, "確認", IDNO));
  ASSERT_NO_FATAL_FAILURE(Answer(kUninstallFirstQuestion, "確認", IDYES));

  // The uninstall dialog runs over the wizard and ends with its own message.
  guitest::MessageBoxInfo done = WaitForBox(kWorkTimeoutMs);
  ASSERT_NE(nullptr, done.hwnd);
  Shot("e2e-uninstall-done.png");
  EXPECT_EQ(std::string("アンインストール処理完了しました"), done.text);
  EXPECT_EQ(std::string("確認"), done.caption);
  ASSERT_TRUE(guitest::AnswerMessageBox(done.hwnd, IDOK));

  ASSERT_NO_FATAL_FAILURE(WaitForReadMe());
  EXPECT_FALSE(dhtest::PathExists(ViewerDir() + "\\Uninst.dat"));
  EXPECT_FALSE(dhtest::PathExists(ViewerDir() + "\\DHViewer.exe"));
  EXPECT_FALSE(dhtest::PathExists(DataViewerDir() + "\\Model"));
  EXPECT_FALSE(dhtest::PathExists(downloaded));
  EXPECT_FALSE(dhtest::PathExists(StartMenuLink()));
  EXPECT_FALSE(dhtest::PathExists(DesktopLink()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // The rest is a fresh installation.
  ASSERT_NO_FATAL_FAILURE(InstallFromReadMe());
  EXPECT_TRUE(dhtest::PathExists(ViewerDir() + "\\Uninst.dat"));
  EXPECT_TRUE(dhtest::PathExists(DataViewerDir() + "\\Model\\default.ini"));
  EXPECT_TRUE(dhtest::PathExists(StartMenuLink()));
  EXPECT_TRUE(dhtest::PathExists(DesktopLink()));
  EXPECT_EQ(kSetupVersion, Text(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"));
  EXPECT_EQ(DataViewerDir(), Text(HKEY_CURRENT_USER, kSettingsKey, "AppDataDir"));
}

}  // namespace
}  // namespace e2e
