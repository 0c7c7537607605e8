#include "gui/lib/ChildProcess.h"

#include "gui/lib/GuiTest.h"

namespace guitest {

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::Start(const std::string& commandLine, const char* workDir) {
  Terminate();
  info_ = Launch(commandLine, workDir);
  return info_.hProcess != nullptr;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (info_.hProcess == nullptr) return false;
  return guitest::WaitForExit(info_, timeoutMs, exitCode);
}

void ChildProcess::Terminate() {
  if (info_.hProcess == nullptr) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  Close();
}

void ChildProcess::Close() {
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
  info_ = PROCESS_INFORMATION{};
}

}  // namespace guitest
