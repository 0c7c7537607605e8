// Host registry: what the contract tests cannot reach (fault injection, the test
// controls, handle bookkeeping, threads) and the layer's own refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/host/HostTest.h"
#include "platform/win.h"

namespace {

using hostwin::Fault;

constexpr char kKey[] = "Software\\Dravenholt\\Viewer\\1.0";

class HostRegistry : public ::testing::Test {
 protected:
  void SetUp() override { hostwin::ResetAll(); }
  void TearDown() override { hostwin::ResetAll(); }

  static HKEY Create(const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, access,
                                             nullptr, &key, nullptr));
    return key;
  }
  static LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  }
};

TEST_F(HostRegistry, SnapshotListsKeysAndValuesSortedWithTheirFirstSpelling) {
  HKEY key = Create("Software\\Zeta");
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  key = Create("SOFTWARE\\alpha\\Inner");
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "UpdateSuccess", 999));
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "updatesuccess", 1));  // keeps the first spelling
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, "Name", 0, REG_SZ, reinterpret_cast<const BYTE*>("ビューア"), 9));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Blob", 0, REG_BINARY,
                                          reinterpret_cast<const BYTE*>("\x01\0\xff"), 3));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, "Odd", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x07\0"), 2));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Empty", 0, REG_SZ, nullptr, 0));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_LOCAL_MACHINE, "Software\\M", "A", "b"));

  EXPECT_EQ(
      "HKEY_CURRENT_USER\n"
      "HKEY_CURRENT_USER\\Software\n"
      "HKEY_CURRENT_USER\\Software\\alpha\n"
      "HKEY_CURRENT_USER\\Software\\alpha\\Inner\n"
      "  @ REG_SZ \"x\"\n"
      "  \"Blob\" REG_BINARY [3] 01 00 ff\n"
      "  \"Empty\" REG_SZ [0]\n"
      "  \"Name\" REG_SZ \"ビューア\"\n"
      "  \"Odd\" REG_DWORD [2] 07 00\n"
      "  \"UpdateSuccess\" REG_DWORD 1\n"
      "HKEY_CURRENT_USER\\Software\\Zeta\n"
      "HKEY_LOCAL_MACHINE\n"
      "HKEY_LOCAL_MACHINE\\Software\n"
      "HKEY_LOCAL_MACHINE\\Software\\M\n"
      "  \"A\" REG_SZ \"b\"\n",
      hostwin::RegistrySnapshot());

  hostwin::ResetAll();
  EXPECT_EQ("HKEY_CURRENT_USER\nHKEY_LOCAL_MACHINE\n", hostwin::RegistrySnapshot());
}

TEST_F(HostRegistry, ReadersAndWritersBypassTheApi) {
  ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kKey, "UpdateSuccess", 999));
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, kKey, "Version", "1.0.4.8219"));
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_LOCAL_MACHINE, "Software\\Empty"));
  EXPECT_EQ(0, hostwin::CallCount("RegSetValueExA"));

  EXPECT_EQ(std::optional<DWORD>(999),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, "software\\DRAVENHOLT\\viewer\\1.0",
                                       "updatesuccess"));
  EXPECT_EQ(std::optional<std::string>("1.0.4.8219"),
            hostwin::RegistryReadString(HKEY_CURRENT_USER, kKey, "Version"));
  std::optional<hostwin::RegistryValue> raw =
      hostwin::RegistryReadValue(HKEY_CURRENT_USER, kKey, "VERSION");
  ASSERT_TRUE(raw.has_value());
  EXPECT_EQ("Version", raw->name);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw->type);
  EXPECT_EQ(std::string("1.0.4.8219", 11), raw->data);

  // A reader of the wrong type, a missing value, key or hive gives nothing.
  EXPECT_FALSE(hostwin::RegistryReadString(HKEY_CURRENT_USER, kKey, "UpdateSuccess"));
  EXPECT_FALSE(hostwin::RegistryReadDword(HKEY_CURRENT_USER, kKey, "Version"));
  EXPECT_FALSE(hostwin::RegistryReadDword(HKEY_CURRENT_USER, kKey, "Missing"));
  EXPECT_FALSE(hostwin::RegistryReadValue(HKEY_LOCAL_MACHINE, kKey, "Version"));
  EXPECT_TRUE(hostwin::RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\empty"));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Empty"));
  EXPECT_FALSE(hostwin::RegistryWriteDword(HKEY_USERS, "Software", "A", 1));
  EXPECT_FALSE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "\\Software"));
}

