#include "payload/WholeFiles.h"

#include <cstring>

#include "payload/PayloadNames.h"

namespace {

// False when the folder was missing and could not be made.
bool CreateIfMissing(const char* folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder, &found);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return true;
  }
  return CreateDirectoryA(folder, nullptr) != FALSE;
}

}  // namespace

MakeDirectoriesResult MakeDirectories(const char* path) {
  if (!path) return kDirectoriesUnusablePath;
  const size_t length = std::strlen(path);
  if (length == 0 || length >= MAX_PATH) return kDirectoriesUnusablePath;
  bool allMade = true;
  char prefix[MAX_PATH];
  std::memcpy(prefix, path, length + 1);
  // Each prefix that ends before a backslash, from the second backslash on (the part
  // before the first one is the drive), then the whole path.
  const char* first = std::strchr(path, '\\');
  if (first) {
    for (size_t i = static_cast<size_t>(first - path) + 1; i < length; ++i) {
      // The second byte of a Shift-JIS character may be 0x5C; it separates nothing.
      if (IsNameLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < length) {
        ++i;
        continue;
      }
      if (path[i] != '\\') continue;
      prefix[i] = '\0';
      allMade = CreateIfMissing(prefix) && allMade;
      prefix[i] = '\\';
    }
  }
  allMade = CreateIfMissing(prefix) && allMade;
  return allMade ? kDirectoriesMade : kDirectoriesNotCreated;
}

int WriteWholeFile(const char* path, const void* bytes, DWORD count) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes, count, &written, nullptr);
  CloseHandle(file);
  return ok && written == count ? 1 : 0;
}
