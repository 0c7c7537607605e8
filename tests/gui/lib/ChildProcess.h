// A Windows program started by a test, ended by the destructor if still running.
//
// Tests share one desktop (they run serially); a program left behind by a failed
// assertion would put its windows in the way of the next test.
#pragma once

#include <windows.h>

#include <string>

namespace guitest {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // commandLine as for CreateProcessA (quote paths with spaces); workDir may be null.
  bool Start(const std::string& commandLine, const char* workDir = nullptr);
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  // False when the program is still running after timeoutMs.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  void Terminate();

 private:
  void Close();

  PROCESS_INFORMATION info_{};
};

}  // namespace guitest
