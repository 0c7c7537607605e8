// The checks before the wizard over the host layer's version, registry, special
// folders and message journal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/Preflight.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "support/HostFixture.h"

namespace {

HWND const kOwner = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4321));
const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";
const char kUnsupportedOs[] = "本アプリケーションはVista、Windows7,8,8.1,10のみの対応となります";
const char kOldBrowser[] =
    "本アプリケーションの動作のために Internet Explore 9.0以降を\r\nインストールしてください";
const char kFewColours[] =
    "画面の色数は（High Color 16ビット）色以上でないと正しく表示されないことがあります";

class PreflightTest : public dhtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    SetBrowserVersion("9.11.19041.0");
    hostwin::SetSpecialFolder(CSIDL_APPDATA, "C:\\Users\\u\\AppData\\Roaming");
    hostwin::SetSpecialFolder(CSIDL_PROGRAM_FILES, "C:\\Program Files");
    hostwin::SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, "C:\\Users\\u\\Desktop");
    hostwin::SetSpecialFolder(CSIDL_PROGRAMS, "C:\\Users\\u\\Start Menu\\Programs");
    hostwin::SetSpecialFolder(CSIDL_PERSONAL, "C:\\Users\\u\\Documents");
  }

  // The key stays open for the test; the fixture's reset closes it.
  HKEY OpenBrowserKey() {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_ALL_ACCESS, &key));
    openKeys.push_back(key);
    return key;
  }
  void TearDown() override {
    for (HKEY key : openKeys) RegCloseKey(key);
    HostFixture::TearDown();
  }
  std::vector<HKEY> openKeys;

  static void SetBrowserVersion(const std::string& version) {
    hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", version);
  }
  // Records an installation of `version` as a complete run would have.
  static void RecordInstalled(const std::string& version) {
    hostwin::RegistryWriteString(kUninstallKey.root, kUninstallKey.path, "DisplayVersion", version);
    hostwin::RegistryWriteString(kUninstallKey.root, kUninstallKey.path, "InstallLocation",
                                 "C:\\Program Files\\Dravenholt\\Viewer");
    hostwin::RegistryCreateKey(kSettingsKey.root, kSettingsKey.path);
  }

  int Run(int bitsPerPixel = 32) {
    return RunPreflightChecks(kOwner, bitsPerPixel, &reg, &result);
  }
  static std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& entry : hostwin::MessageJournal()) texts.push_back(entry.text);
    return texts;
  }

  cReg reg;
  PreflightResult result;
};

TEST_F(PreflightTest, FreshSystemFindsEveryFolderSilently) {
  ASSERT_EQ(0, Run());
  EXPECT_TRUE(hostwin::MessageJournal().empty());
  EXPECT_EQ(0, result.closeRequested);
  EXPECT_STREQ("C:\\Users\\u\\AppData\\Roaming\\Dravenholt", result.appDataDir.GetData());
  EXPECT_STREQ("C:\\Program Files\\Dravenholt", result.defaultInstallDir.GetData());
  EXPECT_STREQ("C:\\Program Files\\Dravenholt", result.installDir.GetData());
  EXPECT_STREQ("C:\\Users\\u\\Desktop", result.desktopDir.GetData());
  EXPECT_STREQ("C:\\Users\\u\\Start Menu\\Programs", result.programsDir.GetData());
  EXPECT_STREQ("C:\\Users\\u\\Documents\\Dravenholt\\Contents", result.contentsDir.GetData());
  EXPECT_EQ(kNotInstalled, result.installState);
  EXPECT_EQ(5, hostwin::CallCount("SHGetSpecialFolderLocation"));
}

// A folder given with a closing backslash (as Wine gives My Documents) is joined with a
// single one; a Shift-JIS name whose last character ends in byte 0x5C ("表") keeps it.
TEST_F(PreflightTest, ClosingBackslashOfAShellFolderIsNotDoubled) {
  hostwin::SetSpecialFolder(CSIDL_PERSONAL, "C:\\Users\\u\\Documents\\");
  hostwin::SetSpecialFolder(CSIDL_PROGRAM_FILES, "C:\\表");
  ASSERT_EQ(0, Run());
  EXPECT_STREQ("C:\\Users\\u\\Documents\\Dravenholt\\Contents", result.contentsDir.GetData());
  EXPECT_STREQ("C:\\表\\Dravenholt", result.defaultInstallDir.GetData());
}

