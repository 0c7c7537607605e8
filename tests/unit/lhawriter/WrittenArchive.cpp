#include "unit/lhawriter/WrittenArchive.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "payload/LhaArchive.h"
#include "payload/LhaArchiveReader.h"

bool ReadBack(const std::vector<uint8_t>& archive, std::vector<ReadBackMember>* members) {
  members->clear();
  cLhaArchiveReader reader;
  if (reader.Open(archive.data(), static_cast<uint32_t>(archive.size())) != kLhaOpenFound) {
    ADD_FAILURE() << "no header found";
    return false;
  }
  if (reader.ReadHeaders() != kLhaHeadersRead) {
    ADD_FAILURE() << "headers refused";
    return false;
  }
  bool ok = true;
  reader.Walk([&](int index, const LhaMember& member) {
    ReadBackMember m;
    m.name = member.name;
    m.method = member.method;
    m.packedSize = static_cast<uint32_t>(member.packedSize);
    m.data.resize(member.unpackedSize);
    if (!reader.ReadWhole(index, member, m.data.data())) {
      ADD_FAILURE() << "member " << index << " (" << m.name << ") did not decode";
      ok = false;
    }
    members->push_back(std::move(m));
    return true;
  });
  return ok;
}

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  uint32_t x = seed * 2654435761u + 1;
  for (uint8_t& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 24);
  }
  return bytes;
}

std::vector<uint8_t> TextBytes(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"the ", "viewer ", "installs ", "folder ", "update ",
                                       "setup ", "of ", "and ", "files\n", "Dravenholt ",
                                       "collection ", "model ", "a ", "settings, "};
  const std::vector<uint8_t> pick = RandomBytes(size, seed);
  std::vector<uint8_t> text;
  for (size_t i = 0; text.size() < size; ++i) {
    for (const char* w = kWords[pick[i % size] % 14]; *w && text.size() < size; ++w) {
      text.push_back(static_cast<uint8_t>(*w));
    }
  }
  return text;
}

std::string FreshWorkDir(const std::string& name) {
  const std::string dir = std::string(DH_LHAWRITER_WORK_DIR) + "/" + name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int RunCommand(const std::string& command, std::string* out) {
  out->clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) out->append(buffer, got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
