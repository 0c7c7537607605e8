#include "platform/host/DosAttributes.h"

#include <sys/xattr.h>

#include <cstdint>

#include "platform/host/Files.h"

namespace hostwin {
namespace {

const char kXattr[] = "user.hostwin.dos";
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

DWORD DosAttributes::Read(const std::string& linuxPath, const struct stat& info) {
  const bool folder = S_ISDIR(info.st_mode);
  uint32_t stored = 0;
  DWORD attributes = 0;
  if (getxattr(linuxPath.c_str(), kXattr, &stored, sizeof stored) == sizeof stored) {
    attributes = stored & kStoredBits;
  } else if (!folder) {
    attributes = FILE_ATTRIBUTE_ARCHIVE;  // what NTFS gives a newly written file
  }
  if (folder) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (IsReadOnly(info)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool DosAttributes::Write(const std::string& linuxPath, const struct stat& info, DWORD attributes) {
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~kWriteBits) : (mode | S_IWUSR);
  if (chmod(linuxPath.c_str(), mode) != 0) return false;
  uint32_t stored = attributes & kStoredBits;
  // Without extended attributes the other bits cannot be kept; read-only still is.
  setxattr(linuxPath.c_str(), kXattr, &stored, sizeof stored, 0);
  return true;
}

void DosAttributes::Copy(const std::string& fromPath, const struct stat& info, int toFd) {
  fchmod(toFd, info.st_mode & 07777);
  uint32_t stored = 0;
  if (getxattr(fromPath.c_str(), kXattr, &stored, sizeof stored) == sizeof stored)
    fsetxattr(toFd, kXattr, &stored, sizeof stored, 0);
}

}  // namespace hostwin
