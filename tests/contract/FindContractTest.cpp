// Folder enumeration: the host layer against Win32. Windows and Wine list entries in
// different orders, so results are compared as sorted sets.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace {

using dhtest::ScratchFolder;
using dhtest::WriteFileBytes;

// Name -> attributes of every entry the pattern finds; empty when the search fails,
// with its error in *error.
std::map<std::string, WIN32_FIND_DATAA> Find(const std::string& pattern, DWORD* error = nullptr) {
  std::map<std::string, WIN32_FIND_DATAA> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return found;
  }
  do {
    found[data.cFileName] = data;
  } while (FindNextFileA(search, &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), GetLastError());
  EXPECT_TRUE(FindClose(search));
  return found;
}

std::set<std::string> Names(const std::map<std::string, WIN32_FIND_DATAA>& found) {
  std::set<std::string> names;
  for (const auto& entry : found) names.insert(entry.first);
  return names;
}

class FindContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteFileBytes(dir.Child("b.txt"), "12345"));
    ASSERT_TRUE(WriteFileBytes(dir.Child("A.TXT"), ""));
    ASSERT_TRUE(WriteFileBytes(dir.Child("c.dat"), "1"));
    ASSERT_TRUE(CreateDirectoryA(dir.Child("sub").c_str(), nullptr));
  }
  ScratchFolder dir;
};

TEST_F(FindContract, StarListsEveryEntryWithDotAndDotDot) {
  auto found = Find(dir.Child("*"));
  EXPECT_EQ((std::set<std::string>{".", "..", "A.TXT", "b.txt", "c.dat", "sub"}), Names(found));
  EXPECT_TRUE(found["."].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(found[".."].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(found["sub"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(found["b.txt"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(5u, found["b.txt"].nFileSizeLow);
  EXPECT_EQ(0u, found["b.txt"].nFileSizeHigh);
  EXPECT_EQ(Names(found), Names(Find(dir.Child("*.*"))));
}

TEST_F(FindContract, ExtensionPatternsIgnoreCase) {
  EXPECT_EQ((std::set<std::string>{"A.TXT", "b.txt"}), Names(Find(dir.Child("*.txt"))));
  EXPECT_EQ((std::set<std::string>{"A.TXT", "b.txt"}), Names(Find(dir.Child("?.TxT"))));
  EXPECT_EQ((std::set<std::string>{"c.dat"}), Names(Find(dir.Child("c*"))));
  // Without wildcards the one entry comes back under its stored name.
  EXPECT_EQ((std::set<std::string>{"b.txt"}), Names(Find(dir.Child("B.TXT"))));
  EXPECT_EQ((std::set<std::string>{"sub"}), Names(Find(dir.Child("SUB"))));
}

TEST_F(FindContract, FailuresSayWhy) {
  DWORD error = 0;
  EXPECT_TRUE(Find(dir.Child("*.none"), &error).empty());
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);
  EXPECT_TRUE(Find(dir.Child("missing\\*"), &error).empty());
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), error);
  EXPECT_TRUE(Find(dir.Child("sub\\"), &error).empty());
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);

  WIN32_FIND_DATAA data;
  EXPECT_FALSE(FindNextFileA(nullptr, &data));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
  EXPECT_FALSE(FindClose(nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(FindContract, EmptyFolderHoldsOnlyDots) {
  EXPECT_EQ((std::set<std::string>{".", ".."}), Names(Find(dir.Child("sub\\*"))));
}

}  // namespace
