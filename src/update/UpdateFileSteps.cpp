#include "update/UpdateFileSteps.h"

#include <cstring>

namespace updatefile {
namespace {

constexpr char kBackupFolderName[] = "Dravenholt";

// A shell name list: the name, its NUL and the NUL that ends the list.
bool MakeList(const char* name, char (&list)[MAX_PATH + 1]) {
  std::memset(list, 0, sizeof list);
  if (!name) return true;
  const size_t length = std::strlen(name);
  if (length >= MAX_PATH) return false;
  std::memcpy(list, name, length);
  return true;
}

}  // namespace

bool BackupRoot(morstd::cMorString* root) {
  char temp[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, temp);
  if (length == 0 || length >= MAX_PATH) return false;
  root->Format("%s%s", temp, kBackupFolderName);
  return true;
}

bool LastComponent(const char* path, morstd::cMorString* leaf) {
  if (!path) return false;
  const char* last = nullptr;
  for (const char* at = path; *at; at = CharNextA(at))
    if (*at == '\\') last = at;
  if (!last || !last[1]) return false;
  leaf->Assign(last + 1);
  return true;
}

bool ShellOperation(UINT function, const char* from, const char* to, FILEOP_FLAGS flags) {
  char fromList[MAX_PATH + 1];
  char toList[MAX_PATH + 1];
  if (!HasText(from) || !MakeList(from, fromList) || !MakeList(to, toList)) return false;
  SHFILEOPSTRUCTA operation;
  std::memset(&operation, 0, sizeof operation);
  operation.wFunc = function;
  operation.pFrom = fromList;
  operation.pTo = to ? toList : nullptr;
  operation.fFlags = flags;
  return SHFileOperationA(&operation) == 0;
}

}  // namespace updatefile