TEST_F(HostRegistry, InjectedFaultsReturnTheirErrorAndChangeNothing) {
  ASSERT_TRUE(hostwin::RegistryWriteDword(HKEY_CURRENT_USER, kKey, "UpdateSuccess", 1));
  const std::string before = hostwin::RegistrySnapshot();

  hostwin::InjectFault(Fault{"RegCreateKeyExA", "Software\\Other", 0, ERROR_DISK_FULL});
  HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(ERROR_DISK_FULL, RegCreateKeyExA(HKEY_CURRENT_USER, "software\\other", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_EQ(nullptr, key);
  hostwin::InjectFault(Fault{"RegOpenKeyExA", "", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key));
  EXPECT_EQ(nullptr, key);
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());

  // The second write of UpdateSuccess fails; other names are not affected.
  key = Create(kKey);
  hostwin::InjectFault(Fault{"RegSetValueExA", "UPDATESUCCESS", 2, ERROR_WRITE_FAULT});
  hostwin::InjectFault(Fault{"RegDeleteValueA", "UpdateSuccess", 0, ERROR_ACCESS_DENIED});
  hostwin::InjectFault(Fault{"RegQueryValueExA", "UpdateSuccess", 0, ERROR_READ_FAULT});
  EXPECT_EQ(ERROR_SUCCESS, SetDword(key, "UpdateSuccess", 1));
  EXPECT_EQ(ERROR_WRITE_FAULT, SetDword(key, "UpdateSuccess", 0));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(key, "UpdateSuccess"));
  EXPECT_EQ(ERROR_READ_FAULT,
            RegQueryValueExA(key, "UpdateSuccess", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(key, "Other", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(before, hostwin::RegistrySnapshot());

  // A failed close leaves the handle open, as the caller cannot tell otherwise.
  hostwin::InjectFault(Fault{"RegCloseKey", "", 1, ERROR_INVALID_HANDLE});
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
  EXPECT_EQ(1, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(3, hostwin::CallCount("RegSetValueExA") + hostwin::CallCount("RegDeleteValueA"));
}

TEST_F(HostRegistry, SnapshotEscapesWhatCouldFakeAFieldOrALine) {
  // Each of these would print like a plain "A" = "b" or a second key line unescaped.
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, "K", "A\" REG_SZ \"b", "c"));
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, "K", "Path", "C:\\x\"\nHKEY_X"));
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "K\\Line\nHKEY_LOCAL_MACHINE"));
  // A trail byte equal to a backslash is part of its character, not escaped.
  ASSERT_TRUE(hostwin::RegistryWriteString(HKEY_CURRENT_USER, "K", "ソ", "ソフト"));
  EXPECT_EQ(
      "HKEY_CURRENT_USER\n"
      "HKEY_CURRENT_USER\\K\n"
      "  \"A\\\" REG_SZ \\\"b\" REG_SZ \"c\"\n"
      "  \"Path\" REG_SZ \"C:\\\\x\\\"\\x0aHKEY_X\"\n"
      "  \"ソ\" REG_SZ \"ソフト\"\n"
      "HKEY_CURRENT_USER\\K\\Line\\x0aHKEY_LOCAL_MACHINE\n"
      "HKEY_LOCAL_MACHINE\n",
      hostwin::RegistrySnapshot());
}

