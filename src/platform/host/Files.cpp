// Opening, reading, writing and seeking files of the sandbox.
#include "platform/host/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>

#include "platform/host/DiskControl.h"
#include "platform/host/DosAttributes.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/FileObject.h"
#include "platform/host/FileTarget.h"
#include "platform/host/HandleTable.h"

using hostwin::FailWith;
using hostwin::FileObject;

namespace {

bool WantsWrite(DWORD access) {
  return (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

// The open file behind a handle, after the fault check every handle call makes.
std::shared_ptr<FileObject> FileFor(const char* function, HANDLE handle, DWORD* error) {
  auto file = hostwin::HandleTable::Instance().Find<FileObject>(handle);
  if (hostwin::FailNow(function, file ? file->FaultArgument().c_str() : nullptr, error))
    return nullptr;
  if (!file) *error = ERROR_INVALID_HANDLE;
  return file;
}

// The same for a call that changes the file: it is a crash point too.
std::shared_ptr<FileObject> FileForChange(const char* function, HANDLE handle, DWORD* error) {
  auto file = FileFor(function, handle, error);
  if (file && hostwin::CrashNow(function, file->FaultArgument().c_str(), error)) return nullptr;
  return file;
}

bool FileSize(const FileObject& file, LONGLONG* size) {
  struct stat info;
  if (fstat(file.fd(), &info) != 0) return false;
  *size = info.st_size;
  return true;
}

// Moves the file pointer (files lock held); false with the error when it would land
// before the start of the file.
bool MovePointer(FileObject& file, LONGLONG distance, DWORD method, LONGLONG* result,
                 DWORD* error) {
  LONGLONG base = 0;
  switch (method) {
    case FILE_BEGIN:
      break;
    case FILE_CURRENT:
      base = file.Position();
      break;
    case FILE_END:
      if (!FileSize(file, &base)) {
        *error = hostwin::Sandbox::ErrorFromErrno(errno);
        return false;
      }
      break;
    default:
      *error = ERROR_INVALID_PARAMETER;
      return false;
  }
  if (distance < 0 && base + distance < 0) {
    *error = ERROR_NEGATIVE_SEEK;
    return false;
  }
  *result = base + distance;
  return true;
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                   HANDLE) {
  DWORD error = 0;
  if (hostwin::FailNow("CreateFileA", lpFileName, &error))
    return FailWith(error, INVALID_HANDLE_VALUE);
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    return FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // Only an open for reading of an existing file changes nothing.
  if ((WantsWrite(dwDesiredAccess) || dwCreationDisposition != OPEN_EXISTING) &&
      hostwin::CrashNow("CreateFileA", lpFileName, &error))
    return FailWith(error, INVALID_HANDLE_VALUE);

  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  hostwin::FileTarget target;
  if (!hostwin::FileTarget::Find(lpFileName, hostwin::WinPath::Check::kPlain, &target, &error))
    return FailWith(error, INVALID_HANDLE_VALUE);
  if (target.IsFolder()) {
    return FailWith(dwCreationDisposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED,
                    INVALID_HANDLE_VALUE);
  }
  // A name that ends in a separator can only be a folder.
  if (target.path.EndsWithSeparator()) return FailWith(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);

  const bool writes = WantsWrite(dwDesiredAccess);
  int flags = O_CLOEXEC | (writes ? O_RDWR : O_RDONLY);
  DWORD successError = ERROR_SUCCESS;
  const std::string& linuxPath = target.where.linuxPath;
  if (target.Exists()) {
    const struct stat& info = target.where.info;
    if (dwCreationDisposition == CREATE_NEW)
      return FailWith(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
    const bool truncates =
        dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
    if (dwCreationDisposition == TRUNCATE_EXISTING && !writes)
      return FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    if (hostwin::DosAttributes::IsReadOnly(info) && (writes || truncates))
      return FailWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    if (FileObject::OpenWouldConflict(info.st_dev, info.st_ino, dwDesiredAccess, dwShareMode))
      return FailWith(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
    if (truncates) flags |= O_TRUNC;
    if (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
      successError = ERROR_ALREADY_EXISTS;
  } else {
    if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING)
      return FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    flags |= O_CREAT | O_EXCL;
  }

  int fd = open(linuxPath.c_str(), flags, 0666);
  if (fd < 0) return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
  struct stat info;
  if (fstat(fd, &info) != 0) {
    error = hostwin::Sandbox::ErrorFromErrno(errno);
    close(fd);
    return FailWith(error, INVALID_HANDLE_VALUE);
  }
  // A new file takes the attributes asked for (and the archive bit, as NTFS gives every
  // new file); a read-only one still accepts writes through this first handle.
  const DWORD asked = dwFlagsAndAttributes &
                      (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (!target.Exists() && asked)
    hostwin::DosAttributes::Write(linuxPath, info, asked | FILE_ATTRIBUTE_ARCHIVE);

  auto file = std::make_shared<FileObject>(fd, dwDesiredAccess, dwShareMode, lpFileName, linuxPath,
                                           info.st_dev, info.st_ino);
  file->Register();
  HANDLE handle = hostwin::HandleTable::Instance().Add(file);
  SetLastError(successError);
  return handle;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
              LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  DWORD error = 0;
  auto file = FileFor("ReadFile", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  if (lpOverlapped) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
  if (!lpBuffer && nNumberOfBytesToRead) return FailWith(ERROR_NOACCESS, FALSE);

  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!file->CanRead()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  DWORD done = 0;
  auto* bytes = static_cast<char*>(lpBuffer);
  while (done < nNumberOfBytesToRead) {
    ssize_t n = pread(file->fd(), bytes + done, nNumberOfBytesToRead - done, file->Position());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FailWith(ERROR_READ_FAULT, FALSE);
    if (n == 0) break;  // end of file: success with fewer bytes
    done += static_cast<DWORD>(n);
    file->Position() += n;
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  DWORD error = 0;
  auto file = FileForChange("WriteFile", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  if (lpOverlapped) return FailWith(ERROR_INVALID_PARAMETER, FALSE);
  if (!lpBuffer && nNumberOfBytesToWrite) return FailWith(ERROR_NOACCESS, FALSE);

  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!file->CanWrite()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  DWORD done = 0;
  const auto* bytes = static_cast<const char*>(lpBuffer);
  // A disk a test lets fill up stores what fits, then reports itself full.
  const DWORD room = hostwin::TakeWriteRoom(nNumberOfBytesToWrite);
  while (done < room) {
    ssize_t n = pwrite(file->fd(), bytes + done, room - done, file->Position());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return FailWith(
          n < 0 && errno != EIO ? hostwin::Sandbox::ErrorFromErrno(errno) : ERROR_WRITE_FAULT,
          FALSE);
    }
    done += static_cast<DWORD>(n);
    file->Position() += n;
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  if (room < nNumberOfBytesToWrite) return FailWith(ERROR_DISK_FULL, FALSE);
  return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                     DWORD dwMoveMethod) {
  DWORD error = 0;
  auto file = FileFor("SetFilePointer", hFile, &error);
  if (!file) return FailWith(error, INVALID_SET_FILE_POINTER);
  // With a high part the two form one signed 64-bit distance; without, the low part
  // alone is signed.
  LONGLONG distance =
      lpDistanceToMoveHigh
          ? static_cast<LONGLONG>(
                (static_cast<ULONGLONG>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                static_cast<DWORD>(lDistanceToMove))
          : static_cast<LONGLONG>(lDistanceToMove);

  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, INVALID_SET_FILE_POINTER);
  LONGLONG position = 0;
  if (!MovePointer(*file, distance, dwMoveMethod, &position, &error))
    return FailWith(error, INVALID_SET_FILE_POINTER);
  // Without a high part the new position must fit the 32-bit answer.
  if (!lpDistanceToMoveHigh && position > static_cast<LONGLONG>(0xFFFFFFFFu))
    return FailWith(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  file->Position() = position;
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
  DWORD low = static_cast<DWORD>(position);
  // The low part can be 0xFFFFFFFF on success; callers then look for NO_ERROR.
  if (low == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
  return low;
}

BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                      DWORD dwMoveMethod) {
  DWORD error = 0;
  auto file = FileFor("SetFilePointerEx", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  LONGLONG position = 0;
  if (!MovePointer(*file, liDistanceToMove.QuadPart, dwMoveMethod, &position, &error))
    return FailWith(error, FALSE);
  file->Position() = position;
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = position;
  return TRUE;
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  DWORD error = 0;
  auto file = FileFor("GetFileSize", hFile, &error);
  if (!file) return FailWith(error, INVALID_FILE_SIZE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  LONGLONG size = 0;
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  if (!FileSize(*file, &size))
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), INVALID_FILE_SIZE);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size) >> 32);
  DWORD low = static_cast<DWORD>(size);
  if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return low;
}

BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  DWORD error = 0;
  auto file = FileFor("GetFileSizeEx", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  if (!lpFileSize) return FailWith(ERROR_NOACCESS, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!FileSize(*file, &lpFileSize->QuadPart))
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile) {
  DWORD error = 0;
  auto file = FileForChange("SetEndOfFile", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!file->CanWrite()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (ftruncate(file->fd(), file->Position()) != 0)
    return FailWith(hostwin::Sandbox::ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE hFile) {
  DWORD error = 0;
  auto file = FileForChange("FlushFileBuffers", hFile, &error);
  if (!file) return FailWith(error, FALSE);
  std::lock_guard<std::mutex> guard(hostwin::Sandbox::Instance().Lock());
  if (file->fd() < 0) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!file->CanWrite()) return FailWith(ERROR_ACCESS_DENIED, FALSE);
  return TRUE;  // the sandbox is scratch space: no need to wait for the disk
}
