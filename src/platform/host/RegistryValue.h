// One value of the host registry: its name as first written, its type and its bytes
// exactly as stored (a string's terminating NUL included).
#pragma once

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

struct RegistryValue {
  std::string name;
  DWORD type = 0;
  std::string data;

  bool operator==(const RegistryValue& other) const {
    return name == other.name && type == other.type && data == other.data;
  }
  bool operator!=(const RegistryValue& other) const { return !(*this == other); }
};

}  // namespace hostwin
