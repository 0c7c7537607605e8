// Where Windows paths land on Linux, and that no path leaves the sandbox.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"

namespace {

namespace fs = std::filesystem;

bool IsLinuxFile(const std::string& path) { return fs::is_regular_file(path); }

class SandboxTest : public dhtest::HostFixture {
 protected:
  std::string Root() { return hostwin::SandboxRoot(); }
};

TEST_F(SandboxTest, DriveLettersAndSeparatorsMapUnderTheRoot) {
  ASSERT_TRUE(CreateDirectoryA("c:/Program Files", nullptr));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\Program Files/ReadMe.txt", "r"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/Program Files/ReadMe.txt"));
  EXPECT_EQ(Root() + "/C/Program Files/ReadMe.txt", LinuxPath("c:\\PROGRAM FILES\\readme.TXT"));
  EXPECT_EQ(Root() + "/C/Program Files/new.txt", LinuxPath("C:\\program files\\new.txt"));
}

TEST_F(SandboxTest, TrailBytes0x5CStayInsideTheirNames) {
  ASSERT_TRUE(CreateDirectoryA("C:\\ソフト", nullptr));
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\ソフト\\表示.txt", "x"));
  // One folder named by the six bytes of "ソフト", holding one file.
  const std::string folder = Root() + "/C/" + std::string("ソフト");
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(IsLinuxFile(folder + "/" + std::string("表示.txt")));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(Root() + "/C"), fs::directory_iterator()));
}

TEST_F(SandboxTest, DotDotNeverLeavesTheDrive) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\..\\..\\..\\escape.txt", "x"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/escape.txt"));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  ASSERT_TRUE(dhtest::WriteFileBytes("..\\..\\relative.txt", "x"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/relative.txt"));
  EXPECT_FALSE(fs::exists(Root() + "/escape.txt"));
  EXPECT_FALSE(fs::exists(fs::path(Root()).parent_path() / "escape.txt"));
  // "..." trims to "..", which is refused rather than handed to Linux.
  EXPECT_FALSE(CreateDirectoryA("C:\\...\\x", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), GetLastError());
  EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("\\\\server\\share\\f.txt", GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_NETPATH), GetLastError());
}

TEST_F(SandboxTest, OtherDrivesExistOnlyWhenMade) {
  EXPECT_FALSE(CreateDirectoryA("D:\\data", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("D:\\"));
  fs::create_directory(Root() + "/D");
  EXPECT_TRUE(CreateDirectoryA("d:\\data", nullptr));
  EXPECT_TRUE(fs::is_directory(Root() + "/D/data"));
}

TEST_F(SandboxTest, FullPathsOfMaxPathOrMoreFailAsOnWindows) {
  ASSERT_TRUE(CreateDirectoryA("C:\\d", nullptr));
  std::string nested = "C:\\d\\" + std::string(254, 'n');  // 259 characters
  HANDLE file = CreateFileA(nested.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, file);
  CloseHandle(file);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((nested + "n").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((nested + "nn").c_str()));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
  // A new folder leaves room for an 8.3 name below it.
  EXPECT_FALSE(CreateDirectoryA(("C:\\d\\" + std::string(243, 'f')).c_str(), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
  EXPECT_TRUE(CreateDirectoryA(("C:\\d\\" + std::string(242, 'f')).c_str(), nullptr));
  // Double-byte characters count once: 286 bytes, but 146 characters.
  std::string outer = "C:\\d\\", inner;
  for (int i = 0; i < 120; ++i) outer += "表";
  for (int i = 0; i < 20; ++i) inner += "表";
  ASSERT_TRUE(CreateDirectoryA(outer.c_str(), nullptr));
  std::string deep = outer + "\\" + inner;
  ASSERT_EQ(286u, deep.size());
  EXPECT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << GetLastError();
}

TEST_F(SandboxTest, ChosenRootIsUsedAndNeverDeleted) {
  const fs::path mine = fs::temp_directory_path() / ("sandbox-test-" + std::to_string(::getpid()));
  fs::remove_all(mine);
  hostwin::SetSandboxRoot(mine.string());
  EXPECT_EQ(mine.string(), hostwin::SandboxRoot());
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\kept.txt", "k"));
  EXPECT_TRUE(IsLinuxFile((mine / "C" / "kept.txt").string()));

  hostwin::ResetAll();  // back to a fresh root of the layer's own
  EXPECT_NE(mine.string(), hostwin::SandboxRoot());
  EXPECT_TRUE(IsLinuxFile((mine / "C" / "kept.txt").string()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\kept.txt"));
  fs::remove_all(mine);
}

TEST_F(SandboxTest, FreshSandboxStartsEmptyAndDropsTheOldOne) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\old.txt", "o"));
  const std::string before = Root();
  const std::string after = hostwin::FreshSandbox();
  EXPECT_NE(before, after);
  EXPECT_FALSE(fs::exists(before));
  EXPECT_TRUE(fs::is_directory(after + "/C"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\old.txt"));
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp && *tmp ? tmp : "/tmp";
  EXPECT_EQ(0u, after.rfind(base, 0)) << after;
}

TEST_F(SandboxTest, RelativePathsFollowTheCurrentFolder) {
  char current[MAX_PATH];
  ASSERT_EQ(3u, GetCurrentDirectoryA(MAX_PATH, current));
  EXPECT_STREQ("C:\\", current);
  ASSERT_TRUE(CreateDirectoryA("work", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\WORK"));
  ASSERT_TRUE(dhtest::WriteFileBytes("a.txt", "a"));
  ASSERT_TRUE(dhtest::WriteFileBytes("\\rooted.txt", "b"));  // the drive's root
  ASSERT_TRUE(dhtest::WriteFileBytes("C:drive-relative.txt", "c"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/work/a.txt"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/rooted.txt"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/work/drive-relative.txt"));
  hostwin::ResetAll();
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_STREQ("C:\\", current);
}

TEST_F(SandboxTest, CaseOnlyRenameChangesTheStoredName) {
  ASSERT_TRUE(dhtest::WriteFileBytes("C:\\readme.txt", "r"));
  ASSERT_TRUE(MoveFileA("C:\\readme.txt", "C:\\ReadMe.TXT"));
  EXPECT_TRUE(IsLinuxFile(Root() + "/C/ReadMe.TXT"));
  EXPECT_FALSE(fs::exists(Root() + "/C/readme.txt"));
}

}  // namespace
