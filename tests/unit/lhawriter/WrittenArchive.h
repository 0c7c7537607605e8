// Test helpers: an archive written by cLhaWriter read back through the installer's
// own reader and decoder, and the independent LHA tools run over it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadBackMember {
  std::string name;
  std::string method;
  uint32_t packedSize = 0;
  std::vector<uint8_t> data;
};

// Every member of `archive`, decoded; false (with a gtest failure) when the reader
// refuses the archive or a member does not decode to its size.
bool ReadBack(const std::vector<uint8_t>& archive, std::vector<ReadBackMember>* members);

// Deterministic test inputs.
std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed);
std::vector<uint8_t> TextBytes(size_t size, uint32_t seed);

// A fresh empty folder below the build tree for the tools' files.
std::string FreshWorkDir(const std::string& name);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);
// Runs a shell command; its exit status (-1 if it did not exit), its output in `*out`.
int RunCommand(const std::string& command, std::string* out);
