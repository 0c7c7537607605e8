// Running the payload tool and the independent LHA tools from tests, on the build
// machine's own files (not the host layer's sandbox).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace dhtest {

namespace fs = std::filesystem;

// The text as one shell word.
std::string Quote(const std::string& text);

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line; standard output and error are captured separately.
Outcome Shell(const std::string& command);

// Lines split into fields at `field` (' ' splits at any run of blanks).
std::vector<std::vector<std::string>> Split(const std::string& text, char field);

std::string FileBytes(const fs::path& path);
void WriteBytes(const fs::path& path, const std::string& bytes);

// A fresh folder under /tmp for each test, removed afterwards.
class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  fs::path temp;
};

}  // namespace dhtest
