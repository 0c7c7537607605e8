// The version comparison that decides between a fresh installation, an
// over-installation and an update.
#include <cstdlib>
#include <cstring>

#include "registry/Reg.h"

namespace {

// The longest number the first three places and the fourth place may hold.
constexpr int kMaxLeadingDigits = 7;
constexpr int kMaxLastDigits = 8;

constexpr int kInstalledUnparsable = 200;
constexpr int kSetupUnparsable = 205;

}  // namespace

int cReg::ParseVersion(const char* text, int32_t numbers[4]) {
  if (!text) return 0;
  char part[kMaxLastDigits + 1];
  const char* at = text;
  for (int i = 0; i < 3; ++i) {
    const char* dot = std::strchr(at, '.');
    if (!dot || dot - at > kMaxLeadingDigits) return 0;
    std::memset(part, 0, sizeof part);
    std::memcpy(part, at, dot - at);
    numbers[i] = std::atoi(part);
    at = dot + 1;
  }
  // Whatever follows a fourth dot stops the conversion, so "1.0.4.8219.1" reads as
  // 1.0.4.8219.
  if (std::strlen(at) > kMaxLastDigits) return 0;
  numbers[3] = std::atoi(at);
  return 1;
}

int cReg::CompareVersions() {
  lastError = 0;
  int32_t installed[4];
  int32_t setup[4];
  if (!ParseVersion(installedVersion, installed)) {
    lastError = kInstalledUnparsable;
    return -1;
  }
  if (!ParseVersion(setupVersion, setup)) {
    lastError = kSetupUnparsable;
    return -1;
  }
  for (int i = 0; i < 4; ++i) {
    if (installed[i] < setup[i]) return 2;
    if (installed[i] > setup[i]) return 0;
  }
  return 1;
}
