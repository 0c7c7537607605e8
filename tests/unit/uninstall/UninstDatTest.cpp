// The uninstall record "Uninst.dat": its bytes, Load and Save with every failure code,
// and the order Merge gives an updated installation's entries.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "morstd/MorMemBlock.h"
#include "platform/win.h"
#include "support/FileBytes.h"
#include "support/HostFixture.h"
#include "uninstall/UninstDat.h"
#include "unit/morstd/MorTestSupport.h"

namespace {

constexpr char kFolder[] = "C:\\Program Files\\Dravenholt";
constexpr char kRecord[] = "C:\\Program Files\\Dravenholt\\Uninst.dat";
constexpr char kTemporary[] = "C:\\Program Files\\Dravenholt\\@Uninst.dat";

std::string Int32(int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
  return bytes;
}

// A record's bytes: the signature field, then the five integers, then the name area.
std::string RecordBytes(const std::string& area, int32_t dataSize, int32_t entryCount,
                        const std::string& signature = std::string("DHVUI01\0", 8),
                        int32_t startMenu = 1, int32_t desktop = 0) {
  return signature + Int32(28) + Int32(startMenu) + Int32(desktop) + Int32(dataSize) +
         Int32(entryCount) + area;
}

std::string Area(const std::vector<std::string>& names) {
  std::string area;
  for (const std::string& name : names) area += name + '\0';
  return area + '\0';
}

std::vector<std::string> Texts(const morstd::cMorMemBlock& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.emplace_back(list.GetAt(i));
  return texts;
}

void Fill(morstd::cMorMemBlock* list, const std::vector<std::string>& names) {
  list->Clear();
  for (const std::string& name : names) list->Add(name.c_str());
}

class UninstDatTest : public dhtest::HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    ASSERT_TRUE(CreateDirectoryA("C:\\Program Files", nullptr));
    ASSERT_TRUE(CreateDirectoryA(kFolder, nullptr));
  }
  static void Put(const std::string& bytes) { ASSERT_TRUE(dhtest::WriteFileBytes(kRecord, bytes)); }
  static std::string Stored(const char* path = kRecord) {
    std::string bytes;
    EXPECT_TRUE(dhtest::ReadFileBytes(path, &bytes)) << path;
    return bytes;
  }
  static int LoadCode() {
    cUninstDat record;
    record.Load(kFolder);
    return record.GetLastError();
  }
};

TEST_F(UninstDatTest, LoadsTheNamesAndHeaderOfARecord) {
  // "表示" holds the byte 0x5C as its second byte.
  const std::vector<std::string> names = {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\表示.txt", "#APPDATA#\\Model\\"};
  const std::string area = Area(names);
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 3));
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kFolder));
  EXPECT_EQ(0, record.GetLastError());
  EXPECT_EQ(names, Texts(record.GetNames()));
  EXPECT_EQ(0, std::memcmp("DHVUI01", record.GetHeader().signature, 8));
  EXPECT_EQ(28, record.GetHeader().headerSize);
  EXPECT_EQ(1, record.GetHeader().startMenuShortcut);
  EXPECT_EQ(0, record.GetHeader().desktopShortcut);
  EXPECT_EQ(static_cast<int32_t>(area.size()), record.GetHeader().dataSize);
  EXPECT_EQ(3, record.GetHeader().entryCount);
}

// The record lies in the install folder, which others may be able to write: the update
// never deletes nor writes back an entry that would resolve outside the product's
// folders. An empty entry stays, for the deletions to fail on.
TEST_F(UninstDatTest, LoadDropsEntriesOutsideTheProduct) {
  const std::vector<std::string> names = {
      "#PROGRAMFILES#\\", "C:\\Windows\\x.dll", "#PROGRAMFILES#\\..\\..\\x", "x.txt",
      "\\\\server\\share\\x", "", "#APPDATA#\\Model\\表", "#PROGRAMFILES#\\a:b"};
  const std::string area = Area(names);
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), static_cast<int32_t>(names.size())));
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kFolder));
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\", "", "#APPDATA#\\Model\\表"}),
            Texts(record.GetNames()));
}

