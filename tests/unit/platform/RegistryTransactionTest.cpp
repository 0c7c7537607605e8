// Kernel Transaction Manager and the transacted registry functions of the host layer.
// Native only: Wine 8.0 has no KTM (its CreateTransaction is a stub and its
// RegDeleteKeyTransactedA ends the process), so no contract test can hold it to Win32.
#include <gtest/gtest.h>

#include <string>

#include "platform/host/HostTest.h"
#include "platform/win.h"

namespace {

using hostwin::Fault;

constexpr char kSettings[] = "Software\\Dravenholt\\Viewer\\1.0";
constexpr char kUninstall[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer";

class HostTransaction : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override { hostwin::ResetAll(); }

  static HANDLE Begin() {
    HANDLE transaction =
        CreateTransaction(nullptr, nullptr, TRANSACTION_DO_NOT_PROMOTE, 0, 0, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, transaction);
    return transaction;
  }
  static HKEY CreateIn(HANDLE transaction, HKEY root, const char* path,
                       REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyTransactedA(root, path, 0, nullptr, 0, access, nullptr,
                                                     &key, nullptr, transaction, nullptr));
    return key;
  }
  static LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  }
  static LSTATUS SetText(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
  }
  static std::optional<DWORD> ReadDword(HKEY key, const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    return value;
  }
  // Seeds the committed registry with the settings key and the uninstall entry.
  static void Seed() {
    ASSERT_TRUE(
        hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings, "Version", "1.0.3.9999"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, std::string(kSettings) + "\\Sub",
                                             "Old", "x"));
    ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion",
                                             "1.0.3.9999"));
  }
};

TEST_F(HostTransaction, ChangesShowOnlyInsideUntilTheCommit) {
  Seed();
  const std::string before = hostwin::RegistrySnapshot();
  HANDLE transaction = Begin();

  HKEY settings = CreateIn(transaction, HKEY_CURRENT_USER, kSettings, KEY_SET_VALUE);
  ASSERT_EQ(ERROR_SUCCESS, SetText(settings, "Version", "1.0.4.8219"));
  ASSERT_EQ(ERROR_SUCCESS, SetDword(settings, "UpdateSuccess", 1));
  ASSERT_EQ(ERROR_SUCCESS,
            RegDeleteKeyTransactedA(HKEY_CURRENT_USER, (std::string(kSettings) + "\\Sub").c_str(),
                                    KEY_WOW64_32KEY, 0, transaction, nullptr));
  HKEY uninstall = CreateIn(transaction, HKEY_LOCAL_MACHINE, kUninstall);
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(uninstall, "DisplayVersion"));
  HKEY fresh = CreateIn(transaction, HKEY_CURRENT_USER, "Software\\New\\Key");
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(fresh));

  // Inside: a transacted open sees every change, a key opened relative to a
  // transacted handle too.
  HKEY inside = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyTransactedA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &inside,
                                                 transaction, nullptr));
  EXPECT_EQ(std::optional<DWORD>(1), ReadDword(inside, "UpdateSuccess"));
  HKEY sub = nullptr;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(inside, "Sub", 0, KEY_READ, &sub));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(inside));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(uninstall, "DisplayVersion", nullptr, nullptr, nullptr, nullptr));

  // Outside: nothing has happened, through the API as in the snapshot.
  HKEY outside = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &outside));
  EXPECT_EQ(std::nullopt, ReadDword(outside, "UpdateSuccess"));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(outside, "Sub", 0, KEY_READ, &sub));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(sub));
  EXPECT_EQ(before, hostwin::RegistrySnapshot());

  ASSERT_TRUE(CommitTransaction(transaction));
  EXPECT_EQ(std::optional<DWORD>(1), ReadDword(outside, "UpdateSuccess"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(outside));
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "Version"));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, std::string(kSettings) + "\\Sub"));
  EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayVersion"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\New\\Key"));

  // The transaction has ended: its key handles refuse further work.
  EXPECT_EQ(ERROR_TRANSACTION_NOT_ACTIVE, SetDword(settings, "UpdateSuccess", 0));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(settings));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(uninstall));
  EXPECT_TRUE(CloseHandle(transaction));
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

