// What a files-and-folders call works on: the caller's path, parsed against the
// current folder and found in the sandbox. Shared by every such call so they all
// refuse bad paths with the same Win32 errors.
#pragma once

#include "platform/host/Sandbox.h"
#include "platform/host/WinPath.h"

namespace hostwin {

struct FileTarget {
  WinPath path;
  Location where;

  bool Exists() const { return where.kind != Location::Kind::kMissing; }
  bool IsFile() const { return where.kind == Location::Kind::kFile; }
  bool IsFolder() const { return where.kind == Location::Kind::kFolder; }
  // The Linux path of the folder that holds the target.
  std::string LinuxFolder() const;

  // Needs the files lock held. Fails with the parse errors of WinPath,
  // ERROR_PATH_NOT_FOUND when the folder of the target is missing (or a file), and
  // tooLongError when the full path has maxLength characters or more.
  static bool Find(const char* text, WinPath::Check check, FileTarget* out, DWORD* error,
                   size_t maxLength = MAX_PATH, DWORD tooLongError = ERROR_PATH_NOT_FOUND);
};

}  // namespace hostwin