TEST_F(UninstDatTest, SaveWritesTheRecordThroughTheTemporaryFile) {
  Put("old record");
  cUninstDat record;
  morstd::cMorMemBlock names;
  Fill(&names, {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe"});
  ASSERT_EQ(1, record.Merge(names));
  ASSERT_EQ(1, record.Save(kFolder, 0, 1));
  const std::string area = Area({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\DHViewer.exe"});
  EXPECT_EQ(RecordBytes(area, static_cast<int32_t>(area.size()), 2, std::string("DHVUI01\0", 8), 0, 1),
            Stored());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kTemporary));
  EXPECT_EQ(1, record.GetHeader().desktopShortcut);
}

TEST_F(UninstDatTest, ShortcutChoicesSurviveEveryUpdate) {
  const std::string area = Area({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a.txt"});
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 2, std::string("DHVUI01\0", 8), 1, 0));
  for (int update = 0; update < 3; ++update) {
    cUninstDat loaded;
    ASSERT_EQ(1, loaded.Load(kFolder));
    cUninstDat copy;
    copy.CopyFrom(loaded);
    morstd::cMorMemBlock members;
    Fill(&members, {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\b" + std::to_string(update) + ".txt"});
    ASSERT_EQ(1, copy.Merge(members));
    ASSERT_EQ(1, copy.Save(kFolder, loaded.GetHeader().startMenuShortcut,
                           loaded.GetHeader().desktopShortcut));
  }
  cUninstDat last;
  ASSERT_EQ(1, last.Load(kFolder));
  EXPECT_EQ(1, last.GetHeader().startMenuShortcut);
  EXPECT_EQ(0, last.GetHeader().desktopShortcut);
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a.txt",
                                      "#PROGRAMFILES#\\b0.txt", "#PROGRAMFILES#\\b1.txt",
                                      "#PROGRAMFILES#\\b2.txt"}),
            Texts(last.GetNames()));
}

TEST_F(UninstDatTest, AnEmptyListIsStoredWithoutANameArea) {
  Put("old");
  cUninstDat empty;
  ASSERT_EQ(1, empty.Save(kFolder, 0, 0));
  EXPECT_EQ(RecordBytes("", 0, 0, std::string("DHVUI01\0", 8), 0, 0), Stored());
  cUninstDat loaded;
  ASSERT_EQ(1, loaded.Load(kFolder));
  EXPECT_EQ(0, loaded.GetNames().GetCount());
}

TEST_F(UninstDatTest, TheSignatureNeedsItsZeroByte) {
  const std::string area = Area({"x"});
  Put(RecordBytes(area, 3, 1, "DHVUI01X"));
  EXPECT_EQ(130, LoadCode());
  Put(RecordBytes(area, 3, 1, std::string("DHVUI02\0", 8)));
  EXPECT_EQ(130, LoadCode());
  Put("DHVUI");
  EXPECT_EQ(130, LoadCode());
  Put(std::string("DHVUI01\0", 8) + "short header");
  EXPECT_EQ(135, LoadCode());
  EXPECT_EQ(120, (DeleteFileA(kRecord), LoadCode()));
}

// A record is checked against its own file before anything is allocated for it: a
// damaged or forged count must not make the update allocate or read without bound.
TEST_F(UninstDatTest, CountsTheFileCannotHoldAreRefused) {
  const std::string area = Area({"#PROGRAMFILES#\\a", "#PROGRAMFILES#\\b"});
  const int32_t size = static_cast<int32_t>(area.size());
  const struct {
    int32_t dataSize;
    int32_t entryCount;
    int code;
  } cases[] = {
      {-1, 2, 140},         {INT32_MIN, 2, 140}, {size + 1, 2, 140}, {INT32_MAX, 2, 140},
      {size, -1, 150},      {size, size + 1, 150},
      {size, 4, 150},       // more names than the area holds
      {size, 3, 0},         // the spare zero byte reads as one empty name
      {size - 1, 2, 0},     // the spare byte itself is not needed
  };
  for (const auto& c : cases) {
    Put(RecordBytes(area, c.dataSize, c.entryCount));
    cUninstDat record;
    record.Load(kFolder);
    EXPECT_EQ(c.code, record.GetLastError()) << c.dataSize << " " << c.entryCount;
  }
  cUninstDat record;
  Put(RecordBytes(area, size, 3));
  ASSERT_EQ(1, record.Load(kFolder));
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\a", "#PROGRAMFILES#\\b", ""}),
            Texts(record.GetNames()));
  // A load refused before the names are read leaves those of the last good one.
  Put(RecordBytes(area, size + 100, 2));
  EXPECT_EQ(0, record.Load(kFolder));
  EXPECT_EQ(3, record.GetNames().GetCount());
  EXPECT_EQ(size + 100, record.GetHeader().dataSize);  // the header as read
}

