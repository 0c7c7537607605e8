// The DOS attributes of sandbox files. Read-only is the owner's write permission, so
// it travels with the file; hidden, system and archive live in an extended attribute
// (when the file system has none, they read as a fresh file's: archive). The layer
// enforces read-only itself, since the tests may well run as root.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/host/Types.h"

namespace hostwin {

class DosAttributes {
 public:
  static DWORD Read(const std::string& linuxPath, const struct stat& info);
  // Sets what SetFileAttributesA may set; FILE_ATTRIBUTE_NORMAL alone clears them all.
  static bool Write(const std::string& linuxPath, const struct stat& info, DWORD attributes);
  // Gives the open file toFd the attributes of the file at fromPath (CopyFileA).
  static void Copy(const std::string& fromPath, const struct stat& info, int toFd);
  static bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }
};

}  // namespace hostwin
