// The writers of a fresh installation and the copy of the system proxy, on the host
// registry: what they write, and the message each failed step shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"

namespace {

using hostwin::Fault;

class RegSettings : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override {
    EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
    hostwin::ResetAll();
  }

  // The texts of the message boxes shown so far, each checked for its caption and
  // buttons.
  static std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const hostwin::MessageBoxEntry& entry : hostwin::MessageJournal()) {
      EXPECT_EQ(nullptr, entry.owner);
      EXPECT_EQ("警告", entry.caption);
      EXPECT_EQ(static_cast<UINT>(MB_OK), entry.flags);
      texts.push_back(entry.text);
    }
    return texts;
  }
  static void SetSystemProxy(DWORD enable, const std::string& server) {
    ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                            "ProxyEnable", enable));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                             "ProxyServer", server));
  }
  static std::optional<std::string> Setting(const char* name) {
    return hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettingsKey.path, name);
  }
  static std::optional<DWORD> SettingNumber(const char* name) {
    return hostwin::RegistryReadDword(HKEY_CURRENT_USER, kSettingsKey.path, name);
  }
};

TEST_F(RegSettings, SaveAllWritesTheWholeFreshLayout) {
  SetSystemProxy(1, "proxy.example.net:8080");
  cReg reg;
  EXPECT_EQ(1, reg.SaveAll("C:\\Users\\u\\AppData\\Roaming\\Dravenholt\\Viewer",
                           "C:\\Program Files\\Dravenholt\\Viewer",
                           "C:\\Users\\u\\Documents\\Dravenholt\\Contents"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(
      "HKEY_CURRENT_USER\n"
      "HKEY_CURRENT_USER\\Software\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\\Viewer\n"
      "HKEY_CURRENT_USER\\Software\\Dravenholt\\Viewer\\1.0\n"
      "  \"AIUrl\" REG_SZ \"/S1Contents/AdditionalInfo\"\n"
      "  \"AppDataDir\" REG_SZ \"C:\\\\Users\\\\u\\\\AppData\\\\Roaming\\\\Dravenholt\\\\Viewer\"\n"
      "  \"ContentsDir\" REG_SZ \"C:\\\\Users\\\\u\\\\Documents\\\\Dravenholt\\\\Contents\"\n"
      "  \"ContentsUrl\" REG_SZ \"/S3Contents\"\n"
      "  \"fProxy\" REG_DWORD 1\n"
      "  \"ProxyID\" REG_SZ \"\"\n"
      "  \"ProxyName\" REG_SZ \"proxy.example.net\"\n"
      "  \"ProxyPass\" REG_SZ \"\"\n"
      "  \"ProxyPort\" REG_DWORD 8080\n"
      "  \"Server1\" REG_SZ \"contents1.example.com\"\n"
      "  \"Server2\" REG_SZ \"contents2.example.com\"\n"
      "  \"Server3\" REG_SZ \"contents2.example.com\"\n"
      "  \"TNUrl\" REG_SZ \"/S1Contents/ThumbNail\"\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet "
      "Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION\n"
      "  \"DHViewer.exe\" REG_DWORD 9000\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\n"
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\n"
      "  \"ProxyEnable\" REG_DWORD 1\n"
      "  \"ProxyServer\" REG_SZ \"proxy.example.net:8080\"\n"
      "HKEY_LOCAL_MACHINE\n"
      "HKEY_LOCAL_MACHINE\\Software\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\n"
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt "
      "Viewer\n"
      "  \"DisplayIcon\" REG_SZ \"C:\\\\Program Files\\\\Dravenholt\\\\Viewer\\\\DHViewer.exe\"\n"
      "  \"DisplayName\" REG_SZ \"Dravenholtビューア\"\n"
      "  \"DisplayVersion\" REG_SZ \"1.0.4.8219\"\n"
      "  \"InstallLocation\" REG_SZ \"C:\\\\Program Files\\\\Dravenholt\\\\Viewer\"\n"
      "  \"Publisher\" REG_SZ \"Dravenholt電子メディア部\"\n"
      "  \"UninstallString\" REG_SZ "
      "\"C:\\\\Program Files\\\\Dravenholt\\\\Viewer\\\\Uninstall.exe\"\n",
      hostwin::RegistrySnapshot());
}

TEST_F(RegSettings, WithoutSystemSettingsOrContentsFolderTheirValuesStayUnwritten) {
  cReg reg;
  EXPECT_EQ(1, reg.SaveAll("A", "B", ""));
  EXPECT_EQ(std::optional<std::string>("A"), Setting("AppDataDir"));
  EXPECT_FALSE(Setting("ContentsDir"));
  EXPECT_FALSE(SettingNumber("fProxy"));
  EXPECT_FALSE(Setting("ProxyName"));
  EXPECT_EQ(std::optional<std::string>("contents1.example.com"), Setting("Server1"));
  EXPECT_EQ(std::optional<std::string>("B"),
            hostwin::RegistryReadString(HKEY_LOCAL_MACHINE, kUninstallKey.path, "InstallLocation"));
  EXPECT_EQ(1, reg.SaveSettings("A", nullptr));
  EXPECT_FALSE(Setting("ContentsDir"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RegSettings, EveryFailedStepShowsItsMessageAndTheOthersStillGetWritten) {
  struct Case {
    Fault fault;
    std::vector<std::string> messages;
    int result;
  };
  const Case cases[] = {
      {{"RegCreateKeyExA", kSettingsKey.path, 1},
       {"Regstry saving error "},
       0},  // SaveSettings' key; the later writers create it afresh
      {{"RegSetValueExA", "AppDataDir"}, {"Regstry saving error AppDataDir"}, 0},
      {{"RegSetValueExA", "ContentsDir"}, {"Regstry saving error ContentsDir"}, 0},
      {{"RegCreateKeyExA", kBrowserEmulationKey.path}, {"Regstry saving error "}, 0},
      {{"RegSetValueExA", "DHViewer.exe"}, {"Regstry saving error IEControll Version"}, 0},
      {{"RegCreateKeyExA", kUninstallKey.path}, {"Regstry saving error UninstInfo"}, 0},
      {{"RegSetValueExA", "DisplayName"}, {"Regstry saving error DisplayName"}, 0},
      {{"RegSetValueExA", "UninstallString"}, {"Regstry saving error UninstallString"}, 0},
      {{"RegSetValueExA", "InstallLocation"}, {"Regstry saving error InstallLocation"}, 0},
      {{"RegSetValueExA", "DisplayIcon"}, {"Regstry saving error DisplayIcon"}, 0},
      {{"RegSetValueExA", "DisplayVersion"}, {"Regstry saving error DisplayVersion"}, 0},
      {{"RegSetValueExA", "Publisher"}, {"Regstry saving error Publisher"}, 0},
      // The proxy copy does not count; its writer still tells.
      {{"RegCreateKeyExA", kSettingsKey.path, 2}, {"Regstry saving error(SaveProxySetting) "}, 1},
      {{"RegSetValueExA", "ProxyName"}, {}, 1},
      {{"RegCreateKeyExA", kSettingsKey.path, 3}, {"Regstry saving error(SaveInternetInfo) "}, 0},
      {{"RegSetValueExA", "Server2"}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault.function + " " + c.fault.argument + " #" + std::to_string(c.fault.nth));
    hostwin::ResetAll();
    SetSystemProxy(0, "proxy:80");
    hostwin::InjectFault(c.fault);
    cReg reg;
    EXPECT_EQ(c.result, reg.SaveAll("A", "B", "C"));
    EXPECT_EQ(c.messages, Messages());
    // One failure keeps nothing else from being written.
    const char* const settings[] = {"AppDataDir", "ContentsDir", "ProxyName",  "Server1",
                                    "Server2",    "Server3",     "ContentsUrl"};
    for (const char* name : settings) {
      if (c.fault.argument == name || c.fault.argument == kSettingsKey.path) continue;
      EXPECT_TRUE(Setting(name)) << name;
    }
    if (c.fault.argument != kUninstallKey.path && c.fault.argument != "Publisher") {
      EXPECT_TRUE(hostwin::RegistryReadString(HKEY_LOCAL_MACHINE, kUninstallKey.path, "Publisher"));
    }
  }
}

TEST_F(RegSettings, ProxyServerForms) {
  struct Case {
    DWORD enable;
    const char* server;
    const char* name;  // proxyName afterwards; it starts as "old"
    int32_t port;      // proxyPort afterwards; it starts as 1
  };
  const Case cases[] = {
      {1, "proxy.example.net:8080", "proxy.example.net", 8080},
      {1, "ftp=f:21;http=web.example.net:3128;https=s:443", "web.example.net", 3128},
      {1, "web:3128;https=s:443", "web", 3128},
      {1, "http=web", "old", 1},              // no colon: name and port stay
      {1, "http=web;https=s:443", "old", 1},  // the https entry's port is not the http one's
      {0, "host:", "host", 0},
      {1, "host:x12", "host", 0},
      {1, "host:12abc", "host", 12},
      {7, ":99", "", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.server);
    hostwin::ResetAll();
    SetSystemProxy(c.enable, c.server);
    cReg reg;
    reg.proxyName.Assign("old");
    reg.proxyPort = 1;
    reg.proxyEnabled = 5;
    EXPECT_EQ(1, reg.ReadProxySetting());
    EXPECT_STREQ(c.name, reg.proxyName.GetData());
    EXPECT_EQ(c.port, reg.proxyPort);
    EXPECT_EQ(c.enable ? 1 : 0, reg.proxyEnabled);
    // What was copied is stored at once.
    EXPECT_EQ(std::optional<DWORD>(c.enable ? 1 : 0), SettingNumber("fProxy"));
    EXPECT_EQ(std::optional<DWORD>(static_cast<DWORD>(c.port)), SettingNumber("ProxyPort"));
    EXPECT_EQ(std::optional<std::string>(c.name), Setting("ProxyName"));
    EXPECT_EQ(std::optional<std::string>(""), Setting("ProxyID"));
    EXPECT_EQ(std::optional<std::string>(""), Setting("ProxyPass"));
  }
}

TEST_F(RegSettings, ProxyValuesOfTheWrongTypeCountAsNone) {
  cReg reg;
  // No system settings at all: nothing copied, nothing written.
  reg.proxyEnabled = 1;
  EXPECT_EQ(0, reg.ReadProxySetting());
  EXPECT_EQ(1, reg.proxyEnabled);
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey.path));

  // "ProxyEnable" as text is off; the server is still taken.
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                           "ProxyEnable", "1"));
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                           "ProxyServer", "p:81"));
  EXPECT_EQ(1, reg.ReadProxySetting());
  EXPECT_EQ(0, reg.proxyEnabled);
  EXPECT_STREQ("p", reg.proxyName.GetData());
  EXPECT_EQ(81, reg.proxyPort);

  // A server that is no text turns the proxy off and leaves name and port.
  ASSERT_TRUE(
      hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kInternetSettingsKey.path, "ProxyEnable", 1));
  ASSERT_TRUE(
      hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kInternetSettingsKey.path, "ProxyServer", 80));
  EXPECT_EQ(1, reg.ReadProxySetting());
  EXPECT_EQ(0, reg.proxyEnabled);
  EXPECT_STREQ("p", reg.proxyName.GetData());
  EXPECT_EQ(81, reg.proxyPort);

  // Nor does a server longer than the 256 bytes read, or one stored without its NUL.
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                           "ProxyServer", std::string(300, 'h') + ":1"));
  EXPECT_EQ(1, reg.ReadProxySetting());
  EXPECT_EQ(0, reg.proxyEnabled);
  EXPECT_STREQ("p", reg.proxyName.GetData());
  ASSERT_TRUE(hostwin::RegistryWriteValue(HKEY_CURRENT_USER, kInternetSettingsKey.path,
                                          "ProxyServer", REG_SZ,
                                          std::string(249, 'h') + ":123456"));
  EXPECT_EQ(1, reg.ReadProxySetting());
  EXPECT_EQ(1, reg.proxyEnabled);
  EXPECT_EQ(std::string(249, 'h'), reg.proxyName.GetData());
  EXPECT_EQ(123456, reg.proxyPort);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
