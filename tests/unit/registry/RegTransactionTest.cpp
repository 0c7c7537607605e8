// The program's wrapper of the KTM and the transacted registry functions, on the host
// layer (Wine 8.0 has no KTM to run it against).
#include <gtest/gtest.h>

#include <string>

#include "platform/host/HostTest.h"
#include "registry/FixedKeys.h"
#include "registry/RegTransaction.h"

namespace {

using hostwin::Fault;

class RegTransaction : public ::testing::Test {
 protected:
  void SetUp() override {
    hostwin::ResetAll();
    ASSERT_TRUE(hostwin::RegistryWriteString(kSettingsKey.root, kSettingsKey.path, "Version",
                                             "1.0.3.9999"));
    ASSERT_TRUE(
        hostwin::RegistryCreateKey(kSettingsKey.root, std::string(kSettingsKey.path) + "\\Old"));
    before = hostwin::RegistrySnapshot();
  }
  void TearDown() override { hostwin::ResetAll(); }

  // Writes "Version" = 1.0.4.8219 into the settings key and deletes its "Old" subkey,
  // both in the transaction.
  static void Change(const cRegTransaction& transaction) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, cRegTransaction::CreateKey(transaction.Handle(), kSettingsKey.root,
                                                        kSettingsKey.path, KEY_SET_VALUE, &key));
    const char version[] = "1.0.4.8219";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                             sizeof version));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS,
              cRegTransaction::DeleteKey(transaction.Handle(), kSettingsKey.root,
                                         (std::string(kSettingsKey.path) + "\\Old").c_str()));
  }

  std::string before;
};

TEST_F(RegTransaction, CommitPublishesEveryChange) {
  cRegTransaction transaction;
  ASSERT_TRUE(transaction.Begin());
  ASSERT_NE(nullptr, transaction.Handle());
  Change(transaction);
  EXPECT_EQ(before, hostwin::RegistrySnapshot());

  // The open reads the transaction's view; outside, nothing shows before the commit.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, cRegTransaction::OpenKey(transaction.Handle(), kSettingsKey.root,
                                                    kSettingsKey.path, KEY_READ, &key));
  char name[MAX_PATH];
  DWORD size = sizeof name;
  EXPECT_EQ(ERROR_NO_MORE_ITEMS,
            RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  EXPECT_TRUE(transaction.Commit());
  transaction.Close();
  EXPECT_EQ(nullptr, transaction.Handle());
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Version"));
  EXPECT_FALSE(
      hostwin::RegistryKeyExists(kSettingsKey.root, std::string(kSettingsKey.path) + "\\Old"));
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
}

TEST_F(RegTransaction, RollbackOrDestructionWithoutCommitDropsEverything) {
  {
    cRegTransaction transaction;
    ASSERT_TRUE(transaction.Begin());
    Change(transaction);
    EXPECT_TRUE(transaction.Rollback());
  }
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  {
    cRegTransaction transaction;
    ASSERT_TRUE(transaction.Begin());
    Change(transaction);
  }
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_EQ(0u, hostwin::OpenHandleCount());
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
}

TEST_F(RegTransaction, FailuresPassThroughWithTheirCodes) {
  // No transaction from the KTM: no handle, nothing to commit or roll back, and the
  // registry calls refuse without reaching the system.
  hostwin::InjectFault(Fault{"CreateTransaction", "", 1, ERROR_NOT_ENOUGH_MEMORY});
  cRegTransaction transaction;
  EXPECT_FALSE(transaction.Begin());
  EXPECT_EQ(nullptr, transaction.Handle());
  EXPECT_FALSE(transaction.Commit());
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_FALSE(transaction.Rollback());
  HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(ERROR_INVALID_HANDLE,
            cRegTransaction::CreateKey(nullptr, kSettingsKey.root, kSettingsKey.path, KEY_SET_VALUE,
                                       &key));
  EXPECT_EQ(nullptr, key);
  EXPECT_EQ(ERROR_INVALID_HANDLE, cRegTransaction::OpenKey(nullptr, kSettingsKey.root,
                                                           kSettingsKey.path, KEY_READ, &key));
  EXPECT_EQ(ERROR_INVALID_HANDLE,
            cRegTransaction::DeleteKey(nullptr, kSettingsKey.root, kSettingsKey.path));
  EXPECT_EQ(0, hostwin::CallCount("RegCreateKeyTransactedA") +
                   hostwin::CallCount("RegOpenKeyTransactedA") +
                   hostwin::CallCount("RegDeleteKeyTransactedA"));

  // The codes of the system come back unchanged: Wine's 120 for the create, the
  // registry's own for a missing or a non-empty key.
  ASSERT_TRUE(transaction.Begin());
  hostwin::InjectFault(
      Fault{"RegCreateKeyTransactedA", kUninstallKey.path, 0, ERROR_CALL_NOT_IMPLEMENTED});
  EXPECT_EQ(ERROR_CALL_NOT_IMPLEMENTED,
            cRegTransaction::CreateKey(transaction.Handle(), kUninstallKey.root, kUninstallKey.path,
                                       KEY_SET_VALUE, &key));
  EXPECT_EQ(nullptr, key);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, cRegTransaction::OpenKey(transaction.Handle(), kUninstallKey.root,
                                                           kUninstallKey.path, KEY_READ, &key));
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            cRegTransaction::DeleteKey(transaction.Handle(), kSettingsKey.root, kSettingsKey.path));
  // A failed commit reports failure and the transaction can still be rolled back;
  // a failed rollback reports failure too.
  hostwin::InjectFault(Fault{"CommitTransaction", "", 1, ERROR_TRANSACTION_NOT_ACTIVE});
  EXPECT_FALSE(transaction.Commit());
  EXPECT_TRUE(transaction.Rollback());
  EXPECT_FALSE(transaction.Rollback());
  EXPECT_EQ(static_cast<DWORD>(ERROR_TRANSACTION_ALREADY_ABORTED), GetLastError());
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
}

TEST_F(RegTransaction, BeginStartsAFreshTransactionAfterAnEndedOne) {
  cRegTransaction transaction;
  ASSERT_TRUE(transaction.Begin());
  HANDLE first = transaction.Handle();
  ASSERT_TRUE(transaction.Commit());
  ASSERT_TRUE(transaction.Begin());
  EXPECT_NE(first, transaction.Handle());
  EXPECT_EQ(1u, hostwin::OpenHandleCount());  // the first one was closed
  Change(transaction);
  EXPECT_TRUE(transaction.Commit());
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(kSettingsKey.root, kSettingsKey.path, "Version"));
}

}  // namespace
