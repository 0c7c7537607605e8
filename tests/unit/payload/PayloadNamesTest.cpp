// The one rule for the names the installer, the update and the uninstaller act on, and
// the folder test, read by Shift-JIS character whatever the system's ANSI code page is
// (these tests run under Wine too, where it need not be 932).
#include <gtest/gtest.h>

#include "payload/PayloadNames.h"

namespace {

TEST(PayloadNamesTest, FolderTestReadsByCharacter) {
  const struct {
    const char* name;
    bool folder;
  } cases[] = {
      {"#PROGRAMFILES#\\", true},
      {"#PROGRAMFILES#\\help\\", true},
      {"#PROGRAMFILES#\\表", false},  // 0x95 0x5C: a file
      {"#PROGRAMFILES#\\ソ", false},
      {"#PROGRAMFILES#\\能", false},
      {"#PROGRAMFILES#\\十", false},
      {"#PROGRAMFILES#\\予", false},
      {"#PROGRAMFILES#\\予定表\\", true},  // the real separator after the character
      {"#PROGRAMFILES#\\a.txt", false},
      {"\\", true},
      {"", false},
      {nullptr, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.folder, IsFolderEntry(c.name)) << (c.name ? c.name : "(null)");
  }
  const char* name = "a\\表";
  EXPECT_EQ(name + 1, LastNameSeparator(name));
  EXPECT_EQ(nullptr, LastNameSeparator("表"));
}

TEST(PayloadNamesTest, OnlyNamesBelowAPlaceholderArePaths) {
  const struct {
    const char* name;
    bool accepted;
  } cases[] = {
      {"#PROGRAMFILES#\\", true},
      {"#APPDATA#\\", true},
      {"#PROGRAMFILES#\\DHViewer.exe", true},
      {"#PROGRAMFILES#\\help\\", true},
      {"#PROGRAMFILES#\\help\\はじめに.html", true},
      {"#APPDATA#\\Model\\表示設定.txt", true},
      {"#PROGRAMFILES#\\予定表", true},
      {"#PROGRAMFILES#\\..x", true},  // dots inside a name are no ".." component
      {"#PROGRAMFILES#\\表\\..\\", false},  // 0x5C inside "表" hides no separator
      {"#PROGRAMFILES#\\..\\..\\x", false},
      {"#PROGRAMFILES#\\a\\..\\x", false},
      {"#PROGRAMFILES#\\.\\x", false},
      {"#PROGRAMFILES#\\a\\.\\", false},
      {"#PROGRAMFILES#\\..", false},
      {"#PROGRAMFILES#\\.. \\x", false},  // Windows drops the space: a climb
      {"#PROGRAMFILES#\\...\\x", false},
      {"#PROGRAMFILES#\\a.\\x", false},
      {"#PROGRAMFILES#\\a \\", false},
      {"#PROGRAMFILES#\\\\x", false},  // a leading backslash after the placeholder
      {"#PROGRAMFILES#\\a\\\\x", false},
      {"#PROGRAMFILES#\\C:\\Windows\\x", false},
      {"#PROGRAMFILES#\\a:b", false},
      {"#PROGRAMFILES#\\../../x", false},  // Windows takes '/' for a separator
      {"#PROGRAMFILES#\\#APPDATA#\\x", false},
      {"#APPDATA#\\x#PROGRAMFILES#", false},
      {"#PROGRAMFILES#", false},
      {"#PROGRAMFILES#x", false},
      {"#programfiles#\\x", false},  // the expansion matches the placeholder with case
      {"C:\\Windows\\x", false},
      {"\\\\server\\share\\x", false},
      {"\\x", false},
      {"x", false},
      {"SetupInfo.xml", false},
      {"", false},
      {nullptr, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.accepted, IsProductPath(c.name, false)) << (c.name ? c.name : "(null)");
  }
  EXPECT_TRUE(IsProductPath("SetupInfo.xml", true));
  EXPECT_TRUE(IsProductPath("setupinfo.XML", true));
  EXPECT_FALSE(IsProductPath("#PROGRAMFILES#\\..\\x", true));
}

TEST(PayloadNamesTest, ApplicationDataFilesOnlyWhereTheUpdateCanRestoreThem) {
  const struct {
    const char* name;
    bool restorable;
  } cases[] = {
      {"#APPDATA#\\Collections\\collections.xml", true},
      {"#APPDATA#\\Model\\default.ini", true},
      {"#APPDATA#\\model\\x\\y.ini", true},
      {"#APPDATA#\\Collections\\", true},
      {"#APPDATA#\\Other\\", true},  // a folder holds nothing of the user's yet
      {"#APPDATA#\\", true},
      {"#APPDATA#\\NNJ.dat", false},
      {"#APPDATA#\\Other\\x.txt", false},
      {"#APPDATA#\\Collections.txt", false},
      {"#APPDATA#\\ModelX\\a", false},
      {"#PROGRAMFILES#\\Other\\x.txt", true},
      {"SetupInfo.xml", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.restorable, IsRestorableAppDataFile(c.name)) << c.name;
}

}  // namespace
