#include "support/FileTree.h"

#include "platform/win.h"
#include "support/FileBytes.h"

namespace dhtest {
namespace {

void Collect(const std::string& root, const std::string& relative, FileTree* tree) {
  const std::string folder = relative.empty() ? root : root + "\\" + relative;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative.empty() ? name : relative + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*tree)[path + "\\"] = std::string();
      Collect(root, path, tree);
    } else {
      std::string bytes;
      (*tree)[path] = ReadFileBytes(root + "\\" + path, &bytes) ? bytes : "<unreadable>";
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

}  // namespace

FileTree ReadTree(const std::string& root) {
  FileTree tree;
  Collect(root, "", &tree);
  return tree;
}

std::set<std::string> PathsOf(const FileTree& tree) {
  std::set<std::string> paths;
  for (const auto& entry : tree) paths.insert(entry.first);
  return paths;
}

std::string FirstDifference(const FileTree& expected, const FileTree& actual) {
  for (const auto& entry : expected) {
    auto found = actual.find(entry.first);
    if (found == actual.end()) return entry.first + " (missing)";
    if (found->second != entry.second) return entry.first + " (other bytes)";
  }
  for (const auto& entry : actual) {
    if (expected.count(entry.first) == 0) return entry.first + " (unexpected)";
  }
  return std::string();
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteTree(const std::string& path) {
  if (!PathExists(path)) return;
  std::string from = path;
  from.push_back('\0');  // the list ends in two zero bytes
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  SHFileOperationA(&operation);
}

}  // namespace dhtest
