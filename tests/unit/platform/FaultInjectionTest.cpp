// Fault injection reaches the callers' failure paths through the files area.
#include <gtest/gtest.h>

#include <string>

#include "platform/host/RegistryControls.h"
#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"

namespace {

using hostwin::Fault;

class FaultInjectionTest : public dhtest::HostFixture {
 protected:
  static HANDLE Create(const char* path) {
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
};

TEST_F(FaultInjectionTest, NthCallFailsWithTheInjectedError) {
  hostwin::InjectFault(Fault{"CreateFileA", "", 2, ERROR_DISK_FULL});
  HANDLE first = Create("C:\\one.txt");
  ASSERT_NE(INVALID_HANDLE_VALUE, first);
  EXPECT_EQ(INVALID_HANDLE_VALUE, Create("C:\\two.txt"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\two.txt"));  // nothing was made
  HANDLE third = Create("C:\\three.txt");
  EXPECT_NE(INVALID_HANDLE_VALUE, third);
  EXPECT_EQ(3, hostwin::CallCount("CreateFileA"));
  CloseHandle(first);
  CloseHandle(third);
}

TEST_F(FaultInjectionTest, ArgumentMatchesThePathWithoutRegardToCase) {
  ASSERT_TRUE(CreateDirectoryA("C:\\keep", nullptr));
  ASSERT_TRUE(CreateDirectoryA("C:\\drop", nullptr));
  hostwin::InjectFault(Fault{"RemoveDirectoryA", "c:\\DROP", 0, ERROR_SHARING_VIOLATION});
  EXPECT_TRUE(RemoveDirectoryA("C:\\keep"));
  EXPECT_FALSE(RemoveDirectoryA("C:\\drop"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  EXPECT_FALSE(RemoveDirectoryA("C:\\drop"));  // nth 0: every matching call
  EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(PathIsDirectoryA("C:\\drop")));
}

TEST_F(FaultInjectionTest, HandleCallsMatchThePathTheFileWasOpenedWith) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\a.bin", "aaaa"));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\b.bin", "bbbb"));
  hostwin::InjectFault(Fault{"ReadFile", "C:\\b.bin", 0, ERROR_READ_FAULT});
  std::string bytes;
  EXPECT_TRUE(dhtest::ReadFileBytes("C:\\a.bin", &bytes));
  EXPECT_EQ("aaaa", bytes);
  EXPECT_FALSE(dhtest::ReadFileBytes("C:\\b.bin", &bytes));

  HANDLE file = CreateFileA("C:\\b.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  char buffer[4];
  DWORD got = 99;
  EXPECT_FALSE(ReadFile(file, buffer, 4, &got, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_READ_FAULT), GetLastError());
  EXPECT_EQ(0u, got);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FaultInjectionTest, EveryFilesCallCanBeMadeToFail) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\f.txt", "x"));
  ASSERT_TRUE(CreateDirectoryA("C:\\d", nullptr));
  hostwin::InjectFault(Fault{"DeleteFileA", "", 0, ERROR_ACCESS_DENIED});
  hostwin::InjectFault(Fault{"MoveFileA", "C:\\f.txt", 0, ERROR_WRITE_FAULT});
  hostwin::InjectFault(Fault{"CopyFileA", "", 0, ERROR_DISK_FULL});
  hostwin::InjectFault(Fault{"CreateDirectoryA", "", 0, ERROR_DISK_FULL});
  hostwin::InjectFault(Fault{"FindFirstFileA", "", 0, ERROR_NOT_ENOUGH_MEMORY});
  hostwin::InjectFault(Fault{"GetFileAttributesA", "", 0, ERROR_ACCESS_DENIED});
  hostwin::InjectFault(Fault{"PathIsDirectoryA", "", 0, ERROR_ACCESS_DENIED});

  EXPECT_FALSE(DeleteFileA("C:\\f.txt"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  EXPECT_FALSE(MoveFileA("C:\\f.txt", "C:\\g.txt"));
  EXPECT_EQ(static_cast<DWORD>(ERROR_WRITE_FAULT), GetLastError());
  EXPECT_FALSE(CopyFileA("C:\\f.txt", "C:\\g.txt", FALSE));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
  EXPECT_FALSE(CreateDirectoryA("C:\\e", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
  WIN32_FIND_DATAA data;
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\*", &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\f.txt"));
  EXPECT_EQ(FALSE, PathIsDirectoryA("C:\\d"));

  // The failed calls changed nothing; without the faults all is still there.
  hostwin::ClearFaults();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\f.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\g.txt"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\e"));
}

TEST_F(FaultInjectionTest, ResetAllDropsFaultsAndCounts) {
  hostwin::InjectFault(Fault{"CreateDirectoryA", "", 0, ERROR_DISK_FULL});
  EXPECT_FALSE(CreateDirectoryA("C:\\x", nullptr));
  hostwin::ResetAll();
  EXPECT_EQ(0, hostwin::CallCount("CreateDirectoryA"));
  EXPECT_TRUE(CreateDirectoryA("C:\\x", nullptr));
}

// The power lost at the third mutating call: that call and every later change are
// refused, reads go on, a transaction not committed is lost; PowerOn is the next start.
TEST_F(FaultInjectionTest, TheCrashSwitchFreezesTheMachineAtTheNthMutatingCall) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\kept.txt", "before"));
  HANDLE transaction =
      CreateTransaction(nullptr, nullptr, TRANSACTION_DO_NOT_PROMOTE, 0, 0, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, transaction);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyTransactedA(HKEY_CURRENT_USER, "Software\\T", 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr,
                                                   transaction, nullptr));
  hostwin::PowerOn();
  hostwin::CrashAtMutation(3);

  EXPECT_TRUE(CreateDirectoryA("C:\\one", nullptr));  // 1
  const DWORD value = 7;
  EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "V", 0, REG_DWORD,
                                          reinterpret_cast<const BYTE*>(&value), sizeof value));  // 2
  EXPECT_FALSE(hostwin::Crashed());
  EXPECT_FALSE(DeleteFileA("C:\\kept.txt"));  // 3: the power goes
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), GetLastError());
  EXPECT_TRUE(hostwin::Crashed());
  EXPECT_EQ("DeleteFileA C:\\kept.txt", hostwin::CrashedCall());
  // Frozen: no change of any kind happens, reading still works.
  EXPECT_FALSE(CommitTransaction(transaction));
  EXPECT_FALSE(CreateDirectoryA("C:\\two", nullptr));
  EXPECT_EQ(INVALID_HANDLE_VALUE, Create("C:\\new.txt"));
  EXPECT_FALSE(MoveFileExA("C:\\kept.txt", "C:\\moved.txt", MOVEFILE_REPLACE_EXISTING));
  std::string bytes;
  EXPECT_TRUE(dhtest::ReadFileBytes("C:\\kept.txt", &bytes));
  EXPECT_EQ("before", bytes);
  EXPECT_EQ(7, hostwin::MutationCount());
  RegCloseKey(key);
  CloseHandle(transaction);

  hostwin::PowerOn();
  EXPECT_FALSE(hostwin::Crashed());
  EXPECT_EQ(0, hostwin::MutationCount());
  EXPECT_TRUE(PathIsDirectoryA("C:\\one"));
  EXPECT_FALSE(PathIsDirectoryA("C:\\two"));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\T"));  // never committed
  EXPECT_TRUE(DeleteFileA("C:\\kept.txt"));
  EXPECT_EQ(1, hostwin::MutationCount());
}

}  // namespace
