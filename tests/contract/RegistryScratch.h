// The registry contract tests' fixture: every test works below a scratch key of its own
// under HKEY_CURRENT_USER, removed before and after it. Each test has its own key
// directly under Software, as the tests run in parallel and removing a shared parent
// could pull it from under another test's key creation.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win.h"

class RegistryScratch : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch = std::string("Software\\DHViewSetupContractTests-") + test->test_suite_name() + "-" +
              test->name();
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, scratch.c_str()); }

  std::string Path(const char* below) const { return scratch + "\\" + below; }

  // Creates (or opens) a key below the scratch key; null on failure.
  HKEY Create(const char* below, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExA(HKEY_CURRENT_USER, Path(below).c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition);
    EXPECT_EQ(ERROR_SUCCESS, status) << below;
    return key;
  }

  // Opens a key below the scratch key and reports the result.
  LSTATUS Open(const char* below, REGSAM access, HKEY* key) const {
    return RegOpenKeyExA(HKEY_CURRENT_USER, Path(below).c_str(), 0, access, key);
  }
  bool Exists(const char* below) const {
    HKEY key = nullptr;
    if (Open(below, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  static LSTATUS SetText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
  }
  static LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  }

  std::string scratch;
};
