// Registry keys and values: the host layer against Win32 (under Wine with code page
// 932). Deleting and enumerating keys: RegistryTreeContractTest.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "contract/RegistryScratch.h"
#include "platform/win.h"

namespace {

using RegistryContract = RegistryScratch;

TEST_F(RegistryContract, CreateMakesIntermediateKeysAndReportsDisposition) {
  DWORD disposition = 0;
  HKEY key = Create("Viewer\\1.0", KEY_ALL_ACCESS, &disposition);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  // Again, spelled differently and with the 32-bit view flag: the same key.
  key = Create("VIEWER\\1.0", KEY_SET_VALUE | KEY_WOW64_32KEY, &disposition);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  HKEY middle = nullptr;
  EXPECT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, Path("viewer").c_str(), 0, KEY_READ, &middle));
  ASSERT_NE(nullptr, middle);
  // A path relative to an open key, with a trailing backslash.
  HKEY child = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(middle, "1.0\\", 0, KEY_QUERY_VALUE, &child));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(middle));
}

TEST_F(RegistryContract, TextValueKeepsItsTerminatorInTheSize) {
  HKEY key = Create("Text");
  ASSERT_NE(nullptr, key);
  const char* folder = "C:\\Program Files\\Dravenholt\\Viewer";
  const DWORD expected = static_cast<DWORD>(std::strlen(folder) + 1);
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "InstallLocation", folder));

  DWORD type = 0, size = 0;
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key, "InstallLocation", nullptr, &type, nullptr, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(expected, size);

  char buf[260];
  std::memset(buf, 'x', sizeof buf);
  size = sizeof buf;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "InstallLocation", nullptr, &type,
                                            reinterpret_cast<BYTE*>(buf), &size));
  EXPECT_EQ(expected, size);
  EXPECT_STREQ(folder, buf);

  // Shift-JIS text comes back byte for byte.
  const char* name = "Dravenholtビューア";
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "DisplayName", name));
  size = sizeof buf;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "DisplayName", nullptr, &type,
                                            reinterpret_cast<BYTE*>(buf), &size));
  EXPECT_EQ(std::strlen(name) + 1, size);
  EXPECT_STREQ(name, buf);

  // A count that leaves the terminator out still stores a terminated text.
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, "Short", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3));
  std::memset(buf, 'x', sizeof buf);
  size = sizeof buf;
  EXPECT_EQ(ERROR_SUCCESS,
            RegQueryValueExA(key, "Short", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
  EXPECT_EQ(4u, size);
  EXPECT_STREQ("abc", buf);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryContract, DwordValueRoundTrips) {
  HKEY key = Create("Numbers");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "UpdateSuccess", 999));
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "Minus", 0xFFFFFFFFu));
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "UpdateSuccess", nullptr, &type,
                                            reinterpret_cast<BYTE*>(&value), &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(999u, value);
  size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Minus", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(&value), &size));
  EXPECT_EQ(0xFFFFFFFFu, value);
  // Overwriting changes the type too.
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "Minus", "-1"));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Minus", nullptr, &type, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryContract, SmallBufferGetsMoreDataAndTheNeededSize) {
  HKEY key = Create("Small");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "Version", "1.0.4.8219"));
  char buf[4];
  DWORD type = 0, size = sizeof buf;
  EXPECT_EQ(ERROR_MORE_DATA,
            RegQueryValueExA(key, "Version", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size));
  EXPECT_EQ(11u, size);
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  // A buffer without its size is refused rather than overrun.
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExA(key, "Version", nullptr, &type,
                                                      reinterpret_cast<BYTE*>(buf), nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryContract, MissingValueOrKeyIsFileNotFound) {
  HKEY key = Create("Present");
  ASSERT_NE(nullptr, key);
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(key, "Nothing", nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, "Nothing"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  HKEY missing = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, Path("Absent\\Deeper").c_str(),
                                                0, KEY_READ, &missing));
  EXPECT_EQ(nullptr, missing);
}

TEST_F(RegistryContract, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  HKEY key = Create("Case");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "fProxy", 1));
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "FPROXY", 0));
  DWORD value = 7, size = sizeof value;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "fproxy", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(&value), &size));
  EXPECT_EQ(0u, value);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  // Double-byte names: "ソ" ends in the byte of a backslash yet is one name, and
  // "ャ" (0x83 0x61) is not "ア" (0x83 0x41) although the trail bytes are 'a' and 'A'.
  DWORD disposition = 0;
  key = Create("ソフト", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  HKEY whole = nullptr;
  EXPECT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, Path("ソフト").c_str(), 0, KEY_READ, &whole));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(whole));
  key = Create("ャ", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  key = Create("ア", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryContract, DeletedValueIsGone) {
  HKEY key = Create("Delete");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "ContentsDir", "D:\\Contents"));
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, nullptr, "default"));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "CONTENTSDIR"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(key, "ContentsDir", nullptr, nullptr, nullptr, nullptr));
  // The default value answers to an empty name as to a null one.
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, nullptr));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryContract, HandleAllowsOnlyItsAccess) {
  HKEY key = Create("Access");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "Value", 1));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  HKEY reader = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, Path("Access").c_str(), 0, KEY_QUERY_VALUE, &reader));
  EXPECT_EQ(ERROR_ACCESS_DENIED, SetDword(reader, "Value", 2));
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteValueA(reader, "Value"));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(reader, "Value", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(reader));

  HKEY writer = Create("Access", KEY_SET_VALUE);
  ASSERT_NE(nullptr, writer);
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegQueryValueExA(writer, "Value", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, SetDword(writer, "Value", 3));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(writer));
}

TEST_F(RegistryContract, BadHandlesAndPathsAreRefused) {
  HKEY key = Create("Handles");
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
  EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
  EXPECT_EQ(ERROR_INVALID_HANDLE, SetDword(nullptr, "Value", 1));
  // Closing a predefined key is allowed and leaves it usable.
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER));

  HKEY opened = nullptr;
  EXPECT_EQ(ERROR_BAD_PATHNAME,
            RegOpenKeyExA(HKEY_CURRENT_USER, ("\\" + scratch).c_str(), 0, KEY_READ, &opened));
  EXPECT_EQ(nullptr, opened);
  EXPECT_EQ(ERROR_BAD_PATHNAME,
            RegCreateKeyExA(HKEY_CURRENT_USER, ("\\" + scratch).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &opened, nullptr));
  EXPECT_EQ(nullptr, opened);
  // A null pointer with a size is refused, not read.
  key = Create("Handles");
  EXPECT_EQ(ERROR_NOACCESS, RegSetValueExA(key, "Value", 0, REG_DWORD, nullptr, 4));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

}  // namespace