TEST_F(UninstDatTest, ReadFailuresHaveTheirCodes) {
  const std::string area = Area({"a"});
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 1));
  hostwin::InjectFault({"CreateFileA", kRecord});
  EXPECT_EQ(120, LoadCode());
  hostwin::ClearFaults();
  for (const auto& step : std::vector<std::pair<int, int>>{{1, 125}, {2, 135}, {3, 145}}) {
    hostwin::ClearFaults();
    hostwin::InjectFault({"ReadFile", kRecord, step.first});
    EXPECT_EQ(step.second, LoadCode()) << step.first;
  }
  hostwin::ClearFaults();
  hostwin::InjectFault({"GetFileSizeEx", kRecord});
  EXPECT_EQ(140, LoadCode());
  hostwin::ClearFaults();
  {
    morstdtest::FailingAllocations fail(1);  // the record's path
    EXPECT_EQ(99980, LoadCode());
  }
  EXPECT_EQ(0, LoadCode());
}

TEST_F(UninstDatTest, SaveFailuresHaveTheirCodes) {
  morstd::cMorMemBlock names;
  Fill(&names, {"#PROGRAMFILES#\\"});
  cUninstDat record;
  ASSERT_EQ(1, record.Merge(names));

  // Without a record to replace, the new one stays beside the folder's files.
  EXPECT_EQ(0, record.Save(kFolder, 1, 1));
  EXPECT_EQ(115, record.GetLastError());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(kTemporary));

  Put("old");
  const struct {
    hostwin::Fault fault;
    int code;
  } cases[] = {
      {{"CreateFileA", kTemporary}, 100},
      {{"WriteFile", kTemporary, 1}, 105},
      {{"WriteFile", kTemporary, 2}, 110},
      {{"FlushFileBuffers", kTemporary}, 110},
      {{"MoveFileExA", kTemporary}, 116},
  };
  for (const auto& c : cases) {
    hostwin::ClearFaults();
    hostwin::InjectFault(c.fault);
    EXPECT_EQ(0, record.Save(kFolder, 1, 1));
    EXPECT_EQ(c.code, record.GetLastError()) << c.fault.function;
    EXPECT_EQ("old", Stored()) << c.fault.function;
  }
  hostwin::ClearFaults();
  {
    morstdtest::FailingAllocations fail(1);
    EXPECT_EQ(0, record.Save(kFolder, 1, 1));
    EXPECT_EQ(99999, record.GetLastError());
  }
}

