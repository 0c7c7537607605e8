// The record of the installed viewer: the lenient and strict readers, the update's
// transacted version record and the removal, on the host registry.
#include <gtest/gtest.h>

#include <string>

#include "morstd/MorAlloc.h"
#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "registry/RegTransaction.h"

namespace {

using hostwin::Fault;

constexpr char kFolder[] = "C:\\Program Files\\Dravenholt\\Viewer";

class RegInstallRecord : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override {
    morstd::MorFailNextAllocations(0);
    EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
    EXPECT_TRUE(hostwin::MessageJournal().empty());
    hostwin::ResetAll();
  }

  // What a fresh installation of an older viewer leaves behind.
  static void Record(const std::string& version = "1.0.3.9999",
                     const std::string& location = kFolder) {
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstallKey.path,
                                             "DisplayVersion", version));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstallKey.path,
                                             "InstallLocation", location));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey.path, "AppDataDir",
                                             "D:\\AppData"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey.path, "ContentsDir",
                                             "D:\\Contents"));
  }
  static void Remove(HKEY root, const char* path, const char* name) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, name));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  }
  static void ExpectFailure(const cReg& reg, int32_t code, const char* text) {
    EXPECT_EQ(code, reg.lastError);
    ASSERT_NE(nullptr, reg.GetErrorMessage());
    EXPECT_STREQ(text, reg.GetErrorMessage());
  }
};

TEST_F(RegInstallRecord, LenientReadOfACompleteRecord) {
  Record();
  cReg reg;
  reg.contentsDir.Assign("stale");
  reg.notInstalled = 1;
  EXPECT_EQ(1, reg.ReadInstalledInfo());
  EXPECT_EQ(0, reg.notInstalled);
  EXPECT_STREQ("1.0.3.9999", reg.installedVersion);
  EXPECT_STREQ(kFolder, reg.installLocation.GetData());
  EXPECT_STREQ("", reg.contentsDir.GetData());  // only the strict reader takes it
  EXPECT_EQ(0, reg.lastError);
}

TEST_F(RegInstallRecord, LenientReadCallsAnIncompleteRecordNotInstalled) {
  const struct {
    const char* what;
    void (*spoil)();
  } cases[] = {
      {"no uninstall entry", [] { hostwin::ResetAll(); }},
      {"no DisplayVersion",
       [] { Remove(HKEY_LOCAL_MACHINE, kUninstallKey.path, "DisplayVersion"); }},
      {"DisplayVersion as a number",
       [] {
         ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_LOCAL_MACHINE, kUninstallKey.path,
                                                 "DisplayVersion", 1));
       }},
      // 32 characters do not fit the version field; cut, they could read as another
      // version, so they count as unreadable.
      {"DisplayVersion too long", [] { Record("1234567.1234567.1234567.12345678"); }},
      {"no InstallLocation",
       [] { Remove(HKEY_LOCAL_MACHINE, kUninstallKey.path, "InstallLocation"); }},
      {"InstallLocation longer than a path", [] { Record("1.0.3.9999", std::string(261, 'x')); }},
      {"no settings key",
       [] { ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey.path)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    hostwin::ResetAll();
    Record();
    c.spoil();
    cReg reg;
    EXPECT_EQ(1, reg.ReadInstalledInfo());
    EXPECT_EQ(1, reg.notInstalled);
  }

  // 31 characters fit.
  hostwin::ResetAll();
  Record("1234567.1234567.1234567.1234567");
  cReg reg;
  EXPECT_EQ(1, reg.ReadInstalledInfo());
  EXPECT_EQ(0, reg.notInstalled);
  EXPECT_STREQ("1234567.1234567.1234567.1234567", reg.installedVersion);
}

TEST_F(RegInstallRecord, LenientReadFailsOnlyWhenMemoryRunsOut) {
  Record("1.0.3.9999", std::string(200, 'p'));
  cReg reg;
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, reg.ReadInstalledInfo());
}

