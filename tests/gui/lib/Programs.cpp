// Paths of the build and starting programs.
#include "gui/lib/GuiTest.h"

#include <cstdlib>
#include <cstdio>
#include <vector>

namespace guitest {

std::string WinPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string result = "Z:" + path;
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  return result;
}

std::string ExePathOf(const char* buildRelative) {
  std::string path = std::string(DH_GUITEST_BINARY_DIR) + "/" + buildRelative;
  return WinPath(path);
}

std::string ScreenshotPath(const char* pngName) {
  const char* dir = std::getenv("DH_SCREENSHOT_DIR");
  std::string folder = dir != nullptr && *dir != '\0' ? WinPath(dir) : ExePathOf("screenshots");
  CreateDirectoryA(folder.c_str(), nullptr);  // already there is fine
  return folder + "\\" + pngName;
}

PROCESS_INFORMATION Launch(const std::string& commandLine, const char* workDir) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  std::string dir = workDir != nullptr ? WinPath(workDir) : std::string();
  // Under a busy Wine server a start now and then fails for no reason of the
  // program's; a second try follows such a failure, not a missing program.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<char> copy = line;
    if (CreateProcessA(nullptr, copy.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workDir != nullptr ? dir.c_str() : nullptr, &startup, &process)) {
      return process;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) break;
    std::fprintf(stderr, "guitest: starting %s failed with %lu, trying again\n",
                 commandLine.c_str(), static_cast<unsigned long>(error));
    Sleep(200);
  }
  return PROCESS_INFORMATION{};
}

bool WaitForExit(const PROCESS_INFORMATION& process, DWORD timeoutMs, DWORD* exitCode) {
  if (process.hProcess == nullptr) return false;
  if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.hProcess, &code)) return false;
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

}  // namespace guitest
