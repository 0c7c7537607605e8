// The fresh installation over the host layer: a sample-like payload registered as the
// program's resource, the files, record, links and registry it leaves, its progress,
// and every failure with the cleanup that follows it.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "install/InstallSequence.h"
#include "platform/host/DiskControl.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "support/FileBytes.h"
#include "unit/payload_host/PayloadFixture.h"

namespace {

using dhtest::RecordingSink;
using dhtest::StoredMember;

const char kInstallDir[] = "C:\\Program Files\\Dravenholt";
const char kAppDataDir[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt";
const char kContentsDir[] = "C:\\Users\\u\\Documents\\Dravenholt\\Contents";
const char kProgramsDir[] = "C:\\Users\\u\\Start Menu\\Programs";
const char kDesktopDir[] = "C:\\Users\\u\\Desktop";
const char kViewerFolder[] = "C:\\Program Files\\Dravenholt\\Viewer";
const char kDataViewerFolder[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer";
const char kTarget[] = "C:\\Program Files\\Dravenholt\\Viewer\\DHViewer.exe";
const char kStartMenuLink[] = "C:\\Users\\u\\Start Menu\\Programs\\Dravenholt\\Dravenholtビューア.lnk";
const char kDesktopLink[] = "C:\\Users\\u\\Desktop\\Dravenholtビューア.lnk";
const char kStartMenuFolder[] = "C:\\Users\\u\\Start Menu\\Programs\\Dravenholt";

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

std::string Contents(const char* path) {
  std::string bytes;
  return dhtest::ReadFileBytes(path, &bytes) ? bytes : "<missing>";
}

// Like the shipped payload: the viewer's files below the install folder, its data
// below the application-data folder, and the update description that is never
// installed.
std::vector<StoredMember> SampleMembers() {
  return {{"#PROGRAMFILES#\\", ""},
          {"#PROGRAMFILES#\\DHViewer.exe", std::string("MZ\x90\0viewer", 10)},
          {"#PROGRAMFILES#\\Help\\", ""},
          {"#PROGRAMFILES#\\Help\\index.html", "<html>help</html>"},
          {"#APPDATA#\\", ""},
          {"#APPDATA#\\Config.xml", "<config/>"},
          {"SetupInfo.xml", "<SetupInfo/>"}};
}

class InstallSequenceTest : public dhtest::PayloadFixture {
 protected:
  void SetUp() override {
    PayloadFixture::SetUp();
    for (const char* folder : {"C:\\Program Files", "C:\\Users", "C:\\Users\\u",
                               "C:\\Users\\u\\AppData", "C:\\Users\\u\\AppData\\Roaming",
                               "C:\\Users\\u\\Documents", "C:\\Users\\u\\Start Menu",
                               kProgramsDir, kDesktopDir}) {
      ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder;
    }
    // Keys every Windows system has; the installation's own keys go below them.
    ASSERT_TRUE(hostwin::RegistryCreateKey(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    ASSERT_TRUE(hostwin::RegistryCreateKey(kBrowserEmulationKey.root, kBrowserEmulationKey.path));
    plan.installDir = kInstallDir;
    plan.appDataDir = kAppDataDir;
    plan.contentsDir = kContentsDir;
    plan.programsDir = kProgramsDir;
    plan.desktopDir = kDesktopDir;
    plan.addStartMenu = 1;
    plan.addDesktop = 1;
    plan.createInstallDir = 1;
    plan.reg = &reg;
  }

  // Registers the payload and counts its members as the folder page does.
  void RegisterPayload(const std::vector<StoredMember>& members) {
    RegisterArchive(cGetLhaFile::kPayloadResource, members);
    cGetLhaFile measure;
    DWORD size[2] = {};
    ASSERT_EQ(1, measure.GetPayloadSize(size));
    plan.memberCount = measure.memberCount;
  }

  // Runs a failing installation and checks what every failure leaves: no viewer
  // folder, no empty product folder, no link, the Start-menu folder only when it was
  // there before, the registry as before.
  void ExpectFailureCleanedUp(int code, ShortcutMaker maker = nullptr) {
    const std::string registryBefore = hostwin::RegistrySnapshot();
    const bool startMenuFolderBefore = Exists(kStartMenuFolder);
    EXPECT_EQ(code, RunInstallSequence(plan, &sink, maker));
    EXPECT_FALSE(Exists(kStartMenuLink));
    EXPECT_FALSE(Exists(kDesktopLink));
    EXPECT_EQ(startMenuFolderBefore, Exists(kStartMenuFolder));
    EXPECT_FALSE(Exists(kViewerFolder));
    EXPECT_FALSE(Exists(kDataViewerFolder));
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(kAppDataDir));
    EXPECT_EQ(registryBefore, hostwin::RegistrySnapshot());
    EXPECT_EQ(0, hostwin::ComInitializations());
    EXPECT_EQ(0, hostwin::LiveShellLinks());
  }

  cReg reg;
  InstallPlan plan;
  RecordingSink sink;
};

TEST_F(InstallSequenceTest, FreshInstallationWritesFilesRecordLinksAndRegistry) {
  RegisterPayload(SampleMembers());
  ASSERT_EQ(0, RunInstallSequence(plan, &sink));

  EXPECT_EQ(std::string("MZ\x90\0viewer", 10), Contents(kTarget));
  EXPECT_EQ("<html>help</html>", Contents("C:\\Program Files\\Dravenholt\\Viewer\\Help\\index.html"));
  EXPECT_EQ("<config/>", Contents("C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\Config.xml"));
  EXPECT_FALSE(Exists("C:\\Program Files\\Dravenholt\\Viewer\\SetupInfo.xml"));
  EXPECT_TRUE(IsFolder(kContentsDir));
  const std::string record = Contents("C:\\Program Files\\Dravenholt\\Viewer\\Uninst.dat");
  EXPECT_NE(std::string::npos, record.find("#PROGRAMFILES#\\DHViewer.exe"));
  EXPECT_NE(std::string::npos, record.find("#APPDATA#\\Config.xml"));

  const auto links = hostwin::SavedShellLinks();
  ASSERT_EQ(2u, links.size());
  EXPECT_EQ(kStartMenuLink, links[0].path);
  EXPECT_EQ(kDesktopLink, links[1].path);
  for (const auto& link : links) {
    EXPECT_EQ(kTarget, link.target);
    EXPECT_EQ("", link.arguments);
    EXPECT_EQ(kViewerFolder, link.workingFolder);
    EXPECT_EQ(SW_SHOW, link.showCmd);
    EXPECT_TRUE(Exists(link.path.c_str()));
  }
  EXPECT_EQ(0, hostwin::ComInitializations());
  EXPECT_EQ(0, hostwin::LiveShellLinks());

  EXPECT_EQ(kDataViewerFolder,
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "AppDataDir"));
  EXPECT_EQ(kContentsDir,
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "ContentsDir"));
  EXPECT_EQ(kViewerFolder,
            hostwin::RegistryReadString(kUninstallKey.root, kUninstallKey.path, "InstallLocation"));
  EXPECT_EQ(cReg::kSetupVersion,
            hostwin::RegistryReadString(kUninstallKey.root, kUninstallKey.path, "DisplayVersion"));
  EXPECT_TRUE(hostwin::RegistryReadValue(kBrowserEmulationKey.root, kBrowserEmulationKey.path,
                                         "DHViewer.exe"));

  ASSERT_FALSE(sink.calls.empty());
  EXPECT_EQ(std::make_pair(100, std::string("レジストリー書き込み")), sink.calls.back());
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(InstallSequenceTest, StepsAndPercentages) {
  std::vector<StoredMember> members;
  for (int i = 0; i < 10; ++i) members.push_back({"#PROGRAMFILES#\\f" + std::to_string(i), "x"});
  RegisterPayload(members);
  ASSERT_EQ(10, plan.memberCount);
  plan.createInstallDir = 0;
  EXPECT_EQ(15, InstallStepCount(plan));
  ASSERT_EQ(0, RunInstallSequence(plan, &sink));

  std::vector<int> positions;
  for (const auto& call : sink.calls) positions.push_back(call.first);
  EXPECT_EQ((std::vector<int>{6, 13, 20, 26, 33, 40, 46, 53, 60, 66, 73, 80, 86, 93, 100, 100}),
            positions);
  ASSERT_EQ(16u, sink.calls.size());
  EXPECT_EQ("インストールディレクトリ作成", sink.calls[0].second);
  EXPECT_EQ("APPDATAディレクトリ作成", sink.calls[1].second);
  EXPECT_EQ("アンインストール情報作成", sink.calls[12].second);
  EXPECT_EQ("スタートメニューに登録", sink.calls[13].second);
  EXPECT_EQ("デスクトップにショートカットを作成", sink.calls[14].second);
  EXPECT_EQ("レジストリー書き込み", sink.calls[15].second);

  plan.createInstallDir = 1;
  plan.addStartMenu = 0;
  EXPECT_EQ(15, InstallStepCount(plan));
  plan.addDesktop = 0;
  plan.memberCount = 0;
  EXPECT_EQ(4, InstallStepCount(plan));
}

TEST_F(InstallSequenceTest, WithoutShortcutsTheStartMenuIsNotTouched) {
  RegisterPayload(SampleMembers());
  plan.addStartMenu = 0;
  plan.addDesktop = 0;
  ASSERT_EQ(0, RunInstallSequence(plan, &sink));
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
  EXPECT_FALSE(Exists("C:\\Users\\u\\Start Menu\\Programs\\Dravenholt"));
  EXPECT_EQ(100, sink.calls.back().first);
}

TEST_F(InstallSequenceTest, NoProgressDialogIs500AndDoesNothing) {
  RegisterPayload(SampleMembers());
  const std::string registryBefore = hostwin::RegistrySnapshot();
  EXPECT_EQ(500, RunInstallSequence(plan, nullptr));
  EXPECT_FALSE(Exists(kInstallDir));
  EXPECT_FALSE(Exists(kContentsDir));
  EXPECT_EQ(registryBefore, hostwin::RegistrySnapshot());
}

TEST_F(InstallSequenceTest, ExtractionFailureIs550) {
  // No payload resource at all.
  plan.memberCount = 3;
  ExpectFailureCleanedUp(550);
  // The contents folder was made before the failure and stays.
  EXPECT_TRUE(IsFolder(kContentsDir));
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
}

// A file or folder that cannot be written fails the installation: it is never
// reported complete with files missing or cut.
TEST_F(InstallSequenceTest, WriteFailuresAre550AndCleanedUp) {
  struct Case {
    const char* what;
    hostwin::Fault fault;
    ULONGLONG writeRoom;  // 0: no limit
  };
  const Case cases[] = {
      {"write refused", {"WriteFile", "", 2, ERROR_ACCESS_DENIED}, 0},
      {"disk full mid-file", {}, 12},
      {"folder not made", {"CreateDirectoryA", "C:\\Program Files\\Dravenholt\\Viewer\\Help"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    sink.calls.clear();
    RegisterPayload(SampleMembers());
    if (!c.fault.function.empty()) hostwin::InjectFault(c.fault);
    if (c.writeRoom) hostwin::SetWriteRoom(c.writeRoom);
    ExpectFailureCleanedUp(550);
    for (const auto& call : sink.calls) EXPECT_NE(100, call.first) << call.second;
    EXPECT_TRUE(hostwin::SavedShellLinks().empty());
  }
}

// A member named outside the product's folders is refused before anything of it is
// written, with a code of its own.
TEST_F(InstallSequenceTest, AMemberOutsideTheProductIs555) {
  std::vector<StoredMember> members = SampleMembers();
  members.insert(members.begin() + 2, {"#PROGRAMFILES#\\..\\..\\evil.dll", "x"});
  RegisterPayload(members);
  ExpectFailureCleanedUp(555);
  EXPECT_FALSE(Exists("C:\\Program Files\\evil.dll"));
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
}

TEST_F(InstallSequenceTest, UninstallRecordFailureIs560) {
  RegisterPayload(SampleMembers());
  hostwin::InjectFault({"CreateFileA", "C:\\Program Files\\Dravenholt\\Viewer\\Uninst.dat"});
  ExpectFailureCleanedUp(560);
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
}

TEST_F(InstallSequenceTest, StartMenuShortcutFailureIs570) {
  RegisterPayload(SampleMembers());
  hostwin::InjectFault({"IPersistFile::Save", kStartMenuLink});
  ExpectFailureCleanedUp(570);
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
}

TEST_F(InstallSequenceTest, DesktopShortcutFailureIs580AndRemovesTheStartMenuLink) {
  RegisterPayload(SampleMembers());
  hostwin::InjectFault({"CoCreateInstance", "", 2});
  ExpectFailureCleanedUp(580);
  const auto links = hostwin::SavedShellLinks();
  ASSERT_EQ(1u, links.size());
  EXPECT_EQ(kStartMenuLink, links[0].path);
}

TEST_F(InstallSequenceTest, RegistryFailureIs590AndRemovesTheLinks) {
  RegisterPayload(SampleMembers());
  hostwin::InjectFault({"RegSetValueExA", "AppDataDir"});
  ExpectFailureCleanedUp(590);
  EXPECT_EQ(2u, hostwin::SavedShellLinks().size());
  EXPECT_FALSE(hostwin::RegistryKeyExists(kSettingsKey.root, kSettingsKey.path));
  EXPECT_FALSE(hostwin::RegistryKeyExists(kUninstallKey.root, kUninstallKey.path));
  EXPECT_FALSE(hostwin::RegistryReadValue(kBrowserEmulationKey.root, kBrowserEmulationKey.path,
                                          "DHViewer.exe"));
}

TEST_F(InstallSequenceTest, FailureKeepsAStartMenuFolderThatWasThere) {
  RegisterPayload(SampleMembers());
  ASSERT_TRUE(CreateDirectoryA(kStartMenuFolder, nullptr));
  hostwin::InjectFault({"RegSetValueExA", "AppDataDir"});
  ExpectFailureCleanedUp(590);
  EXPECT_TRUE(IsFolder(kStartMenuFolder));
}

TEST_F(InstallSequenceTest, MissingRegistryObjectIs590) {
  RegisterPayload(SampleMembers());
  plan.reg = nullptr;
  ExpectFailureCleanedUp(590);
}

TEST_F(InstallSequenceTest, AnyOtherExceptionIs999) {
  RegisterPayload(SampleMembers());
  ExpectFailureCleanedUp(999, [](const char*, const char*, const char*) -> int {
    throw std::bad_alloc();
  });
}

TEST_F(InstallSequenceTest, CleanupKeepsAFolderThatHoldsOtherFiles) {
  ASSERT_TRUE(CreateDirectoryA(kInstallDir, nullptr));
  ASSERT_TRUE(CreateDirectoryA("C:\\Program Files\\Dravenholt\\Mine", nullptr));
  EXPECT_EQ(550, RunInstallSequence(plan, &sink));
  EXPECT_FALSE(Exists(kViewerFolder));
  EXPECT_TRUE(IsFolder("C:\\Program Files\\Dravenholt\\Mine"));
  EXPECT_EQ(1, RemoveInstalledFolders("", nullptr));
}

TEST_F(InstallSequenceTest, ShortcutFailuresReleaseEverything) {
  ASSERT_TRUE(CreateDirectoryA("C:\\L", nullptr));
  hostwin::InjectFault({"CoCreateInstance", ""});
  EXPECT_EQ(0, CreateShortcut("C:\\L\\a.lnk", "C:\\t.exe", "C:\\"));
  hostwin::ClearFaults();
  hostwin::InjectFault({"QueryInterface", ""});
  EXPECT_EQ(0, CreateShortcut("C:\\L\\a.lnk", "C:\\t.exe", "C:\\"));
  hostwin::ClearFaults();
  // A folder that is not there fails the save.
  EXPECT_EQ(0, CreateShortcut("C:\\Missing\\a.lnk", "C:\\t.exe", "C:\\"));
  EXPECT_EQ(0, CreateShortcut(nullptr, "C:\\t.exe", "C:\\"));
  EXPECT_TRUE(hostwin::SavedShellLinks().empty());
  EXPECT_EQ(0, hostwin::ComInitializations());
  EXPECT_EQ(0, hostwin::LiveShellLinks());
  EXPECT_EQ(1, CreateShortcut("C:\\L\\a.lnk", "C:\\t.exe", "C:\\"));
  EXPECT_EQ(1u, hostwin::SavedShellLinks().size());
}

}  // namespace
