// Reading a shortcut (.lnk) back through the shell link object, as Explorer would.
#pragma once

#include <string>

namespace e2e {

// The link's target and working folder; false when it cannot be loaded.
bool ReadShellLink(const std::string& linkPath, std::string* target, std::string* workDir);

}  // namespace e2e
