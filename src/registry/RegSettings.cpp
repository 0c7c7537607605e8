// The writers of a fresh installation: the settings key, the content servers, the
// proxy copied from the system, the uninstall entry and the browser-emulation value.
// Each shows every failed step and goes on, so that one bad value does not keep the
// others from being written.
#include <cstdlib>
#include <cstring>

#include "registry/ContentServers.h"
#include "registry/FixedKeys.h"
#include "registry/Reg.h"
#include "registry/RegKey.h"
#include "registry/RegValueIo.h"
#include "registry/UninstallValues.h"

namespace {

constexpr char kSavingError[] = "Regstry saving error ";
constexpr char kAppDataDirError[] = "Regstry saving error AppDataDir";
constexpr char kContentsDirError[] = "Regstry saving error ContentsDir";
constexpr char kBrowserEmulationError[] = "Regstry saving error IEControll Version";
constexpr char kInternetInfoError[] = "Regstry saving error(SaveInternetInfo) ";
constexpr char kProxySettingError[] = "Regstry saving error(SaveProxySetting) ";
constexpr char kUninstInfoError[] = "Regstry saving error UninstInfo";

// Makes the viewer's embedded browser control render in Internet Explorer 9
// standards mode.
constexpr char kBrowserEmulationValue[] = "DHViewer.exe";
constexpr DWORD kInternetExplorer9 = 9000;

// The content paths on the servers.
constexpr char kThumbnailUrl[] = "/S1Contents/ThumbNail";
constexpr char kAdditionalInfoUrl[] = "/S1Contents/AdditionalInfo";
constexpr char kContentsUrl[] = "/S3Contents";

// The system's proxy: on, and "host:port" or per protocol "http=host:port;https=...".
constexpr char kProxyEnable[] = "ProxyEnable";
constexpr char kProxyServer[] = "ProxyServer";
constexpr char kHttpEntry[] = "http=";
constexpr DWORD kProxyServerCapacity = 256;

}  // namespace

int cReg::SaveAll(const char* appDataFolder, const char* installFolder,
                  const char* contentsFolder) {
  const int settings = SaveSettings(appDataFolder, contentsFolder);
  const int uninstall = SaveUninstInfo(installFolder);
  ReadProxySetting();  // the viewer works without a proxy when there is none to copy
  if (!SaveInternetInfo()) return 0;
  return settings && uninstall ? 1 : 0;
}

int cReg::SaveSettings(const char* appDataFolder, const char* contentsFolder) {
  int result = 1;
  {
    cRegKey settings;
    if (regio::CreateKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) {
      regio::ShowSavingError(kSavingError);
      result = 0;
    } else {
      if (regio::WriteText(settings.Get(), "AppDataDir", appDataFolder) != ERROR_SUCCESS) {
        regio::ShowSavingError(kAppDataDirError);
        result = 0;
      }
      if (contentsFolder && *contentsFolder &&
          regio::WriteText(settings.Get(), "ContentsDir", contentsFolder) != ERROR_SUCCESS) {
        regio::ShowSavingError(kContentsDirError);
        result = 0;
      }
    }
  }
  cRegKey emulation;
  if (regio::CreateKey(kBrowserEmulationKey, KEY_ALL_ACCESS, emulation.Receive()) !=
      ERROR_SUCCESS) {
    regio::ShowSavingError(kSavingError);
    return 0;
  }
  if (regio::WriteDword(emulation.Get(), kBrowserEmulationValue, kInternetExplorer9) !=
      ERROR_SUCCESS) {
    regio::ShowSavingError(kBrowserEmulationError);
    return 0;
  }
  return result;
}

int cReg::SaveInternetInfo() {
  cRegKey settings;
  if (regio::CreateKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) {
    regio::ShowSavingError(kInternetInfoError);
    return 0;
  }
  const char* const values[][2] = {
      {"Server1", kContentServer1}, {"Server2", kContentServer2},  {"Server3", kContentServer2},
      {"TNUrl", kThumbnailUrl},     {"AIUrl", kAdditionalInfoUrl}, {"ContentsUrl", kContentsUrl},
  };
  int result = 1;
  for (const auto& value : values) {
    if (regio::WriteText(settings.Get(), value[0], value[1]) != ERROR_SUCCESS) result = 0;
  }
  return result;
}

int cReg::ReadProxySetting() {
  cRegKey system;
  if (regio::OpenKey(kInternetSettingsKey, KEY_READ, system.Receive()) != ERROR_SUCCESS) return 0;

  DWORD enable = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof enable;
  const bool enabled = RegQueryValueExA(system.Get(), kProxyEnable, nullptr, &type,
                                        reinterpret_cast<BYTE*>(&enable), &size) == ERROR_SUCCESS &&
                       type == REG_DWORD && enable != 0;

  char server[kProxyServerCapacity + 1];
  if (!regio::ReadText(system.Get(), kProxyServer, server, kProxyServerCapacity)) {
    proxyEnabled = 0;
  } else {
    char* host = std::strstr(server, kHttpEntry);
    host = host ? host + lstrlenA(kHttpEntry) : server;
    // The colon is looked for only within this entry: in "http=host;https=other:443"
    // the http proxy has no port of its own, and the https one's must not be taken.
    char* entryEnd = std::strchr(host, ';');
    if (entryEnd) *entryEnd = '\0';
    char* colon = std::strchr(host, ':');
    if (colon) {
      *colon = '\0';
      proxyName.Assign(host);
      proxyPort = std::atoi(colon + 1);
    }
    proxyEnabled = enabled ? 1 : 0;
  }
  system.Close();
  SaveProxySetting();  // a failure there has shown its message already
  return 1;
}

int cReg::SaveProxySetting() {
  cRegKey settings;
  if (regio::CreateKey(kSettingsKey, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS) {
    regio::ShowSavingError(kProxySettingError);
    return 0;
  }
  const char* name = proxyName.GetData() ? proxyName.GetData() : "";
  int result = 1;
  if (regio::WriteDword(settings.Get(), "fProxy", proxyEnabled ? 1 : 0) != ERROR_SUCCESS)
    result = 0;
  if (regio::WriteDword(settings.Get(), "ProxyPort", static_cast<DWORD>(proxyPort)) !=
      ERROR_SUCCESS) {
    result = 0;
  }
  if (regio::WriteText(settings.Get(), "ProxyName", name) != ERROR_SUCCESS) result = 0;
  if (regio::WriteText(settings.Get(), "ProxyID", "") != ERROR_SUCCESS) result = 0;
  if (regio::WriteText(settings.Get(), "ProxyPass", "") != ERROR_SUCCESS) result = 0;
  return result;
}

int cReg::SaveUninstInfo(const char* installFolder) {
  cRegKey entry;
  if (regio::CreateKey(kUninstallKey, KEY_ALL_ACCESS, entry.Receive()) != ERROR_SUCCESS) {
    regio::ShowSavingError(kUninstInfoError);
    return 0;
  }
  const cUninstallValues values(installFolder, kSetupVersion);
  int result = 1;
  for (int i = 0; i < cUninstallValues::kCount; ++i) {
    if (regio::WriteText(entry.Get(), values.Name(i), values.Text(i)) != ERROR_SUCCESS) {
      morstd::cMorString message;
      message.Format("%s%s", kSavingError, values.Name(i));
      regio::ShowSavingError(message.GetData());
      result = 0;
    }
  }
  return result;
}
