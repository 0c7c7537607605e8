// The shell's FO_DELETE, FO_COPY and FO_MOVE and the temporary folder: the host layer
// against Win32. The uninstall deletes the user's data trees with them; the update
// copies the installed folders into the temporary folder and moves them back.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/FileTree.h"

namespace {

using dhtest::ScratchFolder;
using dhtest::ReadFileBytes;
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
  EXPECT_FALSE(dhtest::PathExists(tree));
  EXPECT_TRUE(dhtest::PathExists(dir.Child("tree2.txt")));
  EXPECT_TRUE(dhtest::PathExists(dir.Path()));
}

TEST(ShellContract, DeletesEveryNameOfTheList) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFileBytes(dir.Child("one.txt"), "1"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("two").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("two\\inner.txt"), "2"));
  ASSERT_TRUE(WriteFileBytes(dir.Child("three.txt"), "3"));

  EXPECT_EQ(0, SilentDelete(NameList({dir.Child("one.txt"), dir.Child("two")})));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("one.txt")));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("two")));
  EXPECT_TRUE(dhtest::PathExists(dir.Child("three.txt")));
}

TEST(ShellContract, AMissingPathFailsWithFileNotFound) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteFileBytes(dir.Child("kept.txt"), "x"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, SilentDelete(NameList({dir.Child("missing")})));
  EXPECT_TRUE(dhtest::PathExists(dir.Child("kept.txt")));
}

int SilentTransfer(UINT function, const std::string& from, const std::string& to,
                   FILEOP_FLAGS flags) {
  const std::string fromList = NameList({from});
  const std::string toList = NameList({to});
  SHFILEOPSTRUCTA operation;
  std::memset(&operation, 0, sizeof operation);
  operation.wFunc = function;
  operation.pFrom = fromList.c_str();
  operation.pTo = toList.c_str();
  operation.fFlags = flags;
  return SHFileOperationA(&operation);
}

// Wine names itself through an export of ntdll that Windows lacks.
bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// The flags the update copies and moves with.
constexpr FILEOP_FLAGS kCopyFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
constexpr FILEOP_FLAGS kMoveFlags = FOF_SILENT | FOF_NOCONFIRMATION;

// Every name below a folder, relative to it (folders with a final backslash), with
// the bytes of each file.
void AddListing(const std::string& folder, const std::string& relative,
                std::map<std::string, std::string>* listing) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*listing)[relative + name + "\\"] = "";
      AddListing(folder + "\\" + name, relative + name + "\\", listing);
    } else {
      std::string bytes;
      ReadFileBytes(folder + "\\" + name, &bytes);
      (*listing)[relative + name] = bytes;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}
std::map<std::string, std::string> Listing(const std::string& folder) {
  std::map<std::string, std::string> listing;
  AddListing(folder, "", &listing);
  return listing;
}

// A small installed-looking tree: a file, a sub-folder with a Japanese name, an
// empty folder.
void MakeTree(const std::string& root) {
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root + "\\表示").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((root + "\\empty").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(root + "\\a.exe", std::string("MZ\0\x90", 4)));
  ASSERT_TRUE(WriteFileBytes(root + "\\表示\\b.txt", "b"));
}

TEST(ShellContract, CopyingAFolderToAMissingNameMakesThatNameTheCopy) {
  ScratchFolder dir;
  MakeTree(dir.Child("Viewer"));
  const auto tree = Listing(dir.Child("Viewer"));
  ASSERT_EQ(4u, tree.size());
  ASSERT_TRUE(CreateDirectoryA(dir.Child("backup").c_str(), nullptr));

  EXPECT_EQ(0, SilentTransfer(FO_COPY, dir.Child("Viewer"), dir.Child("backup\\Viewer"), kCopyFlags));
  EXPECT_EQ(tree, Listing(dir.Child("backup\\Viewer")));
  EXPECT_EQ(tree, Listing(dir.Child("Viewer")));
}

TEST(ShellContract, CopyingMakesTheMissingParentsOfTheTarget) {
  ScratchFolder dir;
  MakeTree(dir.Child("Viewer"));
  EXPECT_EQ(0, SilentTransfer(FO_COPY, dir.Child("Viewer"), dir.Child("Temp\\Dravenholt\\Viewer"),
                              kCopyFlags));
  EXPECT_EQ(Listing(dir.Child("Viewer")), Listing(dir.Child("Temp\\Dravenholt\\Viewer")));
}

