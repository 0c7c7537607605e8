#include "platform/host/FileObject.h"

#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/host/Files.h"
#include "platform/host/Sandbox.h"

namespace hostwin {
namespace {

constexpr DWORD kReadRights = GENERIC_READ | GENERIC_ALL | FILE_READ_DATA;
constexpr DWORD kWriteRights = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA;

std::vector<FileObject*>& OpenFiles() {
  static std::vector<FileObject*> open;
  return open;
}

}  // namespace

FileObject::FileObject(int fd, DWORD access, DWORD share, std::string callerPath,
                       std::string linuxPath, dev_t device, ino_t inode)
    : fd_(fd),
      canRead_((access & kReadRights) != 0),
      canWrite_((access & kWriteRights) != 0),
      share_(share),
      callerPath_(std::move(callerPath)),
      linuxPath_(std::move(linuxPath)),
      device_(device),
      inode_(inode) {}

// Objects normally end through Close; this only guards the descriptor at process exit.
FileObject::~FileObject() {
  if (fd_ >= 0) ::close(fd_);
}

void FileObject::Register() {
  OpenFiles().push_back(this);
  registered_ = true;
}

void FileObject::Close() {
  std::lock_guard<std::mutex> guard(Sandbox::Instance().Lock());
  if (registered_) {
    auto& open = OpenFiles();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    registered_ = false;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FileObject::OpenWouldConflict(dev_t device, ino_t inode, DWORD access, DWORD share) {
  const bool reads = (access & kReadRights) != 0;
  const bool writes = (access & kWriteRights) != 0;
  for (const FileObject* file : OpenFiles()) {
    if (file->device_ != device || file->inode_ != inode) continue;
    if (reads && !(file->share_ & FILE_SHARE_READ)) return true;
    if (writes && !(file->share_ & FILE_SHARE_WRITE)) return true;
    if (file->canRead_ && !(share & FILE_SHARE_READ)) return true;
    if (file->canWrite_ && !(share & FILE_SHARE_WRITE)) return true;
  }
  return false;
}

bool FileObject::OpenWithoutShare(dev_t device, ino_t inode, DWORD shareFlag) {
  for (const FileObject* file : OpenFiles()) {
    if (file->device_ == device && file->inode_ == inode && !(file->share_ & shareFlag))
      return true;
  }
  return false;
}

bool FileObject::AnyOpenUnder(const std::string& linuxFolder) {
  const std::string prefix = linuxFolder + "/";
  for (const FileObject* file : OpenFiles()) {
    if (file->linuxPath_.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

}  // namespace hostwin
