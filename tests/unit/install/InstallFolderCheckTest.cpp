// The check behind Next on the folder page: folder text, product folder, payload
// size against the drive's free space, and whether the folder must be made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/InstallFolderCheck.h"
#include "platform/host/DiskControl.h"
#include "unit/payload_host/PayloadFixture.h"

namespace {

using dhtest::StoredMember;

HWND const kPage = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));

// The folder page: its edit text, and what the check did with it, in order.
class RecordingUi : public cInstallFolderUi {
 public:
  HWND Page() override { return page; }
  void ReadFolderText(char* buffer, int size) override { lstrcpynA(buffer, text.c_str(), size); }
  void WriteFolderText(const char* value) override {
    text = value;
    events.push_back("write " + text);
  }
  void FocusFolderText() override { events.push_back("focus"); }
  void ShowDiskNotice() override { events.push_back("show notice"); }
  void CloseDiskNotice() override { events.push_back("close notice"); }
  void CloseProgram() override { events.push_back("close program"); }

  HWND page = kPage;
  std::string text;
  std::vector<std::string> events;
};

class InstallFolderCheckTest : public dhtest::PayloadFixture {
 protected:
  void SetUp() override {
    PayloadFixture::SetUp();
    // 3 members, 100 bytes in all, "SetupInfo.xml" and the folder entry included.
    RegisterArchive(cGetLhaFile::kPayloadResource,
                    {{"#PROGRAMFILES#\\Viewer\\", ""},
                     {"#PROGRAMFILES#\\Viewer\\DHViewer.exe", std::string(90, 'x')},
                     {"SetupInfo.xml", "<a></a>..."}});
  }

  int Check(const char* text) {
    ui.text = text;
    return CheckInstallFolder(&ui, {installDir, requiredBytes, freeBytes, memberCount,
                                    createInstallDir, &payload});
  }

  static std::vector<hostwin::MessageBoxEntry> Messages() { return hostwin::MessageJournal(); }

  RecordingUi ui;
  morstd::cMorString installDir;
  uint64_t requiredBytes = 0;
  uint64_t freeBytes = 0;
  int memberCount = 0;
  int createInstallDir = -1;
  cGetLhaFile payload;  // the main window's, held for the installation
};

void ExpectMessage(const hostwin::MessageBoxEntry& entry, const std::string& text,
                   const std::string& caption, UINT flags) {
  EXPECT_EQ(text, entry.text);
  EXPECT_EQ(caption, entry.caption);
  EXPECT_EQ(flags, entry.flags);
  EXPECT_EQ(kPage, entry.owner);
}

TEST_F(InstallFolderCheckTest, WithoutPageOrFolderTextItStays) {
  ui.page = nullptr;
  EXPECT_EQ(0, Check("C:\\Apps"));
  EXPECT_EQ(0, CheckInstallFolder(nullptr, {installDir, requiredBytes, freeBytes, memberCount,
                                            createInstallDir}));
  EXPECT_TRUE(Messages().empty());

  ui.page = kPage;
  EXPECT_EQ(0, Check(""));
  ASSERT_EQ(1u, Messages().size());
  ExpectMessage(Messages()[0], "インストール先を入力して下さい", "未記入", MB_OK);
  EXPECT_EQ(std::vector<std::string>{"focus"}, ui.events);
  EXPECT_EQ(0, installDir.GetLength());
}

TEST_F(InstallFolderCheckTest, AFreshFolderGetsTheProductFolderAndIsToBeMade) {
  EXPECT_EQ(1, Check("C:\\"));
  EXPECT_STREQ("C:\\Dravenholt", installDir.GetData());
  const std::vector<std::string> events = {"write C:\\Dravenholt", "show notice", "close notice"};
  EXPECT_EQ(events, ui.events);
  auto messages = Messages();
  ASSERT_EQ(2u, messages.size());
  ExpectMessage(messages[0], "インストール先はC:\\Dravenholtに成ります", "確認", MB_OK);
  ExpectMessage(messages[1], "新しくディレクトリを作成します", "確認", MB_OK);
  EXPECT_EQ(1, createInstallDir);
  EXPECT_EQ(100u, requiredBytes);
  EXPECT_EQ(3, memberCount);
  EXPECT_EQ(hostwin::kDefaultFreeBytes, freeBytes);
  EXPECT_EQ(1, hostwin::CallCount("Sleep"));  // the notice stays up a moment
}