TEST(ShellContract, AFolderIsNeverCopiedOrMovedIntoItself) {
  ScratchFolder dir;
  MakeTree(dir.Child("Viewer"));
  const auto tree = Listing(dir.Child("Viewer"));
  const int copied =
      SilentTransfer(FO_COPY, dir.Child("Viewer"), dir.Child("Viewer\\inner"), kCopyFlags);
  const int moved =
      SilentTransfer(FO_MOVE, dir.Child("Viewer"), dir.Child("Viewer\\inner"), kMoveFlags);
  // Windows and the host layer refuse; Wine 8 answers 0 having done nothing.
  if (!UnderWine()) {
    EXPECT_NE(0, copied);
    EXPECT_NE(0, moved);
  }
  EXPECT_EQ(tree, Listing(dir.Child("Viewer")));
}

TEST(ShellContract, CopyingIntoAnExistingFolderNestsTheCopy) {
  ScratchFolder dir;
  MakeTree(dir.Child("Viewer"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("target").c_str(), nullptr));

  EXPECT_EQ(0, SilentTransfer(FO_COPY, dir.Child("Viewer"), dir.Child("target"), kCopyFlags));
  EXPECT_EQ(Listing(dir.Child("Viewer")), Listing(dir.Child("target\\Viewer")));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("target\\a.exe")));
}

TEST(ShellContract, CopyingOverAnEarlierCopyReplacesItsFiles) {
  ScratchFolder dir;
  MakeTree(dir.Child("Viewer"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("target").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("target\\Viewer").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("target\\Viewer\\a.exe"), "stale"));

  EXPECT_EQ(0, SilentTransfer(FO_COPY, dir.Child("Viewer"), dir.Child("target"), kCopyFlags));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir.Child("target\\Viewer\\a.exe"), &bytes));
  EXPECT_EQ(std::string("MZ\0\x90", 4), bytes);
}

TEST(ShellContract, CopyingOrMovingAMissingFolderFailsAndMakesNothing) {
  ScratchFolder dir;
  EXPECT_NE(0, SilentTransfer(FO_COPY, dir.Child("missing"), dir.Child("copy"), kCopyFlags));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("copy")));
  const int moved = SilentTransfer(FO_MOVE, dir.Child("missing"), dir.Child("moved"), kMoveFlags);
  // Wine 8 answers 0 for a move of nothing (Windows and the host layer fail); in both
  // nothing appears, so a restore from a missing backup never passes for done.
  if (!UnderWine()) {
    EXPECT_NE(0, moved);
  }
  EXPECT_FALSE(dhtest::PathExists(dir.Child("moved")));
}

TEST(ShellContract, MovingAFolderToAMissingNameRenamesIt) {
  ScratchFolder dir;
  MakeTree(dir.Child("backup"));
  const auto tree = Listing(dir.Child("backup"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("data").c_str(), nullptr));

  EXPECT_EQ(0, SilentTransfer(FO_MOVE, dir.Child("backup"), dir.Child("data\\Model"), kMoveFlags));
  EXPECT_EQ(tree, Listing(dir.Child("data\\Model")));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("backup")));
}

TEST(ShellContract, MovingIntoAnExistingFolderNestsIt) {
  ScratchFolder dir;
  MakeTree(dir.Child("Model"));
  const auto tree = Listing(dir.Child("Model"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("data").c_str(), nullptr));

  EXPECT_EQ(0, SilentTransfer(FO_MOVE, dir.Child("Model"), dir.Child("data"), kMoveFlags));
  EXPECT_EQ(tree, Listing(dir.Child("data\\Model")));
  EXPECT_FALSE(dhtest::PathExists(dir.Child("Model")));
}

TEST(ShellContract, TheTemporaryFolderEndsInABackslashAndExists) {
  char path[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, path);
  ASSERT_GT(length, 3u);
  ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
  EXPECT_EQ(std::strlen(path), length);
  EXPECT_EQ('\\', path[length - 1]);
  EXPECT_TRUE(PathIsDirectoryA(path));

  // Too small a buffer: the size needed, terminator included.
  char small[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(length + 1, GetTempPathA(sizeof small, small));
  EXPECT_EQ(length + 1, GetTempPathA(length, path));
  EXPECT_EQ(length, GetTempPathA(length + 1, path));
}

}  // namespace
