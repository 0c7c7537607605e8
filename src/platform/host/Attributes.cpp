// File attributes, and the shell's existence checks built on them.
#include <cerrno>
#include <mutex>

#include "platform/host/DosAttributes.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/FileTarget.h"
#include "platform/host/Files.h"

using hostwin::FailWith;
using hostwin::FileTarget;

namespace {

// The attributes of a path, or INVALID_FILE_ATTRIBUTES with the error.
DWORD AttributesOf(LPCSTR path, DWORD* error) {
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  FileTarget target;
  if (!FileTarget::Find(path, hostwin::WinPath::Check::kPlain, &target, error))
    return INVALID_FILE_ATTRIBUTES;
  if (!target.Exists()) {
    *error = ERROR_FILE_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
  }
  if (target.IsFile() && target.path.EndsWithSeparator()) {
    *error = ERROR_PATH_NOT_FOUND;  // "file.txt\" asks for a folder
    return INVALID_FILE_ATTRIBUTES;
  }
  return hostwin::DosAttributes::Read(target.where.linuxPath, target.where.info);
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR lpFileName) {
  DWORD error = 0;
  if (hostwin::FailNow("GetFileAttributesA", lpFileName, &error))
    return FailWith(error, INVALID_FILE_ATTRIBUTES);
  DWORD attributes = AttributesOf(lpFileName, &error);
  if (attributes == INVALID_FILE_ATTRIBUTES) SetLastError(error);
  return attributes;
}

BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  DWORD error = 0;
  if (hostwin::FailNow("SetFileAttributesA", lpFileName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("SetFileAttributesA", lpFileName, &error)) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  FileTarget target;
  if (!FileTarget::Find(lpFileName, hostwin::WinPath::Check::kPlain, &target, &error))
    return FailWith(error, FALSE);
  if (!target.Exists()) return FailWith(ERROR_FILE_NOT_FOUND, FALSE);
  if (!hostwin::DosAttributes::Write(target.where.linuxPath, target.where.info, dwFileAttributes))
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL PathIsDirectoryA(LPCSTR pszPath) {
  DWORD error = 0;
  if (hostwin::FailNow("PathIsDirectoryA", pszPath, &error)) return FailWith(error, FALSE);
  if (!pszPath) return FALSE;
  DWORD attributes = AttributesOf(pszPath, &error);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FailWith(error, FALSE);
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY : FALSE;
}

BOOL PathFileExistsA(LPCSTR pszPath) {
  DWORD error = 0;
  if (hostwin::FailNow("PathFileExistsA", pszPath, &error)) return FailWith(error, FALSE);
  if (!pszPath) return FALSE;
  DWORD attributes = AttributesOf(pszPath, &error);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FailWith(error, FALSE);
  return TRUE;
}