TEST_F(PreflightTest, SupportedSystems) {
  struct Case {
    DWORD major, minor, platform;
    int supported;
  } cases[] = {{5, 1, VER_PLATFORM_WIN32_NT, 0},      {5, 2, VER_PLATFORM_WIN32_NT, 0},
               {6, 0, VER_PLATFORM_WIN32_NT, 1},      {6, 1, VER_PLATFORM_WIN32_NT, 1},
               {10, 0, VER_PLATFORM_WIN32_NT, 1},     {4, 10, VER_PLATFORM_WIN32_WINDOWS, 0},
               {10, 0, VER_PLATFORM_WIN32_WINDOWS, 0}, {3, 1, VER_PLATFORM_WIN32s, 0},
               {1, 0, 3, 1}};
  for (const Case& c : cases) {
    hostwin::OsVersion version;
    version.major = c.major;
    version.minor = c.minor;
    version.platformId = c.platform;
    hostwin::SetOsVersion(version);
    EXPECT_EQ(c.supported, IsSupportedOs()) << c.major << "." << c.minor << " on " << c.platform;
  }
  hostwin::InjectFault({"GetVersionExA", ""});
  EXPECT_EQ(0, IsSupportedOs());
}

TEST_F(PreflightTest, WindowsXpIsToldAndClosesAfterTheRemainingChecks) {
  hostwin::OsVersion xp;
  xp.major = 5;
  xp.minor = 1;
  hostwin::SetOsVersion(xp);
  SetBrowserVersion("8.0.7601.17514");
  ASSERT_EQ(0, Run(8));
  EXPECT_EQ(1, result.closeRequested);
  const auto journal = hostwin::MessageJournal();
  ASSERT_EQ(3u, journal.size());
  EXPECT_EQ(kUnsupportedOs, journal[0].text);
  EXPECT_EQ("警告", journal[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), journal[0].flags);
  EXPECT_EQ(kOwner, journal[0].owner);
  EXPECT_EQ(kOldBrowser, journal[1].text);
  EXPECT_EQ("警告", journal[1].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), journal[1].flags);
  EXPECT_EQ(kFewColours, journal[2].text);
  // The folders were still found.
  EXPECT_STREQ("C:\\Users\\u\\Desktop", result.desktopDir.GetData());
}

TEST_F(PreflightTest, BrowserVersionsCompareAsText) {
  struct Case {
    const char* version;
    int passes;
  } cases[] = {{"9.0", 1},  {"9.0.8112.16421", 1}, {"9.11.19041.0", 1}, {"11.0.9600", 0},
               {"8.0.7601.17514", 0}, {"", 0}};
  for (const Case& c : cases) {
    SetBrowserVersion(c.version);
    EXPECT_EQ(c.passes, HasRequiredBrowser()) << c.version;
  }
}

TEST_F(PreflightTest, BrowserWithoutReadableVersionFails) {
  // The key is there, its "Version" is not.
  hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kBrowserKey, "Other", "x");
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(OpenBrowserKey(), "Version"));
  EXPECT_EQ(0, HasRequiredBrowser());
  // A good version that cannot be read.
  SetBrowserVersion("9.0");
  hostwin::InjectFault({"RegQueryValueExA", "Version"});
  EXPECT_EQ(0, HasRequiredBrowser());
  hostwin::ClearFaults();
  // A version that is no text, and one too long for the buffer.
  hostwin::RegistryWriteDword(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", 0x39393939);
  EXPECT_EQ(0, HasRequiredBrowser());
  SetBrowserVersion("9." + std::string(300, '9'));
  EXPECT_EQ(0, HasRequiredBrowser());
  for (HKEY key : openKeys) RegCloseKey(key);
  openKeys.clear();
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
}

TEST_F(PreflightTest, MissingBrowserKeyShowsTheBrowserMessageAndCloses) {
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, kBrowserKey));
  EXPECT_EQ(0, HasRequiredBrowser());
  ASSERT_EQ(0, Run());
  ASSERT_EQ(1u, Texts().size());
  EXPECT_EQ(kOldBrowser, Texts()[0]);
  EXPECT_EQ(1, result.closeRequested);
}