TEST_F(HostTransaction, RollbackAndClosingUncommittedLeaveTheRegistryAsItWas) {
  Seed();
  const std::string before = hostwin::RegistrySnapshot();
  for (bool explicitRollback : {true, false}) {
    HANDLE transaction = Begin();
    HKEY settings = CreateIn(transaction, HKEY_CURRENT_USER, kSettings);
    ASSERT_EQ(ERROR_SUCCESS, SetText(settings, "Version", "1.0.4.8219"));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(settings, nullptr));  // transacted handle
    HKEY added = CreateIn(transaction, HKEY_LOCAL_MACHINE, "Software\\Added");
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(added));
    if (explicitRollback) {
      EXPECT_TRUE(RollbackTransaction(transaction));
    }
    EXPECT_TRUE(CloseHandle(transaction));
    EXPECT_EQ(before, hostwin::RegistrySnapshot()) << explicitRollback;
    EXPECT_EQ(ERROR_TRANSACTION_NOT_ACTIVE, RegDeleteValueA(settings, "Version"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(settings));
  }
}

TEST_F(HostTransaction, TransactedDeleteFollowsThePlainRules) {
  Seed();
  HANDLE transaction = Begin();
  // A key with subkeys stays; a missing one is not found; the leaf goes.
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyTransactedA(HKEY_CURRENT_USER, kSettings,
                                                         KEY_WOW64_32KEY, 0, transaction, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegDeleteKeyTransactedA(HKEY_CURRENT_USER, "Software\\Absent", KEY_WOW64_32KEY, 0,
                                    transaction, nullptr));
  const std::string sub = std::string(kSettings) + "\\SUB";
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyTransactedA(HKEY_CURRENT_USER, sub.c_str(), KEY_WOW64_32KEY,
                                                   0, transaction, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyTransactedA(HKEY_CURRENT_USER, kSettings, KEY_WOW64_32KEY, 0,
                                                   transaction, nullptr));

  // The enumeration inside sees the emptied parent; outside both keys are still there.
  HKEY viewer = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyTransactedA(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer",
                                                 0, KEY_READ, &viewer, transaction, nullptr));
  char name[MAX_PATH];
  DWORD size = sizeof name;
  EXPECT_EQ(ERROR_NO_MORE_ITEMS,
            RegEnumKeyExA(viewer, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(viewer));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, sub));

  ASSERT_TRUE(CommitTransaction(transaction));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Dravenholt\\Viewer"));
  EXPECT_TRUE(CloseHandle(transaction));
}

TEST_F(HostTransaction, CommitKeepsWhatOthersChangedMeanwhile) {
  Seed();
  HANDLE transaction = Begin();
  HKEY settings = CreateIn(transaction, HKEY_CURRENT_USER, kSettings);
  ASSERT_EQ(ERROR_SUCCESS, SetDword(settings, "UpdateSuccess", 1));
  // Written outside after the transaction first looked: the transaction does not see
  // it, and its commit does not undo it.
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kSettings, "ProxyName", "proxy"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(settings, "ProxyName", nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(CommitTransaction(transaction));
  EXPECT_EQ(std::optional<std::string>("proxy"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kSettings, "ProxyName"));
  EXPECT_EQ(std::optional<DWORD>(1),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, kSettings, "UpdateSuccess"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(settings));
  EXPECT_TRUE(CloseHandle(transaction));
}

TEST_F(HostTransaction, EndedOrFalseTransactionsAreRefusedWithTheirCodes) {
  HANDLE committed = Begin();
  ASSERT_TRUE(CommitTransaction(committed));
  SetLastError(0);
  EXPECT_FALSE(CommitTransaction(committed));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_ALREADY_COMMITTED), GetLastError());
  EXPECT_FALSE(RollbackTransaction(committed));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_ALREADY_COMMITTED), GetLastError());
  HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(ERROR_TRANSACTION_NOT_ACTIVE,
            RegCreateKeyTransactedA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key, nullptr, committed, nullptr));
  EXPECT_EQ(nullptr, key);

  HANDLE aborted = Begin();
  ASSERT_TRUE(RollbackTransaction(aborted));
  EXPECT_FALSE(RollbackTransaction(aborted));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_ALREADY_ABORTED), GetLastError());
  EXPECT_FALSE(CommitTransaction(aborted));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_ALREADY_ABORTED), GetLastError());
  EXPECT_EQ(ERROR_TRANSACTION_NOT_ACTIVE, RegOpenKeyTransactedA(HKEY_CURRENT_USER, "Software", 0,
                                                                KEY_READ, &key, aborted, nullptr));
  EXPECT_TRUE(CloseHandle(committed));
  EXPECT_TRUE(CloseHandle(aborted));

  // A closed handle, null, or a handle that is not a transaction.
  for (HANDLE wrong : {committed, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegCreateKeyTransactedA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr, wrong, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyTransactedA(HKEY_CURRENT_USER, "Software", 0,
                                                          KEY_READ, &key, wrong, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegDeleteKeyTransactedA(HKEY_CURRENT_USER, "Software", 0, 0, wrong, nullptr));
    EXPECT_FALSE(CommitTransaction(wrong));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(RollbackTransaction(wrong));
  }
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kSettings));
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
}

