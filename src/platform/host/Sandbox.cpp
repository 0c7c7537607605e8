#include "platform/host/Sandbox.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/host/Faults.h"
#include "platform/host/NameMatch.h"
#include "platform/host/SandboxControl.h"

namespace hostwin {
namespace {

const char kFirstDrive[] = "C";

const bool registered = (RegisterReset([] {
                           Sandbox& sandbox = Sandbox::Instance();
                           std::lock_guard<std::mutex> guard(sandbox.Lock());
                           sandbox.Renew();
                         }),
                         true);

// The environment cannot give us a folder to work in: nothing sensible can follow.
[[noreturn]] void Fatal(const std::string& what) {
  std::fprintf(stderr, "host Win32 layer: %s\n", what.c_str());
  std::abort();
}

void MakeFolders(const std::string& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) Fatal("cannot create " + path + ": " + error.message());
}

// The stored name of an entry of folder that is the same name as wanted, or "".
std::string FindEntry(const std::string& folder, const std::string& wanted) {
  struct stat info;
  if (lstat((folder + "/" + wanted).c_str(), &info) == 0) return wanted;
  std::string found;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (NameMatch::Same(name, wanted)) {
        found = name;
        break;
      }
    }
    closedir(dir);
  }
  return found;
}

}  // namespace

Sandbox& Sandbox::Instance() {
  static Sandbox sandbox;
  return sandbox;
}

Sandbox::~Sandbox() {
  if (base_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(base_, ignored);
}

const std::string& Sandbox::Root() {
  if (!root_.empty()) return root_;
  if (base_.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/hostwin-XXXXXX";
    if (!mkdtemp(&pattern[0])) Fatal("cannot create a folder like " + pattern);
    base_ = pattern;
  }
  root_ = base_ + "/sandbox" + std::to_string(++rootsMade_);
  ownsRoot_ = true;
  MakeFolders(root_ + "/" + kFirstDrive);
  return root_;
}

void Sandbox::UseRoot(const std::string& linuxDir) {
  Renew();
  MakeFolders(linuxDir + "/" + kFirstDrive);
  root_ = linuxDir;
  ownsRoot_ = false;
}

void Sandbox::Renew() {
  if (ownsRoot_ && !root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  root_.clear();
  ownsRoot_ = false;
  current_ = WinPath::Root('C');
}

Location Sandbox::Locate(const WinPath& path) {
  Location where;
  where.linuxPath = Root() + "/" + std::string(1, path.Drive());
  bool folderExists =
      lstat(where.linuxPath.c_str(), &where.info) == 0 && S_ISDIR(where.info.st_mode);
  if (path.IsRoot()) {
    where.kind = folderExists ? Location::Kind::kFolder : Location::Kind::kMissing;
    return where;
  }
  const auto& names = path.Names();
  for (size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    std::string stored = folderExists ? FindEntry(where.linuxPath, names[i]) : std::string();
    where.linuxPath += "/" + (stored.empty() ? names[i] : stored);
    if (last) where.parentIsFolder = folderExists;
    if (stored.empty()) {
      folderExists = false;
      continue;
    }
    if (lstat(where.linuxPath.c_str(), &where.info) != 0) {
      folderExists = false;
      continue;
    }
    if (last) {
      where.kind = S_ISDIR(where.info.st_mode) ? Location::Kind::kFolder : Location::Kind::kFile;
    } else {
      folderExists = S_ISDIR(where.info.st_mode);
    }
  }
  return where;
}

DWORD Sandbox::ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
      return ERROR_SHARING_VIOLATION;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EIO:
      return ERROR_WRITE_FAULT;
    default:
      return ERROR_ACCESS_DENIED;  // EACCES, EPERM, EISDIR, EINVAL, EROFS...
  }
}

// ---- test controls ----------------------------------------------------------------

std::string SandboxRoot() {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  return sandbox.Root();
}

void SetSandboxRoot(const std::string& linuxDir) {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  sandbox.UseRoot(linuxDir);
}

std::string FreshSandbox() {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  sandbox.Renew();
  return sandbox.Root();
}

std::string SandboxPath(const char* winPath) {
  Sandbox& sandbox = Sandbox::Instance();
  std::lock_guard<std::mutex> guard(sandbox.Lock());
  WinPath path;
  DWORD error = 0;
  if (!WinPath::Parse(winPath, sandbox.CurrentFolder(), WinPath::Check::kPatternLeaf, &path,
                      &error))
    return std::string();
  return sandbox.Locate(path).linuxPath;
}

}  // namespace hostwin
