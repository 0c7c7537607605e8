// Which folders along a path exist: the disk check asks whether the install folder must
// be made, and the install worker makes the missing ones.
#pragma once

// The modes and results of CheckExistDir.
constexpr int kCheckOnly = 0;
constexpr int kCreateMissing = 1;
constexpr int kEveryLevelExists = -1;
constexpr int kFoldersCreated = -2;
constexpr int kCheckExistDirNoMemory = -999;

// Looks at each level of `path` below its first name (the drive is never looked at):
// for "C:\A\B" first "C:\A", then "C:\A\B". In check mode returns kEveryLevelExists, or
// the 1-based number of the first missing level; in create mode makes each missing level
// (a level that cannot be made is left for later steps to notice) and returns
// kFoldersCreated. Only the first 259 bytes of the path count. Without memory for the
// copy it shows "メモリ確保失敗" and returns kCheckExistDirNoMemory.
int CheckExistDir(const char* path, int create);
