#include "support/TreeSnapshot.h"

#include <cstdio>

#include "platform/win.h"
#include "support/FileTree.h"

namespace dhtest {
namespace {

// Printable bytes as they are, the rest as \xNN, so that a line break inside a file
// cannot pass for the next entry.
std::string Escaped(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      text += code;
    }
  }
  return text;
}

}  // namespace

std::string TreeSnapshot(const std::string& winPath) {
  const DWORD attributes = GetFileAttributesA(winPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return "<missing>";
  // Folders are their path with the closing backslash, and no bytes.
  std::string text;
  for (const auto& entry : ReadTree(winPath)) {
    text += entry.first + " = " + Escaped(entry.second) + "\n";
  }
  return text;
}

}  // namespace dhtest
