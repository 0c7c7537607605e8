// An open file behind a handle from CreateFileA. The open files are also what the
// sharing rules look at: a second open, a delete or a move of a file that is open
// must respect the share modes of the opens before it, as on Windows.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/host/HostObject.h"

namespace hostwin {

class FileObject : public HostObject {
 public:
  FileObject(int fd, DWORD access, DWORD share, std::string callerPath, std::string linuxPath,
             dev_t device, ino_t inode);
  ~FileObject() override;

  // Both need the files lock held (Sandbox::Lock).
  void Register();
  void Close() override;
  std::string FaultArgument() const override { return callerPath_; }

  // Calls on the object need the files lock held; fd() is -1 once closed.
  int fd() const { return fd_; }
  bool CanRead() const { return canRead_; }
  bool CanWrite() const { return canWrite_; }
  LONGLONG& Position() { return position_; }

  // Sharing checks over every open file (files lock held).
  static bool OpenWouldConflict(dev_t device, ino_t inode, DWORD access, DWORD share);
  static bool OpenWithoutShare(dev_t device, ino_t inode, DWORD shareFlag);
  static bool AnyOpenUnder(const std::string& linuxFolder);

 private:
  int fd_;
  bool canRead_;
  bool canWrite_;
  DWORD share_;
  std::string callerPath_;
  std::string linuxPath_;
  dev_t device_;
  ino_t inode_;
  LONGLONG position_ = 0;
  bool registered_ = false;
};

}  // namespace hostwin
