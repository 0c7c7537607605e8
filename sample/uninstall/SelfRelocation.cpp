#include "SelfRelocation.h"

#include <vector>

namespace {

constexpr DWORD kOriginalExitTimeoutMs = 30000;

std::string TemporaryFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return folder;  // ends in a backslash
}

}  // namespace

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return std::string(path, length);
}

bool StartTemporaryCopy(const std::string& selfPath) {
  const std::string folder = TemporaryFolder();
  if (selfPath.empty() || folder.empty()) return false;
  // A name of this run's own, so that an earlier copy still waiting for deletion is
  // not in the way.
  char name[64];
  wsprintfA(name, "DravenholtUninstall%lu.exe", GetCurrentProcessId());
  const std::string copy = folder + name;
  if (copy.size() >= MAX_PATH || !CopyFileA(selfPath.c_str(), copy.c_str(), FALSE)) return false;

  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE, TRUE, 0)) {
    DeleteFileA(copy.c_str());
    return false;
  }
  char handleText[24];
  wsprintfA(handleText, "%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)));
  const std::string line =
      "\"" + copy + "\" " + kRelocatedSwitch + " " + handleText + " \"" + selfPath + "\"";
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // The copy works in the temporary folder: a process whose current folder is the
  // install folder would keep that folder from being removed.
  const BOOL started = CreateProcessA(copy.c_str(), writable.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, folder.c_str(), &startup, &process);
  CloseHandle(self);
  if (!started) {
    DeleteFileA(copy.c_str());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void WaitForOriginal(HANDLE original) {
  if (!original) return;
  WaitForSingleObject(original, kOriginalExitTimeoutMs);
  CloseHandle(original);
}

bool DeleteAtNextStart(const std::string& path) {
  return !path.empty() && MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}
