// Test controls of the special folders: which Windows path each CSIDL stands for.
#pragma once

#include <string>

namespace hostwin {

// From now on SHGetSpecialFolderLocation(csidl) succeeds with `path` (any CSIDL; the
// CSIDL_FLAG_* bits are ignored); an empty path unsets it again, so that the call
// fails. Every folder is unset at start and after ResetAll.
void SetSpecialFolder(int csidl, const std::string& path);

}  // namespace hostwin
