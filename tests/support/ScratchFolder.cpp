#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include "platform/win.h"

namespace dhtest {
namespace {

// Where scratch folders go. Only this helper knows the two platforms apart.
std::string ScratchBase() {
#ifdef _WIN32
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return "C:\\dhcontract-" + std::to_string(GetCurrentProcessId());
  // One folder per process: CTest may run several test processes at once.
  return std::string(temp) + "dhcontract-" + std::to_string(GetCurrentProcessId());
#else
  return "C:\\contract";
#endif
}

std::string CurrentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name =
      info ? std::string(info->test_suite_name()) + "." + info->name() : "outside-test";
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';  // parameterised tests
  }
  return name;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

ScratchFolder::ScratchFolder() : ScratchFolder(CurrentTestName()) {}

ScratchFolder::ScratchFolder(const std::string& name) {
  const std::string base = ScratchBase();
  path_ = base + "\\" + name;
  if (!IsFolder(base) && !CreateDirectoryA(base.c_str(), nullptr))
    ADD_FAILURE() << "cannot create " << base << ", error " << GetLastError();
  if (IsFolder(path_) && !RemoveTree(path_)) ADD_FAILURE() << "cannot empty " << path_;
  if (!CreateDirectoryA(path_.c_str(), nullptr))
    ADD_FAILURE() << "cannot create " << path_ << ", error " << GetLastError();
}

ScratchFolder::~ScratchFolder() {
  if (!RemoveTree(path_)) ADD_FAILURE() << "cannot remove " << path_;
  // The per-process base goes once the last scratch folder is gone; another one
  // still in use keeps it (RemoveDirectoryA then fails harmlessly).
  RemoveDirectoryA(ScratchBase().c_str());
}

bool ScratchFolder::RemoveTree(const std::string& winPath) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((winPath + "\\*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = winPath + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
          SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  if (RemoveDirectoryA(winPath.c_str())) return true;
  return GetFileAttributesA(winPath.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace dhtest
