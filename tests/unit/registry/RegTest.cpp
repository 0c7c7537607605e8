// The registry object's initial state and the update result writer.
#include <gtest/gtest.h>

#include <string>

#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"

namespace {

using hostwin::Fault;

class RegObject : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override { hostwin::ResetAll(); }

  static std::optional<DWORD> UpdateSuccess() {
    return hostwin::RegistryReadDword(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer\\1.0",
                                      "UpdateSuccess");
  }
};

TEST_F(RegObject, NewObjectHoldsOnlyTheSetupVersion) {
  cReg reg;
  EXPECT_STREQ("1.0.4.8219", reg.setupVersion);
  for (char c : reg.installedVersion) EXPECT_EQ('\0', c);
  for (const morstd::cMorString* text :
       {&reg.installLocation, &reg.contentsDir, &reg.appDataDir, &reg.proxyName}) {
    EXPECT_EQ(0, text->GetLength());
  }
  EXPECT_EQ(0, reg.proxyEnabled);
  EXPECT_EQ(0, reg.proxyPort);
  EXPECT_EQ(0, reg.updateMode);
  EXPECT_EQ(0, reg.notInstalled);
  EXPECT_EQ(0, reg.lastError);
}

TEST_F(RegObject, FixedKeysNameTheirHives) {
  EXPECT_EQ(HKEY_CURRENT_USER, kSettingsKey.root);
  EXPECT_STREQ("Software\\Dravenholt\\Viewer\\1.0", kSettingsKey.path);
  EXPECT_EQ(HKEY_LOCAL_MACHINE, kUninstallKey.root);
  EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer",
               kUninstallKey.path);
  EXPECT_EQ(HKEY_CURRENT_USER, kBrowserEmulationKey.root);
  EXPECT_STREQ(
      "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION",
      kBrowserEmulationKey.path);
  EXPECT_EQ(HKEY_CURRENT_USER, kInternetSettingsKey.root);
  EXPECT_STREQ("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
               kInternetSettingsKey.path);
}

TEST_F(RegObject, UpdateResultCreatesTheMissingSettingsKey) {
  WriteUpdateResult(999);
  EXPECT_EQ(
      "HKEY_CURRENT_USER\n"
      "HKEY_CURRENT_USER\\Software\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\\Viewer\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\\Viewer\\1.0\n"
      "  \"UpdateSuccess\" REG_DWORD 999\n"
      "HKEY_LOCAL_MACHINE\n",
      hostwin::RegistrySnapshot());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
}

TEST_F(RegObject, UpdateResultOverwritesAndLeavesOtherSettings) {
  ASSERT_TRUE(
      hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kSettingsKey.path, "UpdateSuccess", 1));
  ASSERT_TRUE(
      hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettingsKey.path, "Version", "1.0.3.9999"));
  WriteUpdateResult(0);
  EXPECT_EQ(std::optional<DWORD>(0), UpdateSuccess());
  EXPECT_EQ(std::optional<std::string>("1.0.3.9999"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettingsKey.path, "Version"));
  // The value is signed: -1 is stored as its 32-bit pattern.
  WriteUpdateResult(-1);
  EXPECT_EQ(std::optional<DWORD>(0xFFFFFFFFu), UpdateSuccess());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
}

TEST_F(RegObject, UpdateResultFailsSilentlyWithoutChangeOrLeak) {
  ASSERT_TRUE(
      hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kSettingsKey.path, "UpdateSuccess", 1));
  const std::string before = hostwin::RegistrySnapshot();

  hostwin::InjectFault(Fault{"RegCreateKeyExA", kSettingsKey.path, 1, ERROR_ACCESS_DENIED});
  WriteUpdateResult(999);
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(0, hostwin::CallCount("RegSetValueExA"));

  hostwin::InjectFault(Fault{"RegSetValueExA", "UpdateSuccess", 0, ERROR_WRITE_FAULT});
  WriteUpdateResult(999);
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(1, hostwin::CallCount("RegSetValueExA"));
}

}  // namespace
