// The files sandbox: a Linux folder that stands for the machine's drives, and the
// lookup of Windows paths in it. Names of existing files and folders are found without
// regard to ASCII case (as on NTFS); new ones are stored as the caller wrote them.
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <string>

#include "platform/host/WinPath.h"

namespace hostwin {

struct Location {
  enum class Kind { kMissing, kFile, kFolder };
  std::string linuxPath;
  Kind kind = Kind::kMissing;
  bool parentIsFolder = false;  // every name but the last exists as a folder
  struct stat info {};          // valid when the path exists
};

class Sandbox {
 public:
  static Sandbox& Instance();

  // Every files-and-folders call holds this lock: callers' workers run on a thread of
  // their own while tests inspect the sandbox.
  std::mutex& Lock() { return lock_; }

  // The functions below expect the lock to be held.
  const std::string& Root();
  void UseRoot(const std::string& linuxDir);
  // Drops the current root (removing it when the layer made it); the next call makes
  // a fresh one. The current folder goes back to C:\.
  void Renew();

  const WinPath& CurrentFolder() const { return current_; }
  void SetCurrentFolder(const WinPath& folder) { current_ = folder; }

  Location Locate(const WinPath& path);

  // The Win32 error for a failed Linux call.
  static DWORD ErrorFromErrno(int error);

 private:
  Sandbox() = default;
  ~Sandbox();

  std::mutex lock_;
  std::string base_;  // this process's folder that holds the roots the layer makes
  std::string root_;
  bool ownsRoot_ = false;
  int rootsMade_ = 0;
  WinPath current_ = WinPath::Root('C');
};

}  // namespace hostwin
