// Power lost at every crash point of the three sequences that change the machine: the
// host layer's crash switch stops the machine at the nth mutating call and freezes the
// files and the registry as they stand; then a fresh start runs over what is left.
// Each driver first runs its sequence whole to count the crash points, then walks
// every one of them over a freshly prepared machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "install/InstallSequence.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"
#include "support/TreeSnapshot.h"
#include "uninstall/UninstallSequence.h"
#include "unit/payload_host/PayloadFixture.h"
#include "unit/update/UpdateMembers.h"
#include "update/UpdateFile.h"
#include "update/UpdateRecovery.h"
#include "update/UpdateSequence.h"

namespace {

using dhtest::StoredMember;
using dhtest::TreeSnapshot;

const char kInstallDir[] = "C:\\Program Files\\Dravenholt";
const char kAppDataDir[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt";
const char kViewer[] = "C:\\Program Files\\Dravenholt\\Viewer";
const char kCollections[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\Collections";
const char kModel[] = "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\Model";
const char kPrograms[] = "C:\\Users\\u\\Start Menu\\Programs";
const char kDesktop[] = "C:\\Users\\u\\Desktop";
const char kTemp[] = "C:\\Users\\u\\AppData\\Local\\Temp\\";
const char kOldVersion[] = "1.0.3.9000";
// The folders that are set aside while a backup is moved back in.
const char* const kAsides[] = {"C:\\Program Files\\Dravenholt\\@Viewer",
                               "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\@Collections",
                               "C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer\\@Model"};
// Failures reported per driver before it stops listing them.
constexpr int kReportedFailures = 5;

std::vector<StoredMember> OldMembers() { return dhtest::InstalledVersionMembers(); }

// The update deletes the old Model and the old program files, and brings new ones.
std::vector<StoredMember> NewMembers() {
  std::vector<StoredMember> members = dhtest::UpdateVersionMembers();
  members.push_back(
      {"SetupInfo.xml",
       "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<UpdatePatch>\r\n"
       "<Version>1.0</Version>\r\n<DeleteFile><Collections>0</Collections><Model>1</Model>"
       "<ProgramFiles>1</ProgramFiles></DeleteFile>\r\n</UpdatePatch>\r\n"});
  return members;
}

std::string Version() {
  return hostwin::RegistryReadString(kUninstallKey.root, kUninstallKey.path, "DisplayVersion")
      .value_or("<none>");
}

// Everything of the machine that a sequence may touch.
std::string Machine() {
  return TreeSnapshot("C:\\Program Files") + TreeSnapshot("C:\\Users") +
         hostwin::RegistrySnapshot();
}

// A log that keeps nothing.
class SilentLog : public cLogSink {
 public:
  int AppendLogText(const char*) override { return 1; }
};

class CrashPointsTest : public dhtest::PayloadFixture {
 protected:
  void SetUp() override {
    PayloadFixture::SetUp();
    cUpdateFile::installPauseMs = 0;
  }
  void TearDown() override {
    cUpdateFile::installPauseMs = cUpdateFile::kInstallPauseMs;
    PayloadFixture::TearDown();
  }

  // A machine with the shell's folders and the keys every Windows has, and the
  // payload of `members` as the program's resource.
  static void PrepareMachine(const std::vector<StoredMember>& members) {
    hostwin::ResetAll();
    cGetLhaFile::extractPauseMs = 0;
    hostwin::SetTempPath(kTemp);
    hostwin::SetSpecialFolder(CSIDL_PROGRAMS, kPrograms);
    hostwin::SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, kDesktop);
    for (const char* folder :
         {"C:\\Program Files", "C:\\Users", "C:\\Users\\u", "C:\\Users\\u\\AppData",
          "C:\\Users\\u\\AppData\\Roaming", "C:\\Users\\u\\AppData\\Local", kTemp,
          "C:\\Users\\u\\Documents", "C:\\Users\\u\\Start Menu", kPrograms, kDesktop}) {
      ASSERT_TRUE(CreateDirectoryA(folder, nullptr)) << folder;
    }
    ASSERT_TRUE(hostwin::RegistryCreateKey(
        HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
    ASSERT_TRUE(hostwin::RegistryCreateKey(kBrowserEmulationKey.root, kBrowserEmulationKey.path));
    RegisterArchive(cGetLhaFile::kPayloadResource, members);
  }

  static int Install() {
    cReg reg;
    InstallPlan plan;
    plan.installDir = kInstallDir;
    plan.appDataDir = kAppDataDir;
    plan.contentsDir = "C:\\Users\\u\\Documents\\Dravenholt\\Contents";
    plan.programsDir = kPrograms;
    plan.desktopDir = kDesktop;
    plan.addStartMenu = 1;
    plan.addDesktop = 1;
    plan.createInstallDir = 1;
    cGetLhaFile measure;
    DWORD size[2] = {};
    if (measure.GetPayloadSize(size)) plan.memberCount = measure.memberCount;
    plan.reg = &reg;
    dhtest::RecordingSink progress;
    return RunInstallSequence(plan, &progress);
  }

  // The old version installed, with the user's own files in Collections and Model,
  // and the update's payload in the program.
  static void PrepareInstalledOldVersion() {
    PrepareMachine(OldMembers());
    ASSERT_EQ(0, Install());
    ASSERT_TRUE(hostwin::RegistryWriteString(kUninstallKey.root, kUninstallKey.path,
                                             "DisplayVersion", kOldVersion));
    ASSERT_TRUE(dhtest::WriteFileBytes(std::string(kCollections) + "\\user.xml", "my own set"));
    ASSERT_TRUE(CreateDirectoryA((std::string(kModel) + "\\Mine").c_str(), nullptr));
    ASSERT_TRUE(dhtest::WriteFileBytes(std::string(kModel) + "\\Mine\\part.bin",
                                       std::string("my\0part", 7)));
    RegisterArchive(cGetLhaFile::kPayloadResource, NewMembers());
  }

  static int Update() {
    cReg reg;
    dhtest::RecordingSink progress;
    return RunUpdateSequence(&reg, false, nullptr, &progress);
  }

  static int Uninstall() {
    cUninstallTarget target;
    cReg reg;
    SilentLog log;
    return RunUninstall(&target, &reg, &log, nullptr);
  }

  // Runs `sequence` over a machine `prepare` makes, first whole to count its mutating
  // calls, then with the power lost at each of them in turn; after each loss `check`
  // powers the machine on again, starts afresh and returns what broke ("" for
  // nothing). Returns the number of crash points.
  static int EveryCrashPoint(const char* name, const std::function<void()>& prepare,
                             const std::function<void()>& sequence,
                             const std::function<std::string()>& check) {
    prepare();
    hostwin::PowerOn();
    sequence();
    const int points = hostwin::MutationCount();
    std::printf("%s: %d crash points\n", name, points);
    int failures = 0;
    for (int n = 1; n <= points && failures < kReportedFailures; ++n) {
      prepare();
      hostwin::PowerOn();
      hostwin::CrashAtMutation(n);
      sequence();
      if (!hostwin::Crashed()) {
        ADD_FAILURE() << name << ": crash point " << n << " was never reached";
        ++failures;
        continue;
      }
      const std::string call = hostwin::CrashedCall();
      hostwin::PowerOn();
      const std::string broken = check();
      if (!broken.empty()) {
        ADD_FAILURE() << name << ": power lost at crash point " << n << " (" << call
                      << "): " << broken;
        ++failures;
      }
    }
    return points;
  }
};

TEST_F(CrashPointsTest, AnUpdateCutShortLeavesTheOldOrTheNewInstallationWhole) {
  const auto folders = [] {
    return TreeSnapshot(kViewer) + TreeSnapshot(kCollections) + TreeSnapshot(kModel);
  };
  PrepareInstalledOldVersion();
  const std::string before = folders();
  ASSERT_EQ(0, Update());
  const std::string after = folders();
  ASSERT_NE(before, after);
  ASSERT_EQ(cReg::kSetupVersion, Version());

  const int points = EveryCrashPoint(
      "update", PrepareInstalledOldVersion, [] { Update(); },
      [&]() -> std::string {
        cReg reg;
        if (RecoverInterruptedUpdate(&reg, nullptr) == kRecoveryFailed) return "no recovery";
        morstd::cMorString version;
        if (cUpdateFile::ReadMarker(&version)) return "the marker is still there";
        for (const char* aside : kAsides) {
          if (GetFileAttributesA(aside) != INVALID_FILE_ATTRIBUTES)
            return std::string("left set aside: ") + aside;
        }
        const std::string now = folders();
        if (now == before) return Version() == kOldVersion ? "" : "old files, version " + Version();
        if (now == after) return Version() == cReg::kSetupVersion ? "" : "new files, version " + Version();
        return "the folders are neither the old nor the new ones:\n" + now;
      });
  EXPECT_GT(points, 0);
}

TEST_F(CrashPointsTest, AnInstallationCutShortIsCompletedByTheNextOne) {
  const auto prepare = [] { PrepareMachine(OldMembers()); };
  prepare();
  ASSERT_EQ(0, Install());
  const std::string clean = Machine();

  const int points = EveryCrashPoint("installation", prepare, [] { Install(); },
                                     [&]() -> std::string {
                                       const int code = Install();
                                       if (code != 0) return "the next one fails with " +
                                                             std::to_string(code);
                                       const std::string now = Machine();
                                       return now == clean ? "" : "not a clean installation:\n" + now;
                                     });
  EXPECT_GT(points, 0);
}

TEST_F(CrashPointsTest, AnUninstallationCutShortIsFinishedByTheNextOne) {
  const auto prepare = [] {
    PrepareMachine(OldMembers());
    ASSERT_EQ(0, Install());
  };
  prepare();
  ASSERT_EQ(0, Uninstall());
  const std::string removed = Machine();
  // Only the empty install and data folders stay, as after every uninstallation.
  for (const char* trace : {"DHViewer", "Uninst.dat", ".lnk", "mine.xml", "model.ini", "Contents"})
    ASSERT_EQ(std::string::npos, removed.find(trace)) << trace << " in\n" << removed;

  const int points = EveryCrashPoint("uninstallation", prepare, [] { Uninstall(); },
                                     [&]() -> std::string {
                                       Uninstall();
                                       const std::string now = Machine();
                                       return now == removed ? "" : "something is left:\n" + now;
                                     });
  EXPECT_GT(points, 0);
}

}  // namespace
