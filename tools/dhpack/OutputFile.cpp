#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <filesystem>

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string* error) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      out.close();
      std::remove(temporary.c_str());
      *error = "cannot write " + temporary;
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(path, code)) {
    *error = path + ": not a readable file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path;
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  return true;
}