TEST_F(HostTransaction, InjectedFaultsReachEveryStep) {
  Seed();
  const std::string before = hostwin::RegistrySnapshot();
  hostwin::InjectFault(Fault{"CreateTransaction", "", 1, ERROR_NOT_ENOUGH_MEMORY});
  EXPECT_EQ(INVALID_HANDLE_VALUE,
            CreateTransaction(nullptr, nullptr, TRANSACTION_DO_NOT_PROMOTE, 0, 0, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());

  HANDLE transaction = Begin();
  // By the key's full path, whichever way the caller spelled it.
  hostwin::InjectFault(Fault{"RegCreateKeyTransactedA", kUninstall, 0, ERROR_CALL_NOT_IMPLEMENTED});
  HKEY key = nullptr;
  HKEY software = CreateIn(transaction, HKEY_LOCAL_MACHINE, "Software\\Microsoft");
  EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED,
            RegCreateKeyTransactedA(
                software, "windows\\CurrentVersion\\Uninstall\\Dravenholt Viewer", 0, nullptr, 0,
                KEY_SET_VALUE, nullptr, &key, nullptr, transaction, nullptr));
  EXPECT_EQ(nullptr, key);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(software));
  // A value call by its key's path: every write below the settings key fails.
  hostwin::InjectFault(Fault{"RegSetValueExA", kSettings, 0, ERROR_WRITE_FAULT});
  HKEY settings = CreateIn(transaction, HKEY_CURRENT_USER, kSettings);
  EXPECT_EQ(ERROR_WRITE_FAULT, SetText(settings, "Version", "1.0.4.8219"));
  EXPECT_EQ(ERROR_WRITE_FAULT, SetDword(settings, "UpdateSuccess", 1));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(settings));
  hostwin::InjectFault(Fault{"RegDeleteKeyTransactedA", "", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyTransactedA(HKEY_CURRENT_USER, "Software\\Absent", 0,
                                                         0, transaction, nullptr));

  // A failed commit leaves the transaction open, to be rolled back; a failed rollback
  // reports its error, and the uncommitted work still dies with the handle.
  hostwin::InjectFault(Fault{"CommitTransaction", "", 1, ERROR_TRANSACTION_NOT_ACTIVE});
  EXPECT_FALSE(CommitTransaction(transaction));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_NOT_ACTIVE), GetLastError());
  hostwin::InjectFault(Fault{"RollbackTransaction", "", 1, ERROR_INVALID_FUNCTION});
  EXPECT_FALSE(RollbackTransaction(transaction));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), GetLastError());
  EXPECT_TRUE(CloseHandle(transaction));
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_EQ(1, hostwin::CallCount("CommitTransaction"));
}

TEST_F(HostTransaction, ResetRollsBackOpenTransactions) {
  HANDLE transaction = Begin();
  HKEY key = CreateIn(transaction, HKEY_CURRENT_USER, kSettings);
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "UpdateSuccess", 1));
  hostwin::ResetAll();
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ("HKEY_CURRENT_USER\nHKEY_LOCAL_MACHINE\n", hostwin::RegistrySnapshot());
  EXPECT_FALSE(CommitTransaction(transaction));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

}  // namespace
