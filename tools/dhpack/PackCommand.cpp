#include "PackCommand.h"

#include <cstdio>
#include <set>

#include "LhaWriter.h"
#include "OutputFile.h"
#include "ShiftJisName.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "dhpack: %s\n", message.c_str());
  return 1;
}

}  // namespace

int PackFiles(const std::string& archive, const std::vector<std::string>& files) {
  cLhaWriter writer;
  std::set<std::string> folders;
  std::string error;
  for (const std::string& path : files) {
    std::vector<uint8_t> data;
    if (!ReadWholeFile(path, &data, &error)) return Fail(error);
    std::string name = path;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    if (!name.empty() && name[0] == '\\') return Fail(path + ": absolute paths cannot be packed");
    std::string directory, file;
    if (!cLhaWriter::SplitName(name, &directory, &file)) {
      return Fail("member name \"" + name + "\": ends inside a double-byte character");
    }
    // Folder entries, outermost first, for the folders not listed yet.
    for (size_t i = 0; i < directory.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(directory[i]);
      if (IsShiftJisLead(c)) {
        ++i;
        continue;
      }
      if (c != '\\') continue;
      const std::string folder = directory.substr(0, i + 1);
      if (folders.insert(folder).second && !writer.AddFolder(folder, &error)) return Fail(error);
    }
    if (!writer.AddFile(name, data.data(), data.size(), &error)) return Fail(error);
  }
  if (!WriteFileAtomically(archive, writer.Finish(), &error)) return Fail(error);
  return 0;
}
