#include "PackCommand.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "LhaWriter.h"

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
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot read " + path);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
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
      if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
        ++i;
        continue;
      }
      if (c != '\\') continue;
      const std::string folder = directory.substr(0, i + 1);
      if (folders.insert(folder).second && !writer.AddFolder(folder, &error)) return Fail(error);
    }
    if (!writer.AddFile(name, data.data(), data.size(), &error)) return Fail(error);
  }
  const std::vector<uint8_t> bytes = writer.Finish();
  const std::string temporary = archive + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::remove(temporary.c_str());
      return Fail("cannot write " + temporary);
    }
  }
  if (std::rename(temporary.c_str(), archive.c_str()) != 0) {
    std::remove(temporary.c_str());
    return Fail("cannot write " + archive);
  }
  return 0;
}
