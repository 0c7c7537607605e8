#include "platform/host/Version.h"

#include <cstring>
#include <mutex>

#include "platform/host/Faults.h"
#include "platform/host/Strings.h"
#include "platform/host/VersionControl.h"

namespace hostwin {
namespace {

struct VersionState {
  std::mutex lock;
  OsVersion version;
};

VersionState& State() {
  static VersionState state;
  return state;
}

void ResetVersion() {
  std::lock_guard<std::mutex> guard(State().lock);
  State().version = OsVersion();
}

const bool registered = (RegisterReset(&ResetVersion), true);

}  // namespace

void SetOsVersion(const OsVersion& version) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().version = version;
}

}  // namespace hostwin

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  DWORD error = 0;
  if (hostwin::FailNow("GetVersionExA", nullptr, &error)) {
    SetLastError(error);
    return FALSE;
  }
  if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(hostwin::State().lock);
  const hostwin::OsVersion& v = hostwin::State().version;
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  lstrcpynA(info->szCSDVersion, v.servicePack.c_str(), sizeof info->szCSDVersion);
  return TRUE;
}