TEST_F(PreflightTest, FewColoursOnlyWarn) {
  ASSERT_EQ(0, Run(8));
  const auto journal = hostwin::MessageJournal();
  ASSERT_EQ(1u, journal.size());
  EXPECT_EQ(kFewColours, journal[0].text);
  EXPECT_EQ("確認", journal[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), journal[0].flags);
  EXPECT_EQ(0, result.closeRequested);
  hostwin::ClearMessageJournal();
  ASSERT_EQ(0, Run(16));
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(PreflightTest, EachMissingFolderHasItsCode) {
  struct Case {
    int csidl;
    int code;
  } cases[] = {{CSIDL_APPDATA, kNoAppDataFolder},
               {CSIDL_PROGRAM_FILES, kNoProgramFilesFolder},
               {CSIDL_DESKTOPDIRECTORY, kNoDesktopFolder},
               {CSIDL_PROGRAMS, kNoProgramsFolder},
               {CSIDL_PERSONAL, kNoDocumentsFolder}};
  EXPECT_EQ(200, kNoAppDataFolder);
  EXPECT_EQ(210, kNoProgramFilesFolder);
  EXPECT_EQ(220, kNoDesktopFolder);
  EXPECT_EQ(230, kNoProgramsFolder);
  EXPECT_EQ(235, kNoDocumentsFolder);
  for (const Case& c : cases) {
    // The location fails for one folder ...
    hostwin::ClearMessageJournal();
    hostwin::InjectFault({"SHGetSpecialFolderLocation", std::to_string(c.csidl)});
    result = PreflightResult();
    EXPECT_EQ(c.code, Run()) << c.csidl;
    const auto texts = Texts();
    if (c.csidl == CSIDL_PROGRAMS) {
      ASSERT_EQ(1u, texts.size());
      EXPECT_EQ("hres", texts[0]);
      EXPECT_EQ("", hostwin::MessageJournal()[0].caption);
      EXPECT_EQ(nullptr, hostwin::MessageJournal()[0].owner);
    } else {
      EXPECT_TRUE(texts.empty()) << c.csidl;
    }
    hostwin::ClearFaults();
    // ... or its path cannot be had: no "hres" then.
    hostwin::ClearMessageJournal();
    char path[MAX_PATH];
    PIDLIST_ABSOLUTE items = nullptr;
    ASSERT_EQ(S_OK, SHGetSpecialFolderLocation(nullptr, c.csidl, &items));
    ASSERT_TRUE(SHGetPathFromIDListA(items, path));
    CoTaskMemFree(items);
    hostwin::InjectFault({"SHGetPathFromIDListA", path});
    EXPECT_EQ(c.code, Run()) << c.csidl;
    EXPECT_TRUE(Texts().empty());
    hostwin::ClearFaults();
  }
  // The folders before the failing one were kept.
  hostwin::SetSpecialFolder(CSIDL_PERSONAL, "");
  result = PreflightResult();
  ASSERT_EQ(kNoDocumentsFolder, Run());
  EXPECT_STREQ("C:\\Users\\u\\Start Menu\\Programs", result.programsDir.GetData());
}

TEST_F(PreflightTest, InstalledVersionGivesTheState) {
  struct Case {
    const char* version;
    int code;
    int state;
  } cases[] = {{"1.0.4.8219", 0, kInstalledSame},
               {"1.0.3.9999", 0, kInstalledOlder},
               {"1.0.4.8220", 0, kInstalledNewer},
               {"2.0.0.0", 0, kInstalledNewer},
               {"1.0", kVersionCompareFailed, 0}};
  EXPECT_EQ(1, kInstalledSame);
  EXPECT_EQ(2, kInstalledOlder);
  EXPECT_EQ(-1, kInstalledNewer);
  EXPECT_EQ(245, kVersionCompareFailed);
  for (const Case& c : cases) {
    RecordInstalled(c.version);
    result = PreflightResult();
    EXPECT_EQ(c.code, Run()) << c.version;
    EXPECT_EQ(c.state, result.installState) << c.version;
  }
  // An entry without its settings key is no installation.
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(kSettingsKey.root, kSettingsKey.path));
  RecordInstalled("1.0.4.8219");
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(kSettingsKey.root, kSettingsKey.path));
  result = PreflightResult();
  EXPECT_EQ(0, Run());
  EXPECT_EQ(kNotInstalled, result.installState);
}

TEST_F(PreflightTest, NoRegistryObjectIsTheLookupFailure) {
  EXPECT_EQ(240, kInstalledLookupFailed);
  EXPECT_EQ(kInstalledLookupFailed, RunPreflightChecks(kOwner, 32, nullptr, &result));
  EXPECT_STREQ("C:\\Users\\u\\Documents\\Dravenholt\\Contents", result.contentsDir.GetData());
}

}  // namespace
