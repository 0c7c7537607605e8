// Deleting, moving and copying files of the sandbox.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

#include "platform/host/DosAttributes.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/FileObject.h"
#include "platform/host/FileTarget.h"
#include "platform/host/Files.h"

using hostwin::FailWith;
using hostwin::FileObject;
using hostwin::FileTarget;

namespace {

constexpr size_t kCopyChunk = 64 * 1024;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Copies the bytes, permissions (read-only), DOS attributes and write time of an
// existing file, as CopyFile does; false with the error on failure.
bool CopyContents(const std::string& from, const struct stat& info, const std::string& to,
                  DWORD* error) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = hostwin::Sandbox::ErrorFromErrno(errno);
    return false;
  }
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    *error = hostwin::Sandbox::ErrorFromErrno(errno);
    close(in);
    return false;
  }
  std::vector<char> buffer(kCopyChunk);
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = write(out, buffer.data() + done, n - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0)
        ok = false;
      else
        done += w;
    }
    if (!ok) break;
  }
  if (!ok) *error = errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
  if (ok) {
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    futimens(out, times);
    hostwin::DosAttributes::Copy(from, info, out);
  }
  close(in);
  close(out);
  return ok;
}

}  // namespace

BOOL DeleteFileA(LPCSTR lpFileName) {
  DWORD error = 0;
  if (hostwin::FailNow("DeleteFileA", lpFileName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("DeleteFileA", lpFileName, &error)) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  FileTarget target;
  if (!FileTarget::Find(lpFileName, hostwin::WinPath::Check::kPlain, &target, &error))
    return FailWith(error, FALSE);
  if (!target.Exists()) return FailWith(ERROR_FILE_NOT_FOUND, FALSE);
  if (target.IsFolder()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (target.path.EndsWithSeparator()) return FailWith(ERROR_INVALID_NAME, FALSE);
  const struct stat& info = target.where.info;
  if (hostwin::DosAttributes::IsReadOnly(info)) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (FileObject::OpenWithoutShare(info.st_dev, info.st_ino, FILE_SHARE_DELETE))
    return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (unlink(target.where.linuxPath.c_str()) != 0)
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

namespace {

// MoveFileA and MoveFileExA: a rename inside the sandbox. With MOVEFILE_REPLACE_EXISTING
// a file may take the place of another file (never of a folder); the rename replaces
// it in one step, so at every moment one of the two is under the name.
BOOL MoveOne(const char* function, LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD flags) {
  DWORD error = 0;
  if (hostwin::FailNow(function, lpExistingFileName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow(function, lpExistingFileName, &error)) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  FileTarget from, to;
  if (!FileTarget::Find(lpExistingFileName, hostwin::WinPath::Check::kPlain, &from, &error))
    return FailWith(error, FALSE);
  if (!from.Exists()) return FailWith(ERROR_FILE_NOT_FOUND, FALSE);
  if (from.path.IsRoot()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (!FileTarget::Find(lpNewFileName, hostwin::WinPath::Check::kPlain, &to, &error))
    return FailWith(error, FALSE);
  if (to.path.IsRoot()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  // Renaming to the same name in another case is a rename, not a collision.
  const bool sameEntry = to.Exists() && SameFile(to.where.info, from.where.info) &&
                         to.LinuxFolder() == from.LinuxFolder();
  if (to.Exists() && !sameEntry) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return FailWith(ERROR_ALREADY_EXISTS, FALSE);
    if (to.IsFolder() || from.IsFolder()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
    const struct stat& old = to.where.info;
    if (hostwin::DosAttributes::IsReadOnly(old)) return FailWith(ERROR_ACCESS_DENIED, FALSE);
    if (FileObject::OpenWithoutShare(old.st_dev, old.st_ino, FILE_SHARE_DELETE))
      return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  }

  const struct stat& info = from.where.info;
  if (from.IsFile() && FileObject::OpenWithoutShare(info.st_dev, info.st_ino, FILE_SHARE_DELETE))
    return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (from.IsFolder()) {
    // A folder cannot be renamed while a file inside is open, nor moved into itself
    // or to another drive.
    if (FileObject::AnyOpenUnder(from.where.linuxPath)) return FailWith(ERROR_ACCESS_DENIED, FALSE);
    const std::string inside = from.where.linuxPath + "/";
    if (to.where.linuxPath.compare(0, inside.size(), inside) == 0)
      return FailWith(ERROR_INVALID_PARAMETER, FALSE);
    if (to.path.Drive() != from.path.Drive()) return FailWith(ERROR_NOT_SAME_DEVICE, FALSE);
  }
  // The replaced file keeps the name it is stored under.
  const std::string destination = to.Exists() && !sameEntry
                                      ? to.where.linuxPath
                                      : to.LinuxFolder() + "/" + to.path.Leaf();
  if (rename(from.where.linuxPath.c_str(), destination.c_str()) != 0)
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

}  // namespace

// Fault injection matches the existing name.
BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  return MoveOne("MoveFileA", lpExistingFileName, lpNewFileName, 0);
}

// Replacing and writing through only; the sandbox has nothing to wait for, and moves
// that copy or wait for a restart are not the layer's.
BOOL MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  if (dwFlags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return FailWith(ERROR_INVALID_PARAMETER, FALSE);
  return MoveOne("MoveFileExA", lpExistingFileName, lpNewFileName, dwFlags);
}

// Fault injection matches the existing name.
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  DWORD error = 0;
  if (hostwin::FailNow("CopyFileA", lpExistingFileName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("CopyFileA", lpExistingFileName, &error)) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  FileTarget from, to;
  if (!FileTarget::Find(lpExistingFileName, hostwin::WinPath::Check::kPlain, &from, &error))
    return FailWith(error, FALSE);
  if (!from.Exists()) return FailWith(ERROR_FILE_NOT_FOUND, FALSE);
  if (from.IsFolder()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  const struct stat& info = from.where.info;
  if (FileObject::OpenWouldConflict(info.st_dev, info.st_ino, GENERIC_READ, FILE_SHARE_READ))
    return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (!FileTarget::Find(lpNewFileName, hostwin::WinPath::Check::kPlain, &to, &error))
    return FailWith(error, FALSE);
  if (to.IsFolder()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (to.Exists()) {
    const struct stat& old = to.where.info;
    if (bFailIfExists) return FailWith(ERROR_FILE_EXISTS, FALSE);
    if (SameFile(old, info)) return FailWith(ERROR_SHARING_VIOLATION, FALSE);
    if (hostwin::DosAttributes::IsReadOnly(old)) return FailWith(ERROR_ACCESS_DENIED, FALSE);
    if (FileObject::OpenWouldConflict(old.st_dev, old.st_ino, GENERIC_WRITE, 0))
      return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  }
  if (!CopyContents(from.where.linuxPath, info, to.where.linuxPath, &error))
    return FailWith(error, FALSE);
  return TRUE;
}
