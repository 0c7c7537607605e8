#include "unit/payload_host/ToolRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace dhtest {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Outcome Shell(const std::string& command) {
  char errPath[] = "/tmp/dhpack-err-XXXXXX";
  const int errFile = mkstemp(errPath);
  close(errFile);
  Outcome run;
  FILE* pipe = popen((command + " 2>" + errPath).c_str(), "r");
  if (!pipe) return run;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errPath, std::ios::binary);
  run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  unlink(errPath);
  return run;
}

std::vector<std::vector<std::string>> Split(const std::string& text, char field) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> row;
    std::istringstream fields(line);
    std::string value;
    if (field == ' ') {
      while (fields >> value) row.push_back(value);
    } else {
      while (std::getline(fields, value, field)) row.push_back(value);
    }
    rows.push_back(row);
  }
  return rows;
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

void TempFolderTest::SetUp() {
  char pattern[] = "/tmp/dhpack-test-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  temp = pattern;
}

void TempFolderTest::TearDown() { fs::remove_all(temp); }

}  // namespace dhtest