TEST_F(HostRegistry, FaultsNameAKeyByItsFullPathAndAValueByItsKey) {
  HKEY software = Create("Software");
  // The sub-key as given is relative; the full path below the hive matches too.
  hostwin::InjectFault(Fault{"RegCreateKeyExA", kKey, 0, ERROR_DISK_FULL});
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_DISK_FULL, RegCreateKeyExA(software, "DRAVENHOLT\\Viewer\\1.0", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, kKey));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(software, "Dravenholt\\Other", 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
  // Value calls: by the value's name or by the path of the key they work on.
  hostwin::InjectFault(
      Fault{"RegSetValueExA", "Software\\Dravenholt\\Other", 0, ERROR_WRITE_FAULT});
  EXPECT_EQ(ERROR_WRITE_FAULT, SetDword(key, "Any", 1));
  EXPECT_EQ(ERROR_SUCCESS, SetDword(software, "Any", 1));
  ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  // The key calls added for deletion and enumeration meet faults as well.
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\Tree\\Leaf"));
  const std::string before = hostwin::RegistrySnapshot();
  hostwin::InjectFault(Fault{"RegDeleteKeyA", "Software\\Tree\\Leaf", 0, ERROR_ACCESS_DENIED});
  hostwin::InjectFault(Fault{"RegDeleteTreeA", "Software\\Tree", 0, ERROR_WRITE_FAULT});
  hostwin::InjectFault(Fault{"RegEnumKeyExA", "Software", 1, ERROR_NOT_ENOUGH_MEMORY});
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(software, "Tree\\Leaf"));
  EXPECT_EQ(ERROR_WRITE_FAULT, RegDeleteTreeA(HKEY_CURRENT_USER, "software\\tree"));
  char name[MAX_PATH];
  DWORD size = sizeof name;
  EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY,
            RegEnumKeyExA(software, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(before, hostwin::RegistrySnapshot());
  EXPECT_EQ(ERROR_SUCCESS,
            RegEnumKeyExA(software, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STREQ("Dravenholt", name);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(software));
}

TEST_F(HostRegistry, DeletionAndEnumerationRefuseBadArguments) {
  HKEY key = Create("Software\\Doomed");
  // No sub-key at all is refused; an empty one names the key itself; a hive stays.
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyA(key, nullptr));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, ""));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(key, ""));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Doomed"));
  EXPECT_EQ(ERROR_KEY_DELETED, RegDeleteTreeA(key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegDeleteKeyA(nullptr, "Software"));

  key = Create("Software");
  char name[MAX_PATH];
  DWORD size = sizeof name;
  DWORD reserved = 0;
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegEnumKeyExA(key, 0, nullptr, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegEnumKeyExA(key, 0, name, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegEnumKeyExA(key, 0, name, &size, &reserved, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegEnumKeyExA(key, 0, name, &size, nullptr, name, nullptr, nullptr));
  // The class and time come back empty.
  ASSERT_TRUE(hostwin::RegistryCreateKey(HKEY_CURRENT_USER, "Software\\A"));
  char keyClass[4] = "xyz";
  DWORD classSize = sizeof keyClass;
  FILETIME time = {1, 2};
  EXPECT_EQ(ERROR_SUCCESS,
            RegEnumKeyExA(key, 0, name, &size, nullptr, keyClass, &classSize, &time));
  EXPECT_STREQ("", keyClass);
  EXPECT_EQ(0u, classSize);
  EXPECT_EQ(0u, time.dwLowDateTime | time.dwHighDateTime);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(HostRegistry, HandlesAreCountedAndDieWithTheReset) {
  HKEY first = Create("Software\\A");
  HKEY second = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(first, nullptr, 0, KEY_READ, &second));
  EXPECT_NE(first, second);
  EXPECT_EQ(2, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(second));
  EXPECT_EQ(1, hostwin::RegistryOpenKeyCount());

  // An empty sub-key opens the same key again: a value written there shows above.
  HKEY same = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(first, "", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &same,
                                           &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, SetDword(same, "V", 5));
  EXPECT_EQ(std::optional<DWORD>(5),
            hostwin::RegistryReadDword(HKEY_CURRENT_USER, "Software\\A", "V"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(same));

  hostwin::ResetAll();
  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  EXPECT_EQ(ERROR_INVALID_HANDLE, SetDword(first, "V", 1));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(first));
  // A fresh handle never reuses the value of a stale one.
  HKEY fresh = Create("Software\\A");
  EXPECT_NE(first, fresh);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(fresh));
}

TEST_F(HostRegistry, RefusesWhatWin32WouldRefuseWithoutCrashing) {
  // The hives the program never uses are not offered.
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCreateKeyExA(HKEY_CLASSES_ROOT, "x", 0, nullptr, 0,
                                                  KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExA(HKEY_USERS, "x", 0, KEY_READ, &key));
  // No result pointer, or a reserved argument, is an error rather than a crash.
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyExA(HKEY_CURRENT_USER, "x", 0, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExA(HKEY_CURRENT_USER, "x", 0, KEY_READ, nullptr));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyExA(HKEY_CURRENT_USER, "x", 1, nullptr, 0,
                                                     KEY_ALL_ACCESS, nullptr, &key, nullptr));
  EXPECT_FALSE(hostwin::RegistryKeyExists(HKEY_CURRENT_USER, "x"));

  key = Create("Software\\Q");
  DWORD reserved = 0;
  EXPECT_EQ(ERROR_INVALID_PARAMETER,
            RegQueryValueExA(key, "V", &reserved, nullptr, nullptr, nullptr));
  // Too small a buffer is left as it was.
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "V", 0x01020304));
  BYTE buf[3] = {9, 9, 9};
  DWORD size = sizeof buf;
  EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "V", nullptr, nullptr, buf, &size));
  EXPECT_EQ(4u, size);
  EXPECT_EQ(9, buf[0]);
  // Generic rights grant the key rights they stand for.
  HKEY reader = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(key, nullptr, 0, 0x80000000 /* GENERIC_READ */, &reader));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(reader, "V", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(reader, "V", 1));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(reader));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(HostRegistry, WorkerThreadAndMainThreadWriteSideBySide) {
  constexpr int kWrites = 200;
  auto writer = [](const char* path) {
    for (int i = 0; i < kWrites; ++i) {
      HKEY key = nullptr;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
      }
      std::string name = "V" + std::to_string(i);
      DWORD value = static_cast<DWORD>(i);
      RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
      RegCloseKey(key);
    }
  };
  std::thread worker(writer, "Software\\Shared\\Worker");
  writer("Software\\Shared\\Main");
  worker.join();

  EXPECT_EQ(0, hostwin::RegistryOpenKeyCount());
  for (int i = 0; i < kWrites; ++i) {
    std::string name = "V" + std::to_string(i);
    EXPECT_EQ(std::optional<DWORD>(i),
              hostwin::RegistryReadDword(HKEY_CURRENT_USER, "Software\\Shared\\Worker", name));
    EXPECT_EQ(std::optional<DWORD>(i),
              hostwin::RegistryReadDword(HKEY_CURRENT_USER, "Software\\Shared\\Main", name));
  }
}

}  // namespace
