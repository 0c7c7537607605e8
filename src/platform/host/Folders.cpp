// Creating and removing folders, and the current folder that relative paths start from.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/host/DosAttributes.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/FileTarget.h"
#include "platform/host/Files.h"

using hostwin::FailWith;
using hostwin::FileTarget;
using hostwin::Sandbox;

namespace {

// The narrow CreateDirectory leaves room for an 8.3 file name below the new folder.
constexpr size_t kFolderPathLimit = MAX_PATH - 12;

// Copies text out the way GetCurrentDirectoryA and GetFullPathNameA do: the length
// without terminator when it fits, else the buffer size needed.
DWORD CopyOut(const std::string& text, DWORD size, LPSTR buffer) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

bool IsSameOrInside(const std::string& linuxPath, const std::string& folder) {
  return linuxPath == folder || linuxPath.compare(0, folder.size() + 1, folder + "/") == 0;
}

// An existing folder named by path, for the calls that act on one (the caller holds
// the sandbox lock); false with the error Win32 gives otherwise.
bool FindExistingFolder(LPCSTR path, FileTarget* target, DWORD* error) {
  if (!FileTarget::Find(path, hostwin::WinPath::Check::kPlain, target, error)) return false;
  if (!target->Exists()) {
    *error = ERROR_FILE_NOT_FOUND;
    return false;
  }
  if (target->IsFile()) {
    *error = ERROR_DIRECTORY;
    return false;
  }
  return true;
}

}  // namespace

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  DWORD error = 0;
  if (hostwin::FailNow("CreateDirectoryA", lpPathName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("CreateDirectoryA", lpPathName, &error)) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(Sandbox::Instance().Lock());
  FileTarget target;
  if (!FileTarget::Find(lpPathName, hostwin::WinPath::Check::kPlain, &target, &error,
                        kFolderPathLimit, ERROR_FILENAME_EXCED_RANGE))
    return FailWith(error, FALSE);
  if (target.Exists()) return FailWith(ERROR_ALREADY_EXISTS, FALSE);  // the drive root too
  if (mkdir(target.where.linuxPath.c_str(), 0777) != 0)
    return FailWith(Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName) {
  DWORD error = 0;
  if (hostwin::FailNow("RemoveDirectoryA", lpPathName, &error)) return FailWith(error, FALSE);
  if (hostwin::CrashNow("RemoveDirectoryA", lpPathName, &error)) return FailWith(error, FALSE);
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  FileTarget target;
  if (!FindExistingFolder(lpPathName, &target, &error)) return FailWith(error, FALSE);
  if (target.path.IsRoot() || hostwin::DosAttributes::IsReadOnly(target.where.info))
    return FailWith(ERROR_ACCESS_DENIED, FALSE);
  // The process holds its current folder open, so that one (and its parents) stay.
  if (IsSameOrInside(sandbox.Locate(sandbox.CurrentFolder()).linuxPath, target.where.linuxPath))
    return FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (rmdir(target.where.linuxPath.c_str()) != 0)
    return FailWith(Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  DWORD error = 0;
  if (hostwin::FailNow("GetCurrentDirectoryA", nullptr, &error)) return FailWith(error, 0u);
  std::lock_guard<std::mutex> guard(Sandbox::Instance().Lock());
  return CopyOut(Sandbox::Instance().CurrentFolder().Text(), nBufferLength, lpBuffer);
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
  DWORD error = 0;
  if (hostwin::FailNow("SetCurrentDirectoryA", lpPathName, &error)) return FailWith(error, FALSE);
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  FileTarget target;
  if (!FindExistingFolder(lpPathName, &target, &error)) return FailWith(error, FALSE);
  hostwin::WinPath folder =
      target.path.IsRoot() ? target.path : target.path.Parent().Child(target.path.Leaf());
  sandbox.SetCurrentFolder(folder);
  return TRUE;
}

DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  if (lpFilePart) *lpFilePart = nullptr;
  DWORD error = 0;
  if (hostwin::FailNow("GetFullPathNameA", lpFileName, &error)) return FailWith(error, 0u);
  hostwin::WinPath path;
  {
    std::lock_guard<std::mutex> guard(Sandbox::Instance().Lock());
    if (!hostwin::WinPath::Parse(lpFileName, Sandbox::Instance().CurrentFolder(),
                                 hostwin::WinPath::Check::kUnchecked, &path, &error))
      return FailWith(error, 0u);
  }
  const std::string text = path.Text();
  DWORD result = CopyOut(text, nBufferLength, lpBuffer);
  if (result < nBufferLength && lpFilePart && !path.IsRoot() && !path.EndsWithSeparator())
    *lpFilePart = lpBuffer + (text.size() - path.Leaf().size());
  return result;
}
