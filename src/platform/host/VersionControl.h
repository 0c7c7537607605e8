// Test controls of the Windows version that GetVersionExA reports.
#pragma once

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

struct OsVersion {
  DWORD major = 10;
  DWORD minor = 0;
  DWORD build = 19041;
  DWORD platformId = 2;  // VER_PLATFORM_WIN32_NT
  std::string servicePack;
};

// From now on GetVersionExA reports `version`; ResetAll returns to Windows 10.
void SetOsVersion(const OsVersion& version);

}  // namespace hostwin
