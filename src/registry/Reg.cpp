#include "registry/Reg.h"

#include <cstring>

#include "registry/FixedKeys.h"

namespace {
constexpr char kUpdateSuccessValue[] = "UpdateSuccess";
}  // namespace

cReg::cReg() : proxyEnabled(0), proxyPort(0), updateMode(0), notInstalled(0), lastError(0) {
  std::memset(installedVersion, 0, sizeof installedVersion);
  std::memset(setupVersion, 0, sizeof setupVersion);
  lstrcpynA(setupVersion, kSetupVersion, sizeof setupVersion);
}

cReg::~cReg() = default;

void WriteUpdateResult(int32_t value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(kSettingsKey.root, kSettingsKey.path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD data = static_cast<DWORD>(value);
  RegSetValueExA(key, kUpdateSuccessValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                 sizeof data);
  RegCloseKey(key);
}
