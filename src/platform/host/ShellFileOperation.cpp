// SHFileOperationA: FO_DELETE here, FO_COPY and FO_MOVE in ShellTransfer.cpp, all built
// on the layer's own file functions so that the sandbox rules (read-only folders, the
// current folder, open files) and injected faults apply inside a tree as they do to
// single calls.
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/Faults.h"
#include "platform/host/Files.h"
#include "platform/host/Shell.h"
#include "platform/host/ShellTransfer.h"
#include "platform/host/Strings.h"

namespace {

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

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

DWORD DeleteName(const char* given) {
  if (HasWildcard(given)) return ERROR_INVALID_NAME;
  // A trailing backslash still names the folder (a Shift-JIS character's second byte
  // may be 0x5C too, and is part of the name).
  const std::string name = hostwin::WithoutFinalSeparator(given);
  if (hostwin::IsDriveRoot(name)) return ERROR_ACCESS_DENIED;
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? DeleteFolderTree(name)
                                                 : DeleteOneFile(name, attributes);
}

// FO_COPY and FO_MOVE: pTo names one destination. Several sources, or a destination
// that is an existing folder, go inside it; a single source to any other name becomes
// that name.
int Transfer(const SHFILEOPSTRUCTA& operation) {
  const char* from = operation.pFrom;
  if (!from || !*from) return ERROR_FILE_NOT_FOUND;
  if (!operation.pTo || !*operation.pTo) return ERROR_INVALID_PARAMETER;
  if (operation.fFlags & FOF_MULTIDESTFILES) return ERROR_CALL_NOT_IMPLEMENTED;
  const std::string to = operation.pTo;
  const bool several = from[std::strlen(from) + 1] != '\0';
  const DWORD attributes = GetFileAttributesA(to.c_str());
  const bool into = several || (attributes != INVALID_FILE_ATTRIBUTES &&
                                (attributes & FILE_ATTRIBUTE_DIRECTORY));
  for (; *from; from += std::strlen(from) + 1) {
    if (HasWildcard(from)) return ERROR_INVALID_NAME;
    const DWORD error = operation.wFunc == FO_COPY ? hostwin::ShellCopy(from, to, into)
                                                   : hostwin::ShellMove(from, to, into);
    if (error) return static_cast<int>(error);
  }
  return 0;
}

}  // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA lpFileOp) {
  if (!lpFileOp) return ERROR_INVALID_PARAMETER;
  lpFileOp->fAnyOperationsAborted = FALSE;
  const char* from = lpFileOp->pFrom;
  DWORD error = 0;
  if (hostwin::FailNow("SHFileOperationA", from, &error)) return static_cast<int>(error);
  if (lpFileOp->wFunc == FO_COPY || lpFileOp->wFunc == FO_MOVE) return Transfer(*lpFileOp);
  if (lpFileOp->wFunc != FO_DELETE) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!from || !*from) return ERROR_ACCESS_DENIED;
  for (; *from; from += std::strlen(from) + 1) {
    error = DeleteName(from);
    if (error) return static_cast<int>(error);
  }
  return 0;
}