TEST_F(UninstDatTest, MergePutsFoldersDeepestFirstThenFiles) {
  const std::string area = Area({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a\\", "#PROGRAMFILES#\\x.exe"});
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 3));
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kFolder));
  morstd::cMorMemBlock update;
  Fill(&update, {"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a\\b\\", "#PROGRAMFILES#\\x.exe",
                 "#PROGRAMFILES#\\y.dll"});
  ASSERT_EQ(1, record.Merge(update));
  EXPECT_EQ(0, record.GetLastError());
  const std::vector<std::string> merged = Texts(record.GetNames());
  ASSERT_EQ(5u, merged.size());
  EXPECT_EQ("#PROGRAMFILES#\\a\\b\\", merged[0]);
  EXPECT_EQ("#PROGRAMFILES#\\a\\", merged[1]);
  EXPECT_EQ("#PROGRAMFILES#\\", merged[2]);
  EXPECT_EQ("#PROGRAMFILES#\\x.exe", merged[3]);
  EXPECT_EQ("#PROGRAMFILES#\\y.dll", merged[4]);
}

// "表" is 0x95 0x5C: a name ending in it is a file, and its second byte is no separator.
TEST_F(UninstDatTest, MergeReadsShiftJisNamesByCharacter) {
  const std::string area = Area({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\\x95\x5c"});
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 2));
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kFolder));
  morstd::cMorMemBlock update;
  Fill(&update, {"#PROGRAMFILES#\\\x95\x5c\\", "#PROGRAMFILES#\\a\\b\\", "#PROGRAMFILES#\\new.txt"});
  ASSERT_EQ(1, record.Merge(update));
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\a\\b\\", "#PROGRAMFILES#\\\x95\x5c\\",
                                      "#PROGRAMFILES#\\", "#PROGRAMFILES#\\\x95\x5c",
                                      "#PROGRAMFILES#\\new.txt"}),
            Texts(record.GetNames()));
}

TEST_F(UninstDatTest, MergeKeepsTheRecordsOwnDuplicatesAndTiesInOrder) {
  // A merge never stores a folder twice, but a record written otherwise may hold one.
  const std::string area =
      Area({"#APPDATA#\\Model\\", "#PROGRAMFILES#\\z\\", "#APPDATA#\\Model\\",
            "#PROGRAMFILES#\\f.txt", "#PROGRAMFILES#\\f.txt", ""});
  Put(RecordBytes(area, static_cast<int32_t>(area.size()), 6));
  cUninstDat record;
  ASSERT_EQ(1, record.Load(kFolder));
  morstd::cMorMemBlock update;
  Fill(&update, {"#APPDATA#\\Model\\", "#PROGRAMFILES#\\A\\", "#APPDATA#\\Model\\x\\",
                 "#PROGRAMFILES#\\f.txt", "#PROGRAMFILES#\\g.txt", "#PROGRAMFILES#\\g.txt", "",
                 "#PROGRAMFILES#\\z\\"});
  ASSERT_EQ(1, record.Merge(update));
  EXPECT_EQ((std::vector<std::string>{
                "#APPDATA#\\Model\\x\\",
                "#APPDATA#\\Model\\", "#PROGRAMFILES#\\z\\", "#APPDATA#\\Model\\",
                "#PROGRAMFILES#\\A\\",  // names compare with case: a new folder
                // the record's files, duplicates and all
                "#PROGRAMFILES#\\f.txt", "#PROGRAMFILES#\\f.txt", "",
                // new files; the empty one is the record's own
                "#PROGRAMFILES#\\g.txt", "#PROGRAMFILES#\\g.txt"}),
            Texts(record.GetNames()));
}

TEST_F(UninstDatTest, MergeWithoutMemoryLeavesTheNames) {
  cUninstDat record;
  morstd::cMorMemBlock names;
  Fill(&names, {"#PROGRAMFILES#\\", "a.txt"});
  ASSERT_EQ(1, record.Merge(names));
  {
    morstdtest::FailingAllocations fail(1);
    EXPECT_EQ(0, record.Merge(names));
  }
  EXPECT_EQ(99970, record.GetLastError());
  EXPECT_EQ((std::vector<std::string>{"#PROGRAMFILES#\\", "a.txt"}), Texts(record.GetNames()));
}

}  // namespace
