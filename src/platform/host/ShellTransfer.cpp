#include "platform/host/ShellTransfer.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/host/Files.h"
#include "platform/host/Shell.h"
#include "platform/host/Strings.h"

namespace hostwin {
namespace {

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool IsFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The text after the last backslash of its own.
std::string LeafOf(const std::string& path) {
  size_t leaf = 0;
  for (const char* p = path.c_str(); *p; p = CharNextA(p))
    if (*p == '\\') leaf = static_cast<size_t>(p - path.c_str()) + 1;
  return path.substr(leaf);
}

// The full path in upper case, for telling whether one tree lies inside another.
std::string Comparable(const std::string& path) {
  char full[MAX_PATH * 2];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  std::string text = length && length < sizeof full ? std::string(full, length) : path;
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return WithoutFinalSeparator(text);
}

bool SameOrInside(const std::string& path, const std::string& folder) {
  const std::string a = Comparable(path), b = Comparable(folder);
  return a == b || (a.size() > b.size() && a.compare(0, b.size(), b) == 0 && a[b.size()] == '\\');
}

// Creates the folder and every missing one above it; 0 or the error.
DWORD MakeFolderChain(const std::string& folder) {
  std::vector<std::string> missing;
  std::string path = WithoutFinalSeparator(folder);
  while (!IsDriveRoot(path) && !path.empty() && AttributesOf(path) == INVALID_FILE_ATTRIBUTES) {
    missing.push_back(path);
    const std::string leaf = LeafOf(path);
    if (leaf.size() >= path.size()) break;
    path = WithoutFinalSeparator(path.substr(0, path.size() - leaf.size()));
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it)
    if (!CreateDirectoryA(it->c_str(), nullptr)) return LastErrorOr(ERROR_PATH_NOT_FOUND);
  return IsFolder(AttributesOf(folder)) ? 0 : ERROR_PATH_NOT_FOUND;
}

// The names inside a folder, with their attributes.
std::vector<std::pair<std::string, DWORD>> Children(const std::string& folder) {
  std::vector<std::pair<std::string, DWORD>> children;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return children;
  do {
    if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0) continue;
    children.emplace_back(data.cFileName, data.dwFileAttributes);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return children;
}

DWORD CopyTree(const std::string& source, DWORD attributes, const std::string& target) {
  if (!IsFolder(attributes))
    return CopyFileA(source.c_str(), target.c_str(), FALSE) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
  const DWORD existing = AttributesOf(target);
  if (existing != INVALID_FILE_ATTRIBUTES && !IsFolder(existing)) return ERROR_ALREADY_EXISTS;
  if (existing == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(target.c_str(), nullptr))
    return LastErrorOr(ERROR_ACCESS_DENIED);
  for (const auto& child : Children(source)) {
    const DWORD error =
        CopyTree(source + "\\" + child.first, child.second, target + "\\" + child.first);
    if (error) return error;
  }
  return 0;
}

DWORD MoveTree(const std::string& source, DWORD attributes, const std::string& target) {
  const DWORD existing = AttributesOf(target);
  if (existing == INVALID_FILE_ATTRIBUTES) {
    if (MoveFileA(source.c_str(), target.c_str())) return 0;
    const DWORD error = LastErrorOr(ERROR_ACCESS_DENIED);
    if (error != ERROR_NOT_SAME_DEVICE) return error;
    // Another drive: copied whole, then the source removed.
    if (const DWORD copied = CopyTree(source, attributes, target)) return copied;
    SHFILEOPSTRUCTA removal = {};
    const std::string list = source + '\0' + '\0';
    removal.wFunc = FO_DELETE;
    removal.pFrom = list.c_str();
    removal.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return static_cast<DWORD>(SHFileOperationA(&removal));
  }
  if (IsFolder(existing) != IsFolder(attributes)) return ERROR_ALREADY_EXISTS;
  if (!IsFolder(attributes)) {
    // The moved file replaces the one there.
    if (existing & FILE_ATTRIBUTE_READONLY)
      SetFileAttributesA(target.c_str(), existing & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileA(target.c_str())) return LastErrorOr(ERROR_ACCESS_DENIED);
    return MoveFileA(source.c_str(), target.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
  }
  // Two folders of one name are merged, then the emptied source goes.
  for (const auto& child : Children(source)) {
    const DWORD error =
        MoveTree(source + "\\" + child.first, child.second, target + "\\" + child.first);
    if (error) return error;
  }
  return RemoveDirectoryA(source.c_str()) ? 0 : LastErrorOr(ERROR_ACCESS_DENIED);
}

using TreeStep = DWORD (*)(const std::string&, DWORD, const std::string&);

DWORD Transfer(const std::string& name, const std::string& destination, bool into, TreeStep step) {
  const std::string source = WithoutFinalSeparator(name);
  if (IsDriveRoot(source)) return ERROR_ACCESS_DENIED;
  const DWORD attributes = AttributesOf(source);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_FILE_NOT_FOUND;
  const std::string to = WithoutFinalSeparator(destination);
  if (to.empty()) return ERROR_INVALID_PARAMETER;
  std::string target = to;
  if (into) {
    target = to + "\\" + LeafOf(source);
    if (const DWORD error = MakeFolderChain(to)) return error;
  } else {
    const std::string leaf = LeafOf(to);
    if (leaf.size() < to.size()) {
      if (const DWORD error = MakeFolderChain(to.substr(0, to.size() - leaf.size())))
        return error;
    }
  }
  // A tree into itself, or a name onto itself, would never end or lose the source.
  if (SameOrInside(target, source)) return ERROR_INVALID_PARAMETER;
  return step(source, attributes, target);
}

}  // namespace

std::string WithoutFinalSeparator(std::string name) {
  if (name.size() > 1 && !IsDriveRoot(name)) {
    const char* last = CharPrevA(name.c_str(), name.c_str() + name.size());
    if (*last == '\\' && last == name.c_str() + name.size() - 1) name.pop_back();
  }
  return name;
}

bool IsDriveRoot(const std::string& name) {
  if (name == "\\") return true;
  if (name.size() < 2 || name[1] != ':') return false;
  return name.size() == 2 || (name.size() == 3 && name[2] == '\\');
}

DWORD ShellCopy(const std::string& source, const std::string& destination, bool into) {
  return Transfer(source, destination, into, &CopyTree);
}

DWORD ShellMove(const std::string& source, const std::string& destination, bool into) {
  return Transfer(source, destination, into, &MoveTree);
}

}  // namespace hostwin