TEST_F(RegInstallRecord, StrictReadTakesEverything) {
  Record();
  cReg reg;
  EXPECT_EQ(1, reg.LoadInstallInfo());
  EXPECT_EQ(0, reg.lastError);
  EXPECT_STREQ("1.0.3.9999", reg.installedVersion);
  EXPECT_STREQ(kFolder, reg.installLocation.GetData());
  EXPECT_STREQ("D:\\Contents", reg.contentsDir.GetData());
  EXPECT_STREQ("D:\\AppData", reg.appDataDir.GetData());

  // "ContentsDir" is optional.
  Remove(HKEY_CURRENT_USER, kSettingsKey.path, "ContentsDir");
  EXPECT_EQ(1, reg.LoadInstallInfo());
  EXPECT_STREQ("", reg.contentsDir.GetData());
}

TEST_F(RegInstallRecord, StrictReadNamesWhatIsMissing) {
  const struct {
    int32_t code;
    const char* text;
    void (*spoil)();
  } cases[] = {
      {100, "アンインストール情報レジストリキーの取得失敗(00100)",
       [] { ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey.path)); }},
      {105, "レジストリ情報DisplayVersionの取得失敗(00105)",
       [] { Remove(HKEY_LOCAL_MACHINE, kUninstallKey.path, "DisplayVersion"); }},
      {105, "レジストリ情報DisplayVersionの取得失敗(00105)", [] { Record(std::string(32, '1')); }},
      {110, "インストール先情報の取得失敗(00105)",
       [] {
         ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_LOCAL_MACHINE, kUninstallKey.path,
                                                 "InstallLocation", 0));
       }},
      {115, "本体のレジストリキーの取得失敗(00115)",
       [] { ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey.path)); }},
      {120, "APPDATAディレクトリの取得失敗(00120)",
       [] { Remove(HKEY_CURRENT_USER, kSettingsKey.path, "AppDataDir"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    hostwin::ResetAll();
    Record();
    c.spoil();
    cReg reg;
    EXPECT_EQ(0, reg.LoadInstallInfo());
    ExpectFailure(reg, c.code, c.text);
  }

  hostwin::ResetAll();
  Record("1.0.3.9999", std::string(200, 'p'));
  cReg reg;
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, reg.LoadInstallInfo());
  ExpectFailure(reg, 99999, "レジストリ操作で例外が発生発生(99999)");
  // A later success clears the code.
  EXPECT_EQ(1, reg.LoadInstallInfo());
  EXPECT_EQ(0, reg.lastError);
  EXPECT_EQ(nullptr, reg.GetErrorMessage());
}

class RegVersionRecord : public RegInstallRecord {
 protected:
  void SetUp() override {
    RegInstallRecord::SetUp();
    Record();
    reg.installLocation.Assign("E:\\Viewer");
    before = hostwin::RegistrySnapshot();
    ASSERT_TRUE(transaction.Begin());
  }

  cReg reg;
  cRegTransaction transaction;
  std::string before;
};

TEST_F(RegVersionRecord, WritesTheEntryAndVersionInsideTheTransaction) {
  reg.lastError = 7;
  EXPECT_EQ(1, reg.SaveVersionInfo(transaction.Handle()));
  EXPECT_EQ(0, reg.lastError);
  EXPECT_EQ(before, hostwin::RegistrySnapshot());  // nothing shows before the commit
  ASSERT_TRUE(transaction.Commit());

  const struct {
    const char* name;
    const char* text;
  } entry[] = {
      {"DisplayName", "Dravenholtビューア"}, {"UninstallString", "E:\\Viewer\\Uninstall.exe"},
      {"InstallLocation", "E:\\Viewer"},     {"DisplayIcon", "E:\\Viewer\\DHViewer.exe"},
      {"DisplayVersion", "1.0.4.8219"},      {"Publisher", "Dravenholt電子メディア部"}};
  for (const auto& value : entry) {
    EXPECT_EQ(std::optional<std::string>(value.text),
              hostwin::RegistryReadString(HKEY_LOCAL_MACHINE, kUninstallKey.path, value.name))
        << value.name;
  }
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettingsKey.path, "Version"));
  EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_CURRENT_USER, kSettingsKey.path, "UpdateSuccess"));
  // The other settings are not the version record's business.
  EXPECT_EQ(std::optional<std::string>("D:\\AppData"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettingsKey.path, "AppDataDir"));
}

