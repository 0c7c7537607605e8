#include "support/TreeSnapshot.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/win.h"
#include "support/FileBytes.h"

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

void Collect(const std::string& root, const std::string& relative,
             std::vector<std::string>* lines) {
  WIN32_FIND_DATAA data;
  const std::string folder = relative.empty() ? root : root + "\\" + relative;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = relative.empty() ? name : relative + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines->push_back(path + "\\");
      Collect(root, path, lines);
    } else {
      std::string bytes;
      lines->push_back(path + " = " +
                       (ReadFileBytes(root + "\\" + path, &bytes) ? Escaped(bytes) : "<unreadable>"));
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
}

}  // namespace

std::string TreeSnapshot(const std::string& winPath) {
  const DWORD attributes = GetFileAttributesA(winPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return "<missing>";
  std::vector<std::string> lines;
  Collect(winPath, "", &lines);
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace dhtest
