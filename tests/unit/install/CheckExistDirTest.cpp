// Which levels of a path exist, and making the missing ones, in the host sandbox.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "install/CheckExistDir.h"
#include "platform/win.h"
#include "morstd/MorAlloc.h"
#include "support/HostFixture.h"

namespace {

class CheckExistDirTest : public dhtest::HostFixture {
 protected:
  static bool IsFolder(const char* winPath) {
    struct stat info {};
    return stat(LinuxPath(winPath).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  static void MakeFolder(const char* winPath) { ASSERT_TRUE(CreateDirectoryA(winPath, nullptr)); }
};

TEST_F(CheckExistDirTest, CheckModeGivesTheFirstMissingLevel) {
  MakeFolder("C:\\Program Files");
  EXPECT_EQ(2, CheckExistDir("C:\\Program Files\\Dravenholt", kCheckOnly));
  EXPECT_EQ(1, CheckExistDir("C:\\Apps\\Dravenholt", kCheckOnly));
  MakeFolder("C:\\Program Files\\Dravenholt");
  EXPECT_EQ(kEveryLevelExists, CheckExistDir("C:\\Program Files\\Dravenholt", kCheckOnly));
  EXPECT_EQ(kEveryLevelExists, CheckExistDir("c:\\PROGRAM FILES", kCheckOnly));
  // No backslash: nothing is examined.
  EXPECT_EQ(kEveryLevelExists, CheckExistDir("Nowhere", kCheckOnly));
  EXPECT_EQ(kEveryLevelExists, CheckExistDir(nullptr, kCheckOnly));
  // A wildcard matches existing folders but names none.
  EXPECT_EQ(1, CheckExistDir("C:\\Prog*\\Dravenholt", kCheckOnly));
  EXPECT_EQ(2, CheckExistDir("C:\\Program Files\\Draven?olt", kCheckOnly));
  // Check mode makes nothing.
  EXPECT_FALSE(IsFolder("C:\\Apps"));
}

TEST_F(CheckExistDirTest, CreateModeMakesEveryMissingLevel) {
  EXPECT_EQ(kFoldersCreated, CheckExistDir("C:\\Apps\\\x95\x5C\\Dravenholt", kCreateMissing));
  EXPECT_TRUE(IsFolder("C:\\Apps\\\x95\x5C\\Dravenholt"));
  EXPECT_EQ(kEveryLevelExists, CheckExistDir("C:\\Apps\\\x95\x5C\\Dravenholt", kCheckOnly));
  // Existing levels are fine.
  EXPECT_EQ(kFoldersCreated, CheckExistDir("C:\\Apps\\\x95\x5C\\Dravenholt", kCreateMissing));
}

TEST_F(CheckExistDirTest, ALevelThatCannotBeMadeDoesNotStopTheWalk) {
  hostwin::InjectFault({"CreateDirectoryA", "C:\\A\\B", 0, ERROR_ACCESS_DENIED});
  EXPECT_EQ(kFoldersCreated, CheckExistDir("C:\\A\\B\\C", kCreateMissing));
  EXPECT_TRUE(IsFolder("C:\\A"));
  EXPECT_FALSE(IsFolder("C:\\A\\B"));
  EXPECT_EQ(3, hostwin::CallCount("CreateDirectoryA"));  // C:\A\B\C was tried too
}

TEST_F(CheckExistDirTest, OnlyThe259BytesOfAFullPathCount) {
  const std::string parent = "C:\\" + std::string(240, 'a');
  const std::string path = parent + "\\bcdefghijklmnopqrstuvwxyz";
  EXPECT_EQ(1, CheckExistDir(path.c_str(), kCheckOnly));
  MakeFolder(parent.c_str());
  EXPECT_EQ(2, CheckExistDir(path.c_str(), kCheckOnly));
  // The cut copy ends in "bcdefghijklmnop": a folder of that name (too long for
  // CreateDirectoryA, so made beside the layer) is all the check looks for.
  const std::string cut = parent + "\\bcdefghijklmnop";
  ASSERT_EQ(259u, cut.size());
  ASSERT_EQ(0, mkdir(LinuxPath(cut.c_str()).c_str(), 0777));
  EXPECT_EQ(kEveryLevelExists, CheckExistDir(path.c_str(), kCheckOnly));
}

TEST_F(CheckExistDirTest, WithoutMemoryItSaysSoAndGivesUp) {
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(kCheckExistDirNoMemory, CheckExistDir("C:\\Apps\\Dravenholt", kCreateMissing));
  morstd::MorFailNextAllocations(0);
  EXPECT_FALSE(IsFolder("C:\\Apps"));
  auto journal = hostwin::MessageJournal();
  ASSERT_EQ(1u, journal.size());
  EXPECT_EQ("メモリ確保失敗", journal[0].text);
  EXPECT_EQ("CheckExistDir", journal[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), journal[0].flags);
  EXPECT_EQ(nullptr, journal[0].owner);
}

}  // namespace
