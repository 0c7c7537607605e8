// Uninstall.exe over a real installation under Wine: the installer installs, the
// uninstall entry's "UninstallString" is started as "Programs and Features" starts it,
// its questions are answered, and nothing of the product is left. A record entry or an
// "AppDataDir" value planted by someone else never makes it delete the user's files.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/e2e/RegistryReads.h"
#include "gui/e2e/SetupE2ETest.h"
#include "gui/uninstall/UninstallerRun.h"
#include "payload/UninstRecordFormat.h"
#include "support/FileBytes.h"
#include "support/FileTree.h"

namespace e2e {
namespace {

using dhtest::PathExists;
using uninsttest::TemporaryCopy;

constexpr int kLogId = 1001;
const char kDone[] = "アンインストール処理完了しました";

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

class UninstallE2ETest : public SetupE2ETest {
 protected:
  // Starts the recorded "UninstallString", says yes, and returns the uninstall log once
  // the removal has reported success and the copy has ended with 0.
  std::string UninstallAsProgramsAndFeatures() {
    std::string command;
    EXPECT_TRUE(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", &command));
    TemporaryCopy copy;
    const guitest::MessageBoxInfo ask = uninsttest::StartAndAsk(command, &copy);
    EXPECT_EQ(std::string(uninsttest::kUninstallConfirm), ask.text);
    if (!guitest::AnswerMessageBox(ask.hwnd, IDYES)) return "<no answer>";
    guitest::MessageBoxInfo done;
    if (!guitest::WaitForMessageBox(&done, uninsttest::kUninstallTimeoutMs, copy.id))
      return "<no result>";
    EXPECT_EQ(std::string(kDone), done.text);
    const std::string log = guitest::GetText(guitest::FindControl(done.owner, kLogId));
    EXPECT_TRUE(guitest::AnswerMessageBox(done.hwnd, IDOK));
    EXPECT_EQ(0u, copy.ExitCode());
    return log;
  }

  // Nothing of the product: no folder, shortcut, key or value.
  void ExpectNothingLeft() {
    for (const std::string& path :
         {InstallDir(), AppDataDir(), Folder(CSIDL_PERSONAL) + "\\Dravenholt",
          Folder(CSIDL_PROGRAMS) + "\\Dravenholt", StartMenuLink(), DesktopLink()})
      EXPECT_FALSE(PathExists(path)) << path;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    DWORD emulation = 0;
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, kBrowserEmulationKey, "DHViewer.exe", &emulation));
  }
};

TEST_F(UninstallE2ETest, TheUninstallEntryRemovesARealInstallationWhole) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  const std::string log = UninstallAsProgramsAndFeatures();
  EXPECT_NE(std::string::npos, log.find("アンインストール完了\r\n")) << log;
  ExpectNothingLeft();
}

// The record lies in the install folder and "AppDataDir" under HKEY_CURRENT_USER: both
// may be written by others. A planted entry outside the product and a value naming a
// folder of the user's own leave every file of the user as it was.
TEST_F(UninstallE2ETest, PlantedEntriesAndFoldersLeaveTheUsersFiles) {
  ASSERT_NO_FATAL_FAILURE(InstallFresh());
  const std::string documents = Folder(CSIDL_PERSONAL);
  const std::string userFolder = documents + "\\dh-user-files";
  const std::string victim = documents + "\\dh-victim.txt";
  dhtest::DeleteTree(userFolder);
  ASSERT_TRUE(CreateDirectoryA(userFolder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((userFolder + "\\Collections").c_str(), nullptr));
  const std::vector<std::string> userFiles = {userFolder + "\\own.txt",
                                              userFolder + "\\Collections\\mine.xml",
                                              userFolder + "\\NNJ.dat", victim};
  for (const std::string& file : userFiles) ASSERT_TRUE(dhtest::WriteFileBytes(file, "mine"));

  // The record with two more entries: the victim by its absolute name, and by a climb
  // out of the install folder.
  const std::string recordPath = ViewerDir() + "\\" + kUninstRecordName;
  std::string record;
  ASSERT_TRUE(dhtest::ReadFileBytes(recordPath, &record));
  UninstRecordHeader header;
  ASSERT_GE(record.size(), sizeof header);
  std::memcpy(&header, record.data(), sizeof header);
  std::string area = record.substr(sizeof header, static_cast<size_t>(header.dataSize) - 1);
  const std::string climb = "#PROGRAMFILES#\\..\\..\\..\\" + victim.substr(3);  // below C:\ .
  for (const std::string& entry : {victim, climb}) area += entry + '\0';
  area += '\0';
  header = MakeUninstRecordHeader(header.startMenuShortcut, header.desktopShortcut,
                                  static_cast<int32_t>(area.size()), header.entryCount + 2);
  ASSERT_TRUE(dhtest::WriteFileBytes(
      recordPath, std::string(reinterpret_cast<const char*>(&header), sizeof header) + area));
  ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, kSettingsKey, "AppDataDir", userFolder.c_str()));

  const std::string log = UninstallAsProgramsAndFeatures();

  for (const std::string& file : userFiles) {
    std::string bytes;
    EXPECT_TRUE(dhtest::ReadFileBytes(file, &bytes)) << file;
    EXPECT_EQ("mine", bytes) << file;
  }
  for (const std::string& entry : {victim, climb})
    EXPECT_NE(std::string::npos, log.find(entry + " 製品のフォルダ外のため消去しません\r\n"))
        << log;
  EXPECT_NE(std::string::npos, log.find(userFolder + " 製品のフォルダではないため残します\r\n"))
      << log;
  // The product's own folders went all the same, but the application-data folder the
  // value no longer named: the fixture's cleanup takes it.
  EXPECT_FALSE(PathExists(InstallDir()));
  dhtest::DeleteTree(userFolder);
  DeleteFileA(victim.c_str());
}

}  // namespace
}  // namespace e2e