TEST_F(InstallFolderCheckTest, AnExistingProductFolderIsTakenSilently) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Apps", nullptr));
  ASSERT_TRUE(CreateDirectoryA("C:\\Apps\\DRAVENHOLT", nullptr));
  EXPECT_EQ(1, Check("C:\\Apps\\DRAVENHOLT"));
  EXPECT_STREQ("C:\\Apps\\DRAVENHOLT", installDir.GetData());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(0, createInstallDir);

  // Only C:\Apps exists: the product folder is added, and must be made.
  hostwin::ClearMessageJournal();
  EXPECT_EQ(1, Check("c:\\apps"));
  EXPECT_STREQ("c:\\apps\\Dravenholt", installDir.GetData());
  EXPECT_EQ("c:\\apps\\Dravenholt", ui.text);
  ASSERT_EQ(1u, Messages().size());  // the existing folder asks nothing more
  EXPECT_EQ("インストール先はc:\\apps\\Dravenholtに成ります", Messages()[0].text);
  EXPECT_EQ(0, createInstallDir);
}

TEST_F(InstallFolderCheckTest, ExactlyEnoughFreeSpacePassesAndOneByteShortCloses) {
  hostwin::SetFreeSpace("D", 100);
  EXPECT_EQ(1, Check("D:\\Dravenholt"));
  EXPECT_EQ(100u, freeBytes);
  // The measured payload stays deciphered for the installation; measuring again (Back,
  // then Next) does not decipher it again.
  EXPECT_NE(nullptr, payload.payload.data);
  EXPECT_EQ(1, Check("D:\\Dravenholt"));
  EXPECT_EQ(1, hostwin::CallCount("FindResourceA"));

  hostwin::ClearMessageJournal();
  ui.events.clear();
  hostwin::SetFreeSpace("D", 99);
  EXPECT_EQ(0, Check("D:\\Dravenholt"));
  EXPECT_EQ(99u, freeBytes);
  auto messages = Messages();
  ASSERT_EQ(1u, messages.size());
  ExpectMessage(messages[0], "ディスクの空き容量が足りません。処理を中止します", "警告",
                MB_ICONQUESTION);
  // The notice stays up until the closing program takes the page away.
  const std::vector<std::string> events = {"show notice", "close program"};
  EXPECT_EQ(events, ui.events);
  // No installation follows: the plaintext is gone at once.
  EXPECT_EQ(nullptr, payload.payload.data);
}

TEST_F(InstallFolderCheckTest, APayloadOver4GiBIsComparedIn64Bits) {
  RegisterArchive(cGetLhaFile::kPayloadResource, {{"big1", "", "-lh0-", 0xFFFFFFFF},
                                                  {"big2", "", "-lh0-", 0xFFFFFFFF},
                                                  {"small", "", "-lh0-", 3}});
  const uint64_t need = (1ULL << 33) + 1;
  hostwin::SetFreeSpace("C", need);
  EXPECT_EQ(1, Check("C:\\Dravenholt"));
  EXPECT_EQ(need, requiredBytes);
  // With only the low word of the need compared (1 byte), 2^33 would pass.
  hostwin::SetFreeSpace("C", need - 1);
  EXPECT_EQ(0, Check("C:\\Dravenholt"));
  EXPECT_EQ("ディスクの空き容量が足りません。処理を中止します", Messages().back().text);
}

TEST_F(InstallFolderCheckTest, AnUnreadableDriveCountsAsFullAndKeepsTheLastFigure) {
  hostwin::SetFreeSpace("C", 500);
  EXPECT_EQ(1, Check("C:\\Dravenholt"));
  hostwin::InjectFault({"GetDiskFreeSpaceExA", "", 0, ERROR_ACCESS_DENIED});
  hostwin::SetFreeSpace("C", 0);
  EXPECT_EQ(1, Check("C:\\Dravenholt"));  // the earlier 500 bytes still count
  EXPECT_EQ(500u, freeBytes);
  freeBytes = 0;
  EXPECT_EQ(0, Check("C:\\Dravenholt"));
}

TEST_F(InstallFolderCheckTest, AnUnreadablePayloadClosesTheProgramAndStays) {
  hostwin::InjectFault({"FindResourceA", "130", 0, ERROR_RESOURCE_NAME_NOT_FOUND});
  requiredBytes = 7;
  EXPECT_EQ(0, Check("C:\\Dravenholt"));
  auto messages = Messages();
  ASSERT_FALSE(messages.empty());
  ExpectMessage(messages.back(), "リソース取得エラーが発生しました。処理を中止します", "警告",
                MB_ICONQUESTION);
  EXPECT_EQ("close program", ui.events.back());
  EXPECT_EQ(7u, requiredBytes);
  EXPECT_EQ(-1, createInstallDir);  // nothing was decided about the folder
}

}  // namespace
