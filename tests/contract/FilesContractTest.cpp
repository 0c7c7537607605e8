// Files: the host layer against Win32 (run natively and under Wine from one source).
#include <gtest/gtest.h>

#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

using dhtest::ReadFileBytes;
using dhtest::ScratchFolder;
using dhtest::WriteFileBytes;

HANDLE Open(const std::string& path, DWORD access, DWORD disposition, DWORD share = 0) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

// The handle must not be valid, and the call must have left this last error.
void ExpectOpenFails(DWORD error, HANDLE handle) {
  EXPECT_EQ(INVALID_HANDLE_VALUE, handle);
  EXPECT_EQ(error, GetLastError());
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(path, &bytes)) << path;
  return bytes;
}

TEST(FilesContract, WriteSeekReadAndSize) {
  ScratchFolder dir;
  const std::string path = dir.Child("data.bin");
  HANDLE file = Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_NE(nullptr, file);

  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "Hello, world", 12, &written, nullptr));
  EXPECT_EQ(12u, written);
  DWORD high = 99;
  EXPECT_EQ(12u, GetFileSize(file, &high));
  EXPECT_EQ(0u, high);

  char buffer[32] = {};
  DWORD got = 0;
  EXPECT_EQ(0u, SetFilePointer(file, 0, nullptr, FILE_BEGIN));
  ASSERT_TRUE(ReadFile(file, buffer, 5, &got, nullptr));
  EXPECT_EQ("Hello", std::string(buffer, got));
  EXPECT_EQ(7u, SetFilePointer(file, -5, nullptr, FILE_END));
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ("world", std::string(buffer, got));  // a short read at the end succeeds
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(0u, got);  // at the end: success, nothing read

  EXPECT_EQ(5u, SetFilePointer(file, -7, nullptr, FILE_CURRENT));
  LONG distanceHigh = 0;
  EXPECT_EQ(12u, SetFilePointer(file, 0, &distanceHigh, FILE_END));
  EXPECT_EQ(0, distanceHigh);

  // Before the start: refused, and the pointer stays where it was.
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -13, nullptr, FILE_CURRENT));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());
  EXPECT_EQ(12u, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, 7));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

  // Writing past the end fills the gap with zeros.
  EXPECT_EQ(14u, SetFilePointer(file, 14, nullptr, FILE_BEGIN));
  ASSERT_TRUE(WriteFile(file, "!", 1, &written, nullptr));
  EXPECT_EQ(15u, GetFileSize(file, nullptr));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(std::string("Hello, world\0\0!", 15), ReadAll(path));
}

