// A Windows path taken apart the way Win32 normalises it (GetFullPathName): drive,
// the folder and file names below the drive root, and whether the text ended in a
// separator. Names stay as the caller's bytes; splitting is code page 932 aware, so
// the trail byte 0x5C of a double-byte character is never taken for a backslash.
#pragma once

#include <string>
#include <vector>

#include "platform/host/Types.h"

namespace hostwin {

class WinPath {
 public:
  enum class Check {
    kPlain,        // names of files and folders: no wildcard, no reserved character
    kPatternLeaf,  // a search pattern: '*' and '?' allowed in the last name
    kUnchecked,    // text only (GetFullPathNameA checks no names)
  };

  WinPath() = default;
  static WinPath Root(char drive);

  // Parses text against the current folder. On failure returns false with the Win32
  // error: ERROR_PATH_NOT_FOUND (null or empty), ERROR_FILENAME_EXCED_RANGE (more than
  // MAX_PATH characters), ERROR_BAD_NETPATH (UNC and device paths, which the layer has
  // not), ERROR_INVALID_NAME (reserved characters).
  static bool Parse(const char* text, const WinPath& current, Check check, WinPath* out,
                    DWORD* error);

  char Drive() const { return drive_; }
  const std::vector<std::string>& Names() const { return names_; }
  bool IsRoot() const { return names_.empty(); }
  bool EndsWithSeparator() const { return endsWithSeparator_; }
  const std::string& Leaf() const;

  WinPath Parent() const;
  WinPath Child(const std::string& name) const;

  // "C:\a\b", with a final backslash when the caller wrote one; "C:\" for the root.
  std::string Text() const;
  // Characters (a double-byte character counts once) of Text(), as Win32 measures
  // paths against MAX_PATH.
  size_t Length() const;

  static size_t CharacterCount(const std::string& text);

 private:
  char drive_ = 'C';       // upper case: the drive's folder in the sandbox
  char shownDrive_ = 'C';  // as the caller wrote it, for GetFullPathNameA
  std::vector<std::string> names_;
  bool endsWithSeparator_ = false;
};

}  // namespace hostwin
