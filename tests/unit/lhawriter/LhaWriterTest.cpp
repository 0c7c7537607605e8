// Names, folders and headers as the writer lays them out, read back by the installer's
// own reader; and the names it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LhaWriter.h"
#include "payload/LhaArchiveReader.h"
#include "unit/lhawriter/WrittenArchive.h"

namespace {

const std::vector<uint8_t> kSome = {'d', 'a', 't', 'a'};

TEST(LhaWriter, ShiftJisSecondBytesOfBackslashAreNoSeparators) {
  // "ソ" and "表" end in 0x5C; only the real backslashes split the name.
  const std::string so = "ソフト";
  const std::string hyou = "表示";
  ASSERT_EQ(static_cast<uint8_t>(so[1]), 0x5C);
  ASSERT_EQ(static_cast<uint8_t>(hyou[1]), 0x5C);
  std::string dir, file;
  ASSERT_TRUE(cLhaWriter::SplitName(so + "\\" + hyou, &dir, &file));
  EXPECT_EQ(dir, so + "\\");
  EXPECT_EQ(file, hyou);
  ASSERT_TRUE(cLhaWriter::SplitName("表", &dir, &file));
  EXPECT_EQ(dir, "");
  EXPECT_EQ(file, "表");

  cLhaWriter writer;
  std::string error;
  ASSERT_TRUE(writer.AddFolder(so + "\\", &error)) << error;
  ASSERT_TRUE(writer.AddFolder(so + "\\" + hyou + "\\", &error)) << error;
  ASSERT_TRUE(writer.AddFile(so + "\\" + hyou + "\\" + "ソ.txt", kSome.data(), kSome.size(), &error));
  ASSERT_TRUE(writer.AddFile("表", kSome.data(), kSome.size(), &error)) << error;
  const std::vector<uint8_t> archive = writer.Finish();
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(archive, &members));
  ASSERT_EQ(members.size(), 4u);
  EXPECT_EQ(members[0].name, so + "\\");
  EXPECT_EQ(members[0].method, "-lhd-");
  EXPECT_EQ(members[1].name, so + "\\" + hyou + "\\");
  EXPECT_EQ(members[2].name, so + "\\" + hyou + "\\ソ.txt");
  EXPECT_TRUE(members[2].data == kSome);
  EXPECT_EQ(members[3].name, "表");
  // The directory header stores the real separators as 0xFF and keeps the 0x5C bytes.
  const std::string stored = so + "\xFF" + hyou + "\xFF";
  EXPECT_NE(std::string(archive.begin(), archive.end()).find(stored), std::string::npos);
}

TEST(LhaWriter, DeepFoldersAndManyMembersKeepTheirOrder) {
  cLhaWriter writer;
  std::string error;
  std::string path;
  std::vector<std::string> expected;
  for (int depth = 0; depth < 20; ++depth) {
    path += "d" + std::to_string(depth) + "\\";
    ASSERT_TRUE(writer.AddFolder(path, &error)) << error;
    expected.push_back(path);
  }
  for (int i = 0; i < 600; ++i) {
    const std::string name = path + "f" + std::to_string(i);
    const std::vector<uint8_t> data = TextBytes(static_cast<size_t>(i), static_cast<uint32_t>(i));
    ASSERT_TRUE(writer.AddFile(name, data.data(), data.size(), &error)) << error;
    expected.push_back(name);
  }
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(writer.Finish(), &members));
  ASSERT_EQ(members.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(members[i].name, expected[i]);
  EXPECT_TRUE(members.back().data == TextBytes(599, 599));
}

TEST(LhaWriter, HeaderOfExactlyTwoHundredFiftySixBytesIsNeverWritten) {
  // 37 bytes of fixed fields and extended-header overhead plus the names: a 119-byte
  // folder part and a 100-byte file name, or a 222-byte folder entry, would make 256.
  const std::string dir = std::string(118, 'a') + "\\";
  const std::string file = std::string(100, 'b');
  const std::string folder = std::string(221, 'c') + "\\";
  cLhaWriter writer;
  std::string error;
  ASSERT_TRUE(writer.AddFolder(dir, &error)) << error;
  ASSERT_TRUE(writer.AddFile(dir + file, kSome.data(), kSome.size(), &error)) << error;
  ASSERT_TRUE(writer.AddFolder(folder, &error)) << error;
  ASSERT_TRUE(writer.AddFile("last", kSome.data(), kSome.size(), &error)) << error;
  const std::vector<uint8_t> archive = writer.Finish();

  cLhaArchiveReader reader;
  ASSERT_EQ(reader.Open(archive.data(), static_cast<uint32_t>(archive.size())), 0);
  ASSERT_EQ(reader.ReadHeaders(), 0);
  ASSERT_EQ(reader.Count(), 4);
  for (int index = 1; index <= 4; ++index) {
    const int64_t at = reader.HeaderOffset(index);
    ASSERT_GE(at, 0);
    EXPECT_NE(archive[static_cast<size_t>(at)], 0) << index;
  }
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(archive, &members));
  EXPECT_EQ(members[1].name, dir + file);
  EXPECT_EQ(members[2].name, folder);
  EXPECT_EQ(members[3].name, "last");
  EXPECT_EQ(archive.back(), 0);
}

TEST(LhaWriter, NamesTheReaderWouldRejectAreRefusedWithAReason) {
  cLhaWriter writer;
  std::string error;
  const struct {
    std::string name;
    bool folder;
    const char* reason;
  } refused[] = {
      {"", false, "empty"},
      {"a\\", false, "must not end in a backslash"},
      {"a", true, "must end in a backslash"},
      {std::string(101, 'x'), false, "longer than 100"},
      {std::string(255, 'x') + "\\y", false, "longer than 255"},
      {std::string(200, 'x') + "\\" + std::string(60, 'y'), false, "longer than 259"},
      {"abc\x83", false, "double-byte"},
      {"a\\\\b", false, "empty path component"},
      {"\\a", false, "empty path component"},
      {"a\\..\\b", false, "\"..\""},
      {std::string("a\xFF") + "b", false, "0xFF"},
      {std::string("a\0b", 3), false, "zero byte"},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.name);
    error.clear();
    const bool ok = r.folder ? writer.AddFolder(r.name, &error)
                             : writer.AddFile(r.name, kSome.data(), kSome.size(), &error);
    EXPECT_FALSE(ok);
    EXPECT_NE(error.find(r.reason), std::string::npos) << error;
  }
  ASSERT_TRUE(writer.AddFile("x\\y", kSome.data(), kSome.size(), &error)) << error;
  EXPECT_FALSE(writer.AddFile("x\\y", kSome.data(), kSome.size(), &error));
  EXPECT_NE(error.find("already"), std::string::npos);
  // A folder entry after its contents is out of order.
  EXPECT_FALSE(writer.AddFolder("x\\", &error));
  EXPECT_NE(error.find("before its contents"), std::string::npos);
  // The longest accepted names still read back.
  const std::string longest = std::string(158, 'p') + "\\" + std::string(100, 'q');
  ASSERT_TRUE(writer.AddFile(longest, kSome.data(), kSome.size(), &error)) << error;
  std::vector<ReadBackMember> members;
  ASSERT_TRUE(ReadBack(writer.Finish(), &members));
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(members[1].name, longest);
}

}  // namespace
