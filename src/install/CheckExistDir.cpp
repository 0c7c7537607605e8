#include "install/CheckExistDir.h"

#include "morstd/MorAlloc.h"
#include "platform/win.h"

namespace {

constexpr int kPathBytes = MAX_PATH;

// A level that holds a wildcard is no folder name; without this check a search for
// "C:\P*" would report a folder that is not there.
bool HasWildcard(const char* text) {
  for (const char* p = text; *p; p = CharNextA(p))
    if (*p == '*' || *p == '?') return true;
  return false;
}

bool LevelExists(const char* level) {
  if (HasWildcard(level)) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(level, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

// Examines (and in create mode makes) one level; 1 when the walk goes on.
bool VisitLevel(const char* level, int create) {
  if (LevelExists(level)) return true;
  if (!create) return false;
  CreateDirectoryA(level, nullptr);
  return true;
}

}  // namespace

int CheckExistDir(const char* path, int create) {
  char* copy = static_cast<char*>(morstd::MorAllocZeroed(kPathBytes));
  if (!copy) {
    MessageBoxA(nullptr, "メモリ確保失敗", "CheckExistDir", MB_OK);
    return kCheckExistDirNoMemory;
  }
  lstrcpynA(copy, path ? path : "", kPathBytes);

  int result = create ? kFoldersCreated : kEveryLevelExists;
  int separators = 0;
  int level = 0;
  for (char* p = copy; *p; p = CharNextA(p)) {
    // The text before the first backslash is the drive: never looked at.
    if (*p != '\\' || ++separators < 2) continue;
    *p = '\0';
    ++level;
    const bool goOn = VisitLevel(copy, create);
    *p = '\\';
    if (!goOn) {
      result = level;
      break;
    }
  }
  if (result < 0 && separators > 0 && !VisitLevel(copy, create)) result = level + 1;
  morstd::MorFree(copy);
  return result;
}
