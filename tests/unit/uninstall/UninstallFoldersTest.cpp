// The shell-side deletions of the uninstall: trees, the contents folder and its
// parent, and the Start-menu entries.
#include <gtest/gtest.h>

#include <string>

#include "uninstall/UninstallFolders.h"
#include "unit/uninstall/UninstallFixture.h"

namespace {

using namespace uninstalltest;

class UninstallFoldersTest : public UninstallFixture {};

TEST_F(UninstallFoldersTest, DeleteTreeRefusesWhatItCannotNameExactly) {
  // A path the MAX_PATH buffer cannot hold with its two NULs is not shortened into
  // the name of another tree.
  const std::string base = "C:\\long";
  MakeFolder(base);
  const std::string longPath = base + "\\" + std::string(MAX_PATH - 2 - base.size(), 'x');
  ASSERT_EQ(static_cast<size_t>(MAX_PATH - 1), longPath.size());
  hostwin::InjectFault({"SHFileOperationA", "", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, DeleteTree(longPath.c_str(), nullptr));
  EXPECT_EQ(0, DeleteTree("", nullptr));
  EXPECT_EQ(0, DeleteTree(nullptr, nullptr));
  EXPECT_EQ(0, hostwin::CallCount("SHFileOperationA"));
  EXPECT_EQ(0, DeleteTree(base.c_str(), nullptr));  // the shell's failure
  EXPECT_EQ(1, hostwin::CallCount("SHFileOperationA"));
  hostwin::ClearFaults();
  EXPECT_EQ(1, DeleteTree(base.c_str(), nullptr));
  EXPECT_FALSE(Exists(base));
}

TEST_F(UninstallFoldersTest, DeleteContentsTakesTheParentOnlyWhenEmpty) {
  MakeFolder("C:\\c");
  MakeFolder("C:\\c\\data");
  Put("C:\\c\\data\\f.bin");
  EXPECT_EQ(1, DeleteContents("C:\\c\\data\\", nullptr));  // a final backslash too
  EXPECT_FALSE(Exists("C:\\c"));

  MakeFolder("C:\\c");
  MakeFolder("C:\\c\\data");
  Put("C:\\c\\other.txt");
  EXPECT_EQ(1, DeleteContents("C:\\c\\data", nullptr));
  EXPECT_FALSE(Exists("C:\\c\\data"));
  EXPECT_TRUE(Exists("C:\\c\\other.txt"));

  EXPECT_EQ(0, DeleteContents("C:\\c\\data", nullptr));  // gone already
  // Gone already with its parent left empty (a removal cut short): the parent goes.
  MakeFolder("C:\\e");
  EXPECT_EQ(0, DeleteContents("C:\\e\\data", nullptr));
  EXPECT_FALSE(Exists("C:\\e"));
  Put("C:\\c\\表");  // ends in 0x5C, yet no folder separator
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\c"));
  EXPECT_EQ(0, DeleteContents("表", nullptr));  // no parent folder to remove
  EXPECT_FALSE(Exists("C:\\c\\表"));
}

TEST_F(UninstallFoldersTest, RemoveStartMenuKeepsAFolderThatHoldsMore) {
  PutShortcuts();
  Put(std::string(kPrograms) + "\\Dravenholt\\readme.txt");
  EXPECT_EQ(1, RemoveStartMenu(nullptr));
  EXPECT_FALSE(Exists(std::string(kPrograms) + "\\Dravenholt\\Dravenholtビューア.lnk"));
  EXPECT_TRUE(Exists(std::string(kPrograms) + "\\Dravenholt"));

  hostwin::InjectFault({"SHGetSpecialFolderLocation", "2", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(0, RemoveStartMenu(nullptr));
  ASSERT_EQ(1u, hostwin::MessageJournal().size());
  EXPECT_EQ("hres", hostwin::MessageJournal()[0].text);
}

}  // namespace
