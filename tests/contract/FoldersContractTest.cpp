// Folders and attributes: the host layer against Win32.
#include <gtest/gtest.h>

#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

using dhtest::ScratchFolder;
using dhtest::WriteFileBytes;

TEST(FoldersContract, CreateDirectory) {
  ScratchFolder dir;
  const std::string sub = dir.Child("sub");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_FALSE(CreateDirectoryA((sub + "\\").c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_FALSE(CreateDirectoryA(dir.Child("a\\b").c_str(), nullptr));  // one level at a time
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  ASSERT_TRUE(WriteFileBytes(dir.Child("f.txt"), "x"));
  EXPECT_FALSE(CreateDirectoryA(dir.Child("f.txt").c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_FALSE(CreateDirectoryA("C:\\", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_TRUE(CreateDirectoryA(dir.Child("trailing\\").c_str(), nullptr));
  EXPECT_TRUE(PathIsDirectoryA(dir.Child("trailing").c_str()));
}

TEST(FoldersContract, RemoveDirectory) {
  ScratchFolder dir;
  const std::string sub = dir.Child("sub");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\f.txt", "x"));
  EXPECT_FALSE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIR_NOT_EMPTY), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA((sub + "\\f.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA(dir.Child("missing").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA(dir.Child("missing\\deeper").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

  ASSERT_TRUE(DeleteFileA((sub + "\\f.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(sub.c_str()));
}

TEST(FoldersContract, AttributesAndShellChecks) {
  ScratchFolder dir;
  const std::string file = dir.Child("f.txt"), missing = dir.Child("missing");
  ASSERT_TRUE(WriteFileBytes(file, "x"));

  DWORD folderAttributes = GetFileAttributesA(dir.Path().c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, folderAttributes);
  EXPECT_TRUE(folderAttributes & FILE_ATTRIBUTE_DIRECTORY);
  DWORD fileAttributes = GetFileAttributesA(file.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, fileAttributes);
  EXPECT_FALSE(fileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(fileAttributes & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(GetFileAttributesA("C:\\") & FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(missing.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((missing + "\\f.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Child("*").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());

  // shlwapi answers with the attribute bit, not TRUE.
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(PathIsDirectoryA(dir.Path().c_str())));
  EXPECT_EQ(FALSE, PathIsDirectoryA(file.c_str()));
  EXPECT_EQ(FALSE, PathIsDirectoryA(missing.c_str()));
  EXPECT_TRUE(PathFileExistsA(file.c_str()));
  EXPECT_TRUE(PathFileExistsA(dir.Path().c_str()));
  EXPECT_FALSE(PathFileExistsA(missing.c_str()));

  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(SetFileAttributesA(missing.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(FoldersContract, CurrentFolderAnchorsRelativePaths) {
  ScratchFolder dir;
  char saved[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(CreateDirectoryA(dir.Child("work").c_str(), nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA(dir.Child("work").c_str()));

  char current[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(dir.Child("work"), std::string(current, length));
  EXPECT_EQ(length + 1, GetCurrentDirectoryA(2, current));  // too small: the size needed
  ASSERT_TRUE(WriteFileBytes("relative.txt", "r"));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Child("work\\relative.txt").c_str()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("..\\work\\relative.txt"));
  // The current folder is held open: it cannot be removed.
  EXPECT_FALSE(RemoveDirectoryA(dir.Child("work").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());

  EXPECT_FALSE(SetCurrentDirectoryA(dir.Child("missing").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(SetCurrentDirectoryA(dir.Child("work\\relative.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), GetLastError());
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

}  // namespace
