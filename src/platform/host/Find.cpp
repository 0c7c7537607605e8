// Enumerating folders: FindFirstFileA, FindNextFileA, FindClose.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/host/DosAttributes.h"
#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/FileSearch.h"
#include "platform/host/FileTarget.h"
#include "platform/host/Files.h"
#include "platform/host/HandleTable.h"
#include "platform/host/NameMatch.h"

using hostwin::FailWith;
using hostwin::FileSearch;
using hostwin::NameMatch;

namespace {

// Seconds between 1601-01-01 (FILETIME) and 1970-01-01 (Unix time).
constexpr ULONGLONG kEpochDifference = 11644473600ULL;
constexpr ULONGLONG kTicksPerSecond = 10000000ULL;

FILETIME FileTimeOf(const struct timespec& when) {
  ULONGLONG ticks = (static_cast<ULONGLONG>(when.tv_sec) + kEpochDifference) * kTicksPerSecond +
                    static_cast<ULONGLONG>(when.tv_nsec) / 100;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

bool Describe(const std::string& shownName, const std::string& linuxPath, WIN32_FIND_DATAA* data) {
  struct stat info;
  if (lstat(linuxPath.c_str(), &info) != 0 || shownName.size() >= MAX_PATH) return false;
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = hostwin::DosAttributes::Read(linuxPath, info);
  data->ftCreationTime = FileTimeOf(info.st_mtim);  // Linux keeps no creation time here
  data->ftLastAccessTime = FileTimeOf(info.st_atim);
  data->ftLastWriteTime = FileTimeOf(info.st_mtim);
  if (!S_ISDIR(info.st_mode)) {
    data->nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(info.st_size) >> 32);
    data->nFileSizeLow = static_cast<DWORD>(info.st_size);
  }
  std::memcpy(data->cFileName, shownName.c_str(), shownName.size() + 1);
  return true;
}

// NTFS order: "." and ".." first, then names without regard to case.
bool ComesBefore(const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
  auto rank = [](const char* name) {
    return std::strcmp(name, ".") == 0 ? 0 : std::strcmp(name, "..") == 0 ? 1 : 2;
  };
  int ra = rank(a.cFileName), rb = rank(b.cFileName);
  if (ra != rb) return ra < rb;
  std::string fa = NameMatch::Fold(a.cFileName), fb = NameMatch::Fold(b.cFileName);
  if (fa != fb) return fa < fb;
  return std::strcmp(a.cFileName, b.cFileName) < 0;
}

// The entries of folder whose names match pattern; a drive's root has no "." or "..".
std::vector<WIN32_FIND_DATAA> Entries(const hostwin::WinPath& folder,
                                      const std::string& linuxFolder, const std::string& pattern) {
  std::vector<WIN32_FIND_DATAA> entries;
  WIN32_FIND_DATAA data;
  if (!folder.IsRoot()) {
    const std::string linuxParent = linuxFolder.substr(0, linuxFolder.rfind('/'));
    if (NameMatch::Matches(".", pattern) && Describe(".", linuxFolder, &data))
      entries.push_back(data);
    if (NameMatch::Matches("..", pattern) && Describe("..", linuxParent, &data))
      entries.push_back(data);
  }
  if (DIR* dir = opendir(linuxFolder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == ".." || !NameMatch::Matches(name, pattern)) continue;
      if (Describe(name, linuxFolder + "/" + name, &data)) entries.push_back(data);
    }
    closedir(dir);
  }
  std::sort(entries.begin(), entries.end(), ComesBefore);
  return entries;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  DWORD error = 0;
  if (hostwin::FailNow("FindFirstFileA", lpFileName, &error))
    return FailWith(error, INVALID_HANDLE_VALUE);
  if (!lpFindFileData) return FailWith(ERROR_NOACCESS, INVALID_HANDLE_VALUE);
  std::vector<WIN32_FIND_DATAA> entries;
  {
    hostwin::Sandbox& sandbox = hostwin::Sandbox::Instance();
    std::lock_guard<std::mutex> guard(sandbox.Lock());
    hostwin::WinPath pattern;
    if (!hostwin::WinPath::Parse(lpFileName, sandbox.CurrentFolder(),
                                 hostwin::WinPath::Check::kPatternLeaf, &pattern, &error))
      return FailWith(error, INVALID_HANDLE_VALUE);
    // "C:\dir\" names a folder, not entries of it.
    if (pattern.IsRoot() || pattern.EndsWithSeparator())
      return FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    if (pattern.Length() >= MAX_PATH) return FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    const hostwin::WinPath folder = pattern.Parent();
    const hostwin::Location where = sandbox.Locate(folder);
    if (where.kind == hostwin::Location::Kind::kFile)
      return FailWith(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);
    if (where.kind != hostwin::Location::Kind::kFolder)
      return FailWith(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    entries = Entries(folder, where.linuxPath, pattern.Leaf());
  }
  if (entries.empty()) return FailWith(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  auto search = std::make_shared<FileSearch>(lpFileName, std::move(entries));
  search->Next(lpFindFileData);
  return hostwin::HandleTable::Instance().Add(search);
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto search = hostwin::HandleTable::Instance().Find<FileSearch>(hFindFile);
  DWORD error = 0;
  if (hostwin::FailNow("FindNextFileA", search ? search->FaultArgument().c_str() : nullptr, &error))
    return FailWith(error, FALSE);
  if (!search) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!lpFindFileData) return FailWith(ERROR_NOACCESS, FALSE);
  if (!search->Next(lpFindFileData)) return FailWith(ERROR_NO_MORE_FILES, FALSE);
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  hostwin::HandleTable& table = hostwin::HandleTable::Instance();
  auto search = table.Find<FileSearch>(hFindFile);
  DWORD error = 0;
  if (hostwin::FailNow("FindClose", search ? search->FaultArgument().c_str() : nullptr, &error))
    return FailWith(error, FALSE);
  if (!search || !table.Remove(hFindFile)) return FailWith(ERROR_INVALID_HANDLE, FALSE);
  search->Close();
  return TRUE;
}
