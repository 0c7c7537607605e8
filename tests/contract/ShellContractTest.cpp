// The shell's FO_DELETE: the host layer against Win32. The uninstall deletes the
// user's data trees with it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

using dhtest::ScratchFolder;
using dhtest::WriteFileBytes;

// The list the shell takes: every name with its NUL, then one more NUL.
std::string NameList(std::initializer_list<std::string> names) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  return list + '\0';
}

int SilentDelete(const std::string& list, BOOL* aborted = nullptr) {
  SHFILEOPSTRUCTA operation;
  std::memset(&operation, 0, sizeof operation);
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
  operation.fAnyOperationsAborted = TRUE;
  const int result = SHFileOperationA(&operation);
  if (aborted) *aborted = operation.fAnyOperationsAborted;
  return result;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(ShellContract, DeletesAWholeTreeWithReadOnlyFilesAndLeavesItsSiblings) {
  ScratchFolder dir;
  const std::string tree = dir.Child("tree");
  ASSERT_TRUE(CreateDirectoryA(tree.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((tree + "\\sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((tree + "\\sub\\deeper").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(tree + "\\a.txt", "a"));
  ASSERT_TRUE(WriteFileBytes(tree + "\\sub\\表示.dat", "b"));
  ASSERT_TRUE(WriteFileBytes(tree + "\\sub\\deeper\\ro.txt", "c"));
  ASSERT_TRUE(SetFileAttributesA((tree + "\\sub\\deeper\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(dir.Child("tree2.txt"), "sibling"));

  BOOL aborted = TRUE;
  EXPECT_EQ(0, SilentDelete(NameList({tree}), &aborted));
  EXPECT_FALSE(aborted);
  EXPECT_FALSE(Exists(tree));
  EXPECT_TRUE(Exists(dir.Child("tree2.txt")));
  EXPECT_TRUE(Exists(dir.Path()));
}

TEST(ShellContract, DeletesEveryNameOfTheList) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFileBytes(dir.Child("one.txt"), "1"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("two").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("two\\inner.txt"), "2"));
  ASSERT_TRUE(WriteFileBytes(dir.Child("three.txt"), "3"));

  EXPECT_EQ(0, SilentDelete(NameList({dir.Child("one.txt"), dir.Child("two")})));
  EXPECT_FALSE(Exists(dir.Child("one.txt")));
  EXPECT_FALSE(Exists(dir.Child("two")));
  EXPECT_TRUE(Exists(dir.Child("three.txt")));
}

TEST(ShellContract, AMissingPathFailsWithFileNotFound) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFileBytes(dir.Child("kept.txt"), "x"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, SilentDelete(NameList({dir.Child("missing")})));
  EXPECT_TRUE(Exists(dir.Child("kept.txt")));
}

}  // namespace