TEST(FilesContract, CreationDispositionsOverExistingAndMissingFiles) {
  ScratchFolder dir;
  const std::string path = dir.Child("a.txt");
  ASSERT_TRUE(WriteFileBytes(path, "12345"));

  ExpectOpenFails(ERROR_FILE_EXISTS, Open(path, GENERIC_WRITE, CREATE_NEW));
  ExpectOpenFails(ERROR_FILE_NOT_FOUND,
                  Open(dir.Child("missing.txt"), GENERIC_READ, OPEN_EXISTING));
  ExpectOpenFails(ERROR_FILE_NOT_FOUND,
                  Open(dir.Child("missing.txt"), GENERIC_WRITE, TRUNCATE_EXISTING));
  ExpectOpenFails(ERROR_PATH_NOT_FOUND, Open(dir.Child("no\\a.txt"), GENERIC_READ, OPEN_EXISTING));
  ExpectOpenFails(ERROR_PATH_NOT_FOUND, Open(dir.Child("no\\a.txt"), GENERIC_WRITE, CREATE_ALWAYS));
  ExpectOpenFails(ERROR_INVALID_PARAMETER, Open(path, GENERIC_READ, 0));

  // OPEN_ALWAYS keeps the bytes and says the file was there.
  SetLastError(0);
  HANDLE file = Open(path, GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(5u, GetFileSize(file, nullptr));
  CloseHandle(file);

  // CREATE_ALWAYS empties it and says so too.
  file = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ(0u, GetFileSize(file, nullptr));
  CloseHandle(file);

  // On new files both report no error.
  SetLastError(ERROR_ACCESS_DENIED);
  file = Open(dir.Child("b.txt"), GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(0u, GetLastError());
  CloseHandle(file);
  SetLastError(ERROR_ACCESS_DENIED);
  file = Open(dir.Child("c.txt"), GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(0u, GetLastError());
  CloseHandle(file);

  ASSERT_TRUE(WriteFileBytes(path, "xyz"));
  file = Open(path, GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_EQ(0u, GetFileSize(file, nullptr));
  CloseHandle(file);
}

TEST(FilesContract, FoldersAndTrailingSeparatorsAreNoFiles) {
  ScratchFolder dir;
  ASSERT_TRUE(CreateDirectoryA(dir.Child("sub").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(dir.Child("f.txt"), "x"));
  ExpectOpenFails(ERROR_ACCESS_DENIED, Open(dir.Child("sub"), GENERIC_READ, OPEN_EXISTING));
  ExpectOpenFails(ERROR_FILE_EXISTS, Open(dir.Child("sub"), GENERIC_WRITE, CREATE_NEW));
  ExpectOpenFails(ERROR_INVALID_NAME, Open(dir.Child("f.txt\\"), GENERIC_READ, OPEN_EXISTING));
  ExpectOpenFails(ERROR_INVALID_NAME, Open(dir.Child("new\\"), GENERIC_WRITE, CREATE_NEW));
  ExpectOpenFails(ERROR_PATH_NOT_FOUND, Open(dir.Child("f.txt\\x"), GENERIC_READ, OPEN_EXISTING));
  ExpectOpenFails(ERROR_INVALID_NAME, Open(dir.Child("a*b"), GENERIC_WRITE, CREATE_NEW));
  ExpectOpenFails(ERROR_INVALID_NAME, Open(dir.Child("a|b"), GENERIC_WRITE, CREATE_NEW));
  ExpectOpenFails(ERROR_PATH_NOT_FOUND, Open("", GENERIC_READ, OPEN_EXISTING));
}

TEST(FilesContract, AccessRightsOfAHandle) {
  ScratchFolder dir;
  const std::string path = dir.Child("f.txt");
  ASSERT_TRUE(WriteFileBytes(path, "abcd"));
  char buffer[4];
  DWORD n = 99;
  HANDLE writer = Open(path, GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_FALSE(ReadFile(writer, buffer, 4, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_EQ(0u, n);
  CloseHandle(writer);
  HANDLE reader = Open(path, GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  CloseHandle(reader);
  EXPECT_EQ("abcd", ReadAll(path));
}

TEST(FilesContract, BadHandles) {
  char buffer[4];
  DWORD n = 99;
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_FALSE(ReadFile(nullptr, buffer, 4, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(0u, n);
  EXPECT_FALSE(WriteFile(nullptr, "x", 1, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  // The pseudo-handle of the current process: closing it is accepted.
  EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST(FilesContract, ShareModesOfOpenFiles) {
  ScratchFolder dir;
  const std::string path = dir.Child("shared.txt");
  ASSERT_TRUE(WriteFileBytes(path, "abc"));
  HANDLE reader = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  ASSERT_NE(INVALID_HANDLE_VALUE, reader);

  HANDLE second = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
  EXPECT_NE(INVALID_HANDLE_VALUE, second);
  CloseHandle(second);
  ExpectOpenFails(ERROR_SHARING_VIOLATION,
                  Open(path, GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ));
  // The first reader did not share deletion.
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(MoveFileA(path.c_str(), dir.Child("moved.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());

  EXPECT_TRUE(CloseHandle(reader));
  HANDLE exclusive = Open(path, GENERIC_WRITE, OPEN_EXISTING, 0);
  ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
  ExpectOpenFails(ERROR_SHARING_VIOLATION,
                  Open(path, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE));
  CloseHandle(exclusive);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(FilesContract, DeleteFiles) {
  ScratchFolder dir;
  const std::string path = dir.Child("gone.txt");
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(DeleteFileA(dir.Child("no\\gone.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_FALSE(DeleteFileA(dir.Path().c_str()));  // a folder
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

  // A read-only file stays until its attribute is cleared.
  ASSERT_TRUE(WriteFileBytes(path, "x"));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(FilesContract, NewReadOnlyFileTakesWritesThroughItsFirstHandle) {
  ScratchFolder dir;
  const std::string path = dir.Child("ro.txt");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "ro", 2, &written, nullptr));
  CloseHandle(file);
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ("ro", ReadAll(path));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
}

TEST(FilesContract, MoveFilesAndFolders) {
  ScratchFolder dir;
  const std::string from = dir.Child("from.txt"), to = dir.Child("to.txt");
  ASSERT_TRUE(WriteFileBytes(from, "payload"));
  ASSERT_TRUE(MoveFileA(from.c_str(), to.c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(from.c_str()));
  EXPECT_EQ("payload", ReadAll(to));

  ASSERT_TRUE(WriteFileBytes(from, "other"));
  EXPECT_FALSE(MoveFileA(from.c_str(), to.c_str()));  // never replaces
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  EXPECT_EQ("payload", ReadAll(to));
  EXPECT_FALSE(MoveFileA(dir.Child("missing").c_str(), dir.Child("x").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(MoveFileA(from.c_str(), dir.Child("no\\x.txt").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());

  // Only when asked, a file takes another's place in one step; never a folder's.
  EXPECT_FALSE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
  ASSERT_TRUE(MoveFileExA(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(from.c_str()));
  EXPECT_EQ("other", ReadAll(to));
  ASSERT_TRUE(WriteFileBytes(from, "other"));
  ASSERT_TRUE(CreateDirectoryA(dir.Child("folder").c_str(), nullptr));
  EXPECT_FALSE(MoveFileExA(from.c_str(), dir.Child("folder").c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ("other", ReadAll(from));

  // A folder moves with what it holds.
  ASSERT_TRUE(CreateDirectoryA(dir.Child("tree").c_str(), nullptr));
  ASSERT_TRUE(MoveFileA(from.c_str(), dir.Child("tree\\inner.txt").c_str()));
  ASSERT_TRUE(MoveFileA(dir.Child("tree").c_str(), dir.Child("moved").c_str()));
  EXPECT_EQ("other", ReadAll(dir.Child("moved\\inner.txt")));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.Child("tree").c_str()));
  EXPECT_FALSE(MoveFileA(dir.Child("moved").c_str(), dir.Child("moved\\deeper").c_str()));
  EXPECT_FALSE(MoveFileA(to.c_str(), dir.Child("moved").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
}

TEST(FilesContract, CopyFiles) {
  ScratchFolder dir;
  const std::string from = dir.Child("from.txt"), to = dir.Child("to.txt");
  ASSERT_TRUE(WriteFileBytes(from, "first"));
  ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), TRUE));
  EXPECT_EQ("first", ReadAll(to));
  EXPECT_EQ("first", ReadAll(from));

  ASSERT_TRUE(WriteFileBytes(from, "second"));
  EXPECT_FALSE(CopyFileA(from.c_str(), to.c_str(), TRUE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), GetLastError());
  EXPECT_EQ("first", ReadAll(to));
  EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE));
  EXPECT_EQ("second", ReadAll(to));

  EXPECT_FALSE(CopyFileA(dir.Child("missing").c_str(), to.c_str(), FALSE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
  EXPECT_FALSE(CopyFileA(dir.Path().c_str(), dir.Child("copy").c_str(), FALSE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_FALSE(CopyFileA(from.c_str(), from.c_str(), FALSE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
}

}  // namespace
