// Writing extracted members to disk: the folder chain of a path, and a file written
// whole in one call. The installation and the update both write members this way.
#pragma once

#include "platform/win.h"

enum MakeDirectoriesResult {
  kDirectoriesMade = 0,      // every folder of the chain exists now
  kDirectoriesUnusablePath,  // null, empty, or MAX_PATH characters or more: nothing tried
  kDirectoriesNotCreated,    // at least one CreateDirectoryA failed; every prefix was tried
};

// Creates the folder `path` (no final backslash) and every missing folder above it,
// except the drive. The installation and the update both fail on a folder not made.
MakeDirectoriesResult MakeDirectories(const char* path);

// Creates or replaces the file and writes the `count` bytes in one call. 1 when every
// byte was written; 0 when the file cannot be created or the write fails.
int WriteWholeFile(const char* path, const void* bytes, DWORD count);
