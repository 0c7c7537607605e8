// Folder trees read through the narrow Win32 functions (the host layer or Windows):
// what an installation left, and whether an update put it back byte for byte.
#pragma once

#include <map>
#include <set>
#include <string>

namespace dhtest {

// Relative path (backslashes, code page 932) -> bytes, for every file below root.
// Folders appear as their path with a trailing backslash and empty bytes. Empty when
// root is no folder.
using FileTree = std::map<std::string, std::string>;
FileTree ReadTree(const std::string& root);

// The paths of a tree, for comparing names without contents.
std::set<std::string> PathsOf(const FileTree& tree);

// The first path at which the two trees differ (missing on one side, or other bytes);
// empty when they are equal.
std::string FirstDifference(const FileTree& expected, const FileTree& actual);

// True when a file or folder of that name exists.
bool PathExists(const std::string& path);

// Removes the file or folder with all it holds, silently, through the shell's deletion;
// nothing happens when it does not exist.
void DeleteTree(const std::string& path);

}  // namespace dhtest
