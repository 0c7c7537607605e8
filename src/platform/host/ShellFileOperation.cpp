// SHFileOperationA's FO_DELETE, built on the layer's own file functions so that the
// sandbox rules (read-only folders, the current folder, open files) and injected faults
// apply inside a tree as they do to single calls.
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/Faults.h"
#include "platform/host/Files.h"
#include "platform/host/Shell.h"
#include "platform/host/Strings.h"

namespace {

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

// "C:", "C:\" and "\" name a drive's root, which the shell never deletes.
bool IsRoot(const std::string& name) {
  if (name == "\\") return true;
  if (name.size() < 2 || name[1] != ':') return false;
  return name.size() == 2 || (name.size() == 3 && name[2] == '\\');
}

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

// Deletes a file, read-only or not; 0 or the error.
DWORD DeleteOneFile(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return DeleteFileA(path.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

// Deletes a folder after everything in it; 0 or the first error.
DWORD DeleteFolderTree(const std::string& folder) {
  std::vector<std::pair<std::string, DWORD>> children;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0)
        continue;
      children.emplace_back(folder + "\\" + data.cFileName, data.dwFileAttributes);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  for (const auto& child : children) {
    const DWORD error = (child.second & FILE_ATTRIBUTE_DIRECTORY)
                            ? DeleteFolderTree(child.first)
                            : DeleteOneFile(child.first, child.second);
    if (error) return error;
  }
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesA(folder.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return RemoveDirectoryA(folder.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

DWORD DeleteName(std::string name) {
  if (HasWildcard(name.c_str())) return ERROR_INVALID_NAME;
  // A trailing backslash still names the folder (a Shift-JIS character's second byte
  // may be 0x5C too, and is part of the name).
  if (name.size() > 1 && !IsRoot(name)) {
    const char* last = CharPrevA(name.c_str(), name.c_str() + name.size());
    if (*last == '\\' && last == name.c_str() + name.size() - 1) name.pop_back();
  }
  if (IsRoot(name)) return ERROR_ACCESS_DENIED;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? DeleteFolderTree(name)
                                                 : DeleteOneFile(name, attributes);
}

}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp) {
  if (!lpFileOp) return ERROR_INVALID_PARAMETER;
  lpFileOp->fAnyOperationsAborted = FALSE;
  const char* from = lpFileOp->pFrom;
  DWORD error = 0;
  if (hostwin::FailNow("SHFileOperationA", from, &error)) return static_cast<int>(error);
  if (lpFileOp->wFunc != FO_DELETE) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!from || !*from) return ERROR_ACCESS_DENIED;
  for (; *from; from += std::strlen(from) + 1) {
    error = DeleteName(from);
    if (error) return static_cast<int>(error);
  }
  return 0;
}
