// Misuse of handles fails cleanly, and Windows rules the layer enforces itself
// (read-only files, folders with open files) hold even when the tests run as root.
#include <gtest/gtest.h>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"

namespace {

class HandleTest : public dhtest::HostFixture {
 protected:
  static HANDLE OpenRead(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  }
};

TEST_F(HandleTest, ClosedFileHandleFailsEveryCall) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "abc"));
  HANDLE file = OpenRead("C:\\f.txt");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_TRUE(CloseHandle(file));
  EXPECT_EQ(0u, hostwin::OpenHandleCount());

  char buffer[4];
  DWORD n = 99;
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(0u, n);
  EXPECT_FALSE(WriteFile(file, "x", 1, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, FILE_BEGIN));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file, nullptr));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

  // A later open never gets the old value back, so the stale handle stays dead.
  HANDLE again = OpenRead("C:\\f.txt");
  ASSERT_NE(INVALID_HANDLE_VALUE, again);
  EXPECT_NE(file, again);
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
  CloseHandle(again);
}

TEST_F(HandleTest, SearchAndFileHandlesAreNotInterchangeable) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "abc"));
  HANDLE file = OpenRead("C:\\f.txt");
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA("C:\\*", &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_STREQ("f.txt", data.cFileName);  // a drive's root has no "." or ".."

  EXPECT_FALSE(FindClose(file));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_FALSE(CloseHandle(search));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_FALSE(FindNextFileA(file, &data));
  char buffer[4];
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(search, buffer, sizeof buffer, &n, nullptr));

  // Both still work after the misuse.
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(3u, n);
  EXPECT_FALSE(FindNextFileA(search, &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
  EXPECT_TRUE(FindClose(search));
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(HandleTest, BadArgumentsAreRefusedWithoutACrash) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "abc"));
  HANDLE file = OpenRead("C:\\f.txt");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(file, nullptr, 4, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOACCESS), GetLastError());
  OVERLAPPED overlapped = {};
  char buffer[4];
  EXPECT_FALSE(ReadFile(file, buffer, 4, &n, &overlapped));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_TRUE(ReadFile(file, buffer, 4, nullptr, nullptr));  // the count is optional here
  CloseHandle(file);

  EXPECT_EQ(INVALID_HANDLE_VALUE,
            CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(nullptr));
  EXPECT_FALSE(PathIsDirectoryA(nullptr));
  EXPECT_FALSE(DeleteFileA(nullptr));
  EXPECT_FALSE(MoveFileA("C:\\f.txt", nullptr));
  WIN32_FIND_DATAA data;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(nullptr, &data));
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\*", nullptr));
}

// Beyond 4 GB only the form with a high part can answer (Wine does not refuse the
// other form, so this stays a host test).
TEST_F(HandleTest, PositionsBeyond4GbNeedTheHighPart) {
  HANDLE file =
      CreateFileA("C:\\big.bin", GENERIC_READ, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  LONG high = 1;
  EXPECT_EQ(0x10u, SetFilePointer(file, 0x10, &high, FILE_BEGIN));
  EXPECT_EQ(1, high);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, 0, nullptr, FILE_CURRENT));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  high = -1;  // with a high part of -1, the low part -1 makes the distance -1
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -1, &high, FILE_BEGIN));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NEGATIVE_SEEK), GetLastError());
  // With a high part of 0 the low part counts unsigned: 0xFFFFFFFF is a position, and
  // NO_ERROR tells it from a failure.
  high = 0;
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(INVALID_SET_FILE_POINTER, SetFilePointer(file, -1, &high, FILE_BEGIN));
  EXPECT_EQ(static_cast<DWORD>(NO_ERROR), GetLastError());
  EXPECT_EQ(0, high);
  LARGE_INTEGER where;
  LARGE_INTEGER none;
  none.QuadPart = 0;
  ASSERT_TRUE(SetFilePointerEx(file, none, &where, FILE_CURRENT));
  EXPECT_EQ(0xFFFFFFFFLL, where.QuadPart);
  CloseHandle(file);
}

TEST_F(HandleTest, ResetAllClosesWhatTestsLeftOpen) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "abc"));
  HANDLE file = CreateFileA("C:\\f.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  WIN32_FIND_DATAA data;
  ASSERT_NE(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\*", &data));
  EXPECT_EQ(2u, hostwin::OpenHandleCount());  // a leak a sequence test can see
  hostwin::ResetAll();
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
  char buffer[4];
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(HandleTest, ReadOnlyFilesRefuseWriting) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\ro.txt", "keep"));
  ASSERT_TRUE(SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            CreateFileA("C:\\ro.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_FALSE(dhtest::WriteFileBytes("C:\\ro.txt", "lost"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\src.txt", "new"));
  EXPECT_FALSE(CopyFileA("C:\\src.txt", "C:\\ro.txt", FALSE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  std::string bytes;
  ASSERT_TRUE(dhtest::ReadFileBytes("C:\\ro.txt", &bytes));
  EXPECT_EQ("keep", bytes);
  // Renaming is allowed, and a copy carries the attribute along.
  EXPECT_TRUE(MoveFileA("C:\\ro.txt", "C:\\ro2.txt"));
  EXPECT_TRUE(CopyFileA("C:\\ro2.txt", "C:\\ro3.txt", TRUE));
  EXPECT_TRUE(GetFileAttributesA("C:\\ro3.txt") & FILE_ATTRIBUTE_READONLY);
}

TEST_F(HandleTest, FolderWithAnOpenFileCannotBeMoved) {
  ASSERT_TRUE(CreateDirectoryA("C:\\app", nullptr));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\app\\viewer.exe", "MZ"));
  HANDLE file = OpenRead("C:\\app\\viewer.exe");
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  EXPECT_FALSE(MoveFileA("C:\\app", "C:\\backup"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  CloseHandle(file);
  EXPECT_TRUE(MoveFileA("C:\\app", "C:\\backup"));
}

}  // namespace