TEST_F(RegVersionRecord, UpdateModeRecordsTheSuccess) {
  reg.updateMode = 1;
  EXPECT_EQ(1, reg.SaveVersionInfo(transaction.Handle()));
  ASSERT_TRUE(transaction.Commit());
  EXPECT_EQ(std::optional<DWORD>(1),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey.path, "UpdateSuccess"));
}

TEST_F(RegVersionRecord, EachFailedStepHasItsCode) {
  const struct {
    Fault fault;
    int32_t code;
    const char* text;
  } cases[] = {
      {{"RegCreateKeyTransactedA", kUninstallKey.path}, 500, "アンインストール情報保存失敗(00500)"},
      {{"RegSetValueExA", "DisplayName"}, 505, "アンインストール情報保存失敗(00505)"},
      {{"RegSetValueExA", "Publisher"}, 505, "アンインストール情報保存失敗(00505)"},
      {{"RegCreateKeyTransactedA", kSettingsKey.path}, 510, "レジストリ保存失敗(00510)"},
      {{"RegSetValueExA", "Version"}, 515, "レジストリ保存失敗(00515"},
      {{"RegSetValueExA", "UpdateSuccess"}, 520, "レジストリ保存失敗(00520)"},
  };
  reg.updateMode = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    hostwin::ClearFaults();
    hostwin::InjectFault(c.fault);
    EXPECT_EQ(0, reg.SaveVersionInfo(transaction.Handle()));
    ExpectFailure(reg, c.code, c.text);
    EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  }
  hostwin::ClearFaults();
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(0, reg.SaveVersionInfo(transaction.Handle()));
  ExpectFailure(reg, 99999, "レジストリ操作で例外が発生発生(99999)");

  EXPECT_TRUE(transaction.Rollback());
  EXPECT_EQ(before, hostwin::RegistrySnapshot());

  // Without a transaction nothing is written and there is no code.
  reg.lastError = 7;
  EXPECT_EQ(0, reg.SaveVersionInfo(nullptr));
  EXPECT_EQ(0, reg.lastError);
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
}

TEST_F(RegInstallRecord, RemoveAllTakesEverythingTheInstallationWrote) {
  cReg reg;
  ASSERT_EQ(1, reg.SaveAll("A", "B", "C"));
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER,
                                         std::string(kSettingsKey.path) + "\\Sub\\Deeper"));
  EXPECT_EQ(1, reg.RemoveAll());
  EXPECT_EQ(
      "HKEY_CURRENT_USER\n"
      "HKEY_CURRENT_USER\\Software\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
      "Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION\n"
      "HKEY_LOCAL_MACHINE\n"
      "HKEY_LOCAL_MACHINE\\Software\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\n",
      hostwin::RegistrySnapshot());
  // Nothing left to remove is a failure.
  EXPECT_EQ(0, reg.RemoveAll());
  // A removal cut short after the settings key leaves its parents: the next takes them.
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer"));
  EXPECT_EQ(0, reg.RemoveAll());
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Dravenholt"));
}

TEST_F(RegInstallRecord, RemoveAllKeepsTheParentsOtherSubkeys) {
  cReg reg;
  ASSERT_EQ(1, reg.SaveAll("A", "B", "C"));
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\2.0",
                                           "Keep", "me"));
  EXPECT_EQ(0, reg.RemoveAll());
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey.path));
  EXPECT_EQ(
      std::optional<std::string>("me"),
      hostwin::RegistryReadString(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\2.0", "Keep"));
  // The other two parts still went.
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey.path));
  EXPECT_FALSE(
      hostwin::RegistryReadValue(HKEY_CURRENT_USER, kBrowserEmulationKey.path, "DHViewer.exe"));

  // Another product of the vendor keeps "Software\Dravenholt" without failing the removal.
  hostwin::ResetAll();
  ASSERT_EQ(1, reg.SaveAll("A", "B", "C"));
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\Dravenholt\\Reader"));
  EXPECT_EQ(1, reg.RemoveAll());
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Dravenholt\\Reader"));
}

}  // namespace
