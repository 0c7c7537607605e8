// Deleting and enumerating registry keys: the host layer against Win32 (under Wine
// with code page 932). The transacted functions are not here: Wine has none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/RegistryScratch.h"
#include "platform/win.h"

namespace {

using RegistryTreeContract = RegistryScratch;

// Every subkey name of an open key in enumeration order, until the first failure,
// whose code ends up in *last.
std::vector<std::string> SubkeyNames(HKEY key, LSTATUS* last) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[MAX_PATH];
    DWORD size = sizeof name;
    *last = RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (*last != ERROR_SUCCESS) return names;
    EXPECT_EQ(std::string(name).size(), size);
    names.push_back(name);
  }
}

TEST_F(RegistryTreeContract, DeleteKeyRefusesWhileSubkeysRemain) {
  HKEY key = Create("Viewer\\1.0");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, SetText(key, "Version", "1.0.4.8219"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));

  // "Viewer" still holds "1.0": refused, and nothing goes.
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(HKEY_CURRENT_USER, Path("Viewer").c_str()));
  EXPECT_TRUE(Exists("Viewer\\1.0"));

  // The leaf goes (with its values), whatever the spelling; then its parent may go.
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, Path("VIEWER\\1.0").c_str()));
  EXPECT_FALSE(Exists("Viewer\\1.0"));
  EXPECT_TRUE(Exists("Viewer"));
  HKEY parent = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("", KEY_ALL_ACCESS, &parent));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent, "viewer"));
  EXPECT_FALSE(Exists("Viewer"));
  // A key that is not there.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(parent, "Viewer"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyA(HKEY_CURRENT_USER, Path("No\\Such").c_str()));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(parent));
}

TEST_F(RegistryTreeContract, HandleOfADeletedKeyReportsKeyDeleted) {
  HKEY key = Create("Doomed");
  ASSERT_NE(nullptr, key);
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, Path("Doomed").c_str()));
  EXPECT_EQ(ERROR_KEY_DELETED, SetDword(key, "UpdateSuccess", 1));
  EXPECT_EQ(ERROR_KEY_DELETED,
            RegQueryValueExA(key, "UpdateSuccess", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  EXPECT_FALSE(Exists("Doomed"));
}

TEST_F(RegistryTreeContract, DeleteTreeRemovesTheKeyWithEverythingBelow) {
  for (const char* path : {"Viewer\\1.0\\Deep\\Deeper", "Viewer\\1.0\\Other", "Viewer\\Keep"}) {
    HKEY key = Create(path);
    ASSERT_NE(nullptr, key);
    ASSERT_EQ(ERROR_SUCCESS, SetDword(key, "V", 1));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  }
  HKEY settings = Create("Viewer\\1.0");
  ASSERT_NE(nullptr, settings);
  ASSERT_EQ(ERROR_SUCCESS, SetText(settings, "AppDataDir", "C:\\Data"));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(settings));

  EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, Path("viewer\\1.0").c_str()));
  EXPECT_FALSE(Exists("Viewer\\1.0"));
  EXPECT_TRUE(Exists("Viewer\\Keep"));
  // A tree that is not there.
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteTreeA(HKEY_CURRENT_USER, Path("Viewer\\1.0").c_str()));

  // Without a sub-key the contents go and the key stays.
  HKEY viewer = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("Viewer", KEY_ALL_ACCESS, &viewer));
  ASSERT_EQ(ERROR_SUCCESS, SetText(viewer, "Name", "x"));
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(viewer, nullptr));
  EXPECT_FALSE(Exists("Viewer\\Keep"));
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(viewer, "Name", nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(viewer));
  EXPECT_TRUE(Exists("Viewer"));
}

TEST_F(RegistryTreeContract, EnumerationIsSortedWithoutRegardToCase) {
  for (const char* name : {"Gamma", "alpha", "delta", "Beta", "1.0", "ビューア"}) {
    HKEY key = Create((std::string("List\\") + name).c_str());
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  }
  HKEY inner = Create("List\\Beta\\Inner");  // below a subkey: not listed
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(inner));

  HKEY list = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("List", KEY_READ | KEY_WOW64_32KEY, &list));
  LSTATUS last = ERROR_SUCCESS;
  const std::vector<std::string> expected = {"1.0", "alpha", "Beta", "delta", "Gamma", "ビューア"};
  EXPECT_EQ(expected, SubkeyNames(list, &last));
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, last);

  // The size counts the terminator on the way in: a name of its exact length does not fit.
  char name[8] = {};
  DWORD size = 5;  // "alpha"
  EXPECT_EQ(ERROR_MORE_DATA,
            RegEnumKeyExA(list, 1, name, &size, nullptr, nullptr, nullptr, nullptr));
  size = 6;
  EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyExA(list, 1, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_STREQ("alpha", name);
  EXPECT_EQ(5u, size);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(list));

  // Enumerating needs the right to.
  HKEY reader = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("List", KEY_QUERY_VALUE, &reader));
  size = sizeof name;
  EXPECT_EQ(ERROR_ACCESS_DENIED,
            RegEnumKeyExA(reader, 0, name, &size, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(reader));
}

TEST_F(RegistryTreeContract, EmptyKeyEnumeratesNothingAndDeletionShowsAtOnce) {
  HKEY key = Create("Parent\\Child");
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
  HKEY parent = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, Open("Parent", KEY_ALL_ACCESS, &parent));
  LSTATUS last = ERROR_SUCCESS;
  EXPECT_EQ(std::vector<std::string>{"Child"}, SubkeyNames(parent, &last));
  // Names collected before deleting stay valid to delete one by one.
  EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(parent, "Child"));
  EXPECT_EQ(std::vector<std::string>{}, SubkeyNames(parent, &last));
  EXPECT_EQ(ERROR_NO_MORE_ITEMS, last);
  EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(parent));
}

}  // namespace
