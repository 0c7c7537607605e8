#include "gui/uninstall/UninstallerRun.h"

#include <gtest/gtest.h>

namespace uninsttest {

const char kUninstallConfirm[] =
    "Dravenholtビューアを完全アンインストールしますか？\r\n"
    "（コンテンツ類も消去されクリーンな環境に戻されます）";

namespace {

bool OpenCopy(HWND box, TemporaryCopy* copy) {
  GetWindowThreadProcessId(box, &copy->id);
  copy->process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy->id);
  if (!copy->process) return false;
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!QueryFullProcessImageNameA(copy->process, 0, path, &size)) return false;
  copy->path.assign(path, size);
  return true;
}

}  // namespace

TemporaryCopy::~TemporaryCopy() {
  if (process) {
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    WaitForSingleObject(process, kUninstallTimeoutMs);
    CloseHandle(process);
  }
  // The file waits for the next start of Windows, which a test prefix never sees.
  if (!path.empty()) DeleteFileA(path.c_str());
}

DWORD TemporaryCopy::ExitCode() {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, kUninstallTimeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process, &code);
  return code;
}

guitest::MessageBoxInfo StartAndAsk(const std::string& commandLine, TemporaryCopy* copy) {
  guitest::ChildProcess original;
  guitest::MessageBoxInfo box;
  EXPECT_TRUE(original.Start(commandLine)) << commandLine;
  DWORD code = STILL_ACTIVE;
  EXPECT_TRUE(original.WaitForExit(kUninstallTimeoutMs, &code));
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(guitest::WaitForMessageBox(&box, kUninstallTimeoutMs));
  EXPECT_TRUE(OpenCopy(box.hwnd, copy));
  EXPECT_NE(original.Id(), copy->id);
  return box;
}

}  // namespace uninsttest
