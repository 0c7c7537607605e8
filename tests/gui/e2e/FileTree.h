// Folder trees read from disk for end-to-end checks: what an installation left, and
// whether an update put it back byte for byte.
#pragma once

#include <map>
#include <set>
#include <string>

namespace e2e {

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

// The whole file; false when it cannot be read.
bool ReadBytes(const std::string& path, std::string* bytes);

bool Exists(const std::string& path);

}  // namespace e2e
