#include "uninstall/UninstallFolders.h"

#include <cstring>

#include "morstd/MorString.h"
#include "payload/PayloadNames.h"

namespace {

// The special folder's path, with the shell's item list freed whatever happened.
// `complain` shows the programs folder's failure the way the uninstaller always has.
int GetSpecialFolder(int csidl, char* path, HWND owner, bool complain) {
  std::memset(path, 0, MAX_PATH);
  PIDLIST_ABSOLUTE items = nullptr;
  const HRESULT result = SHGetSpecialFolderLocation(owner, csidl, &items);
  int found = 0;
  if (FAILED(result)) {
    if (complain) MessageBoxA(nullptr, "hres", "", MB_OK);
  } else {
    found = SHGetPathFromIDListA(items, path) == TRUE ? 1 : 0;
  }
  CoTaskMemFree(items);
  return found;
}

// The last backslash that is a character of its own (the second byte of a Shift-JIS
// character may be 0x5C too); null when there is none.
char* LastBackslash(char* text) { return const_cast<char*>(LastNameSeparator(text)); }

}  // namespace

int DeleteTree(const char* path, HWND owner) {
  // The shell takes a list of names ending in two NULs.
  char from[MAX_PATH] = {};
  if (!path || !*path || std::strlen(path) > MAX_PATH - 2) return 0;
  std::memcpy(from, path, std::strlen(path));
  SHFILEOPSTRUCTA operation;
  std::memset(&operation, 0, sizeof operation);
  operation.hwnd = owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = from;
  operation.pTo = nullptr;
  // No FOF_ALLOWUNDO: the user data must not linger in the recycle bin.
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  return SHFileOperationA(&operation) == 0 ? 1 : 0;
}

int DeleteContents(const char* contentsDir, HWND owner) {
  if (!contentsDir) return 0;
  const int deleted = DeleteTree(contentsDir, owner);
  char parent[MAX_PATH] = {};
  lstrcpynA(parent, contentsDir, MAX_PATH);
  // "…\contents\" names the same folder as "…\contents".
  char* cut = LastBackslash(parent);
  if (cut && cut[1] == '\0') {
    *cut = '\0';
    cut = LastBackslash(parent);
  }
  if (!cut) return 0;
  *cut = '\0';
  // Only once nothing else is left in it; also when the contents were gone already
  // (an uninstallation cut short after it had removed them).
  RemoveDirectoryA(parent);
  return deleted;
}

int GetProgramsFolder(char* path, HWND owner) {
  return GetSpecialFolder(CSIDL_PROGRAMS, path, owner, true);
}

int GetDesktopFolder(char* path, HWND owner) {
  return GetSpecialFolder(CSIDL_DESKTOPDIRECTORY, path, owner, false);
}

int RemoveStartMenu(HWND owner) {
  try {
    char programs[MAX_PATH];
    if (!GetProgramsFolder(programs, owner)) return 0;
    morstd::cMorString path;
    path.Format("%s\\%s\\%s", programs, kStartMenuFolderName, kShortcutName);
    DeleteFileA(path.GetData());
    path.Format("%s\\%s", programs, kStartMenuFolderName);
    RemoveDirectoryA(path.GetData());
    return 1;
  } catch (...) {
    return 0;
  }
}

bool IsAbsoluteFolder(const char* path) {
  if (!path || std::strlen(path) >= MAX_PATH) return false;
  const char drive = path[0];
  const bool letter = (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
  if (!letter || path[1] != ':' || path[2] != '\\') return false;
  return path[3] != '\0' && IsPlainRelativePath(path + 3);  // a drive's root is no folder of ours
}

bool IsProductFolder(const char* path, const char* tail) {
  if (!IsAbsoluteFolder(path)) return false;
  const size_t length = std::strlen(path);
  const size_t tailLength = std::strlen(tail);
  if (length <= tailLength + 2) return false;
  const char* end = path + length - tailLength;
  // The tail must begin at a separator of its own, not inside a character.
  const char* at = path;
  while (at < end) at = NextNameChar(at);
  if (at != end) return false;
  return NameBytesEqualNoCase(end, tail, tailLength);
}

void RemoveEmptyProductParent(const char* folder) {
  if (!folder) return;
  char parent[MAX_PATH] = {};
  lstrcpynA(parent, folder, MAX_PATH);
  char* cut = LastBackslash(parent);
  if (!cut) return;
  *cut = '\0';
  const char* name = LastNameSeparator(parent);
  if (!name || lstrcmpiA(name + 1, kVendorFolderName) != 0) return;
  RemoveDirectoryA(parent);  // only once nothing else is left in it
}
