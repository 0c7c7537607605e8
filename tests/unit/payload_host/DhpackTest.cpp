// The payload tool's reading side, run as a program over the committed interop
// archives and checked against the independent lhasa tool; and its refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "morstd/MorBinary.h"
#include "payload/EncipherResource.h"
#include "unit/payload_host/StoredArchive.h"
#include "unit/payload_host/ToolRun.h"

#if defined(DH_DHPACK) && defined(DH_LHA_FIXTURES_DIR)

namespace {

using namespace dhtest;

const char* const kFixtures[] = {"level0.lzh", "level1.lzh", "level2.lzh", "long.lzh"};

std::string Fixture(const char* name) { return std::string(DH_LHA_FIXTURES_DIR) + "/" + name; }

Outcome Dhpack(const std::string& arguments) { return Shell(Quote(DH_DHPACK) + " " + arguments); }

// What lhasa shows of each file member: packed size, unpacked size, method, CRC,
// name. Folder entries (not always shown by lhasa) are left out.
struct LhasaMember {
  std::string packed, unpacked, method, crc, name;
};
std::vector<LhasaMember> LhasaVerbose(const std::string& archive) {
  std::vector<LhasaMember> members;
  for (const auto& row : Split(Shell("lhasa v " + Quote(archive)).out, ' ')) {
    if (row.size() < 10 || row[0].empty() || row[0][0] != '[' || row[9].back() == '/') continue;
    members.push_back({row[1], row[2], row[4], row[5], row[9]});
  }
  return members;
}

using DhpackTest = dhtest::TempFolderTest;

TEST_F(DhpackTest, ListMatchesLhasa) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    const Outcome run = Dhpack("list " + Quote(Fixture(name)));
    ASSERT_EQ(0, run.status) << run.err;
    std::vector<std::vector<std::string>> rows;
    int index = 0;
    for (const auto& row : Split(run.out, '\t')) {
      ASSERT_EQ(5u, row.size());
      EXPECT_EQ(std::to_string(++index), row[0]);
      if (row[4].back() != '\\') rows.push_back(row);
    }
    const std::vector<LhasaMember> expected = LhasaVerbose(Fixture(name));
    ASSERT_EQ(expected.size(), rows.size());
    ASSERT_FALSE(expected.empty());
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(expected[i].method, rows[i][1]);
      EXPECT_EQ(expected[i].unpacked, rows[i][2]);
      EXPECT_EQ(expected[i].packed, rows[i][3]);
      EXPECT_EQ(expected[i].name, rows[i][4]);
    }
  }
}

TEST_F(DhpackTest, CatAndExtractMatchLhasaPrint) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    const fs::path out = temp / name;
    const Outcome extract = Dhpack("x " + Quote(Fixture(name)) + " " + Quote(out.string()));
    EXPECT_EQ(0, extract.status) << extract.err;
    int index = 0;
    for (const auto& row : Split(Dhpack("list " + Quote(Fixture(name))).out, '\t')) {
      ++index;
      const std::string& member = row[4];
      SCOPED_TRACE(member);
      if (member.back() == '\\') {
        EXPECT_TRUE(fs::is_directory(out / member.substr(0, member.size() - 1)));
        continue;
      }
      const Outcome cat = Dhpack("cat " + Quote(Fixture(name)) + " " + std::to_string(index));
      EXPECT_EQ(0, cat.status) << cat.err;
      EXPECT_EQ(std::stoul(row[2]), cat.out.size());
      EXPECT_TRUE(FileBytes(out / member) == cat.out);
      // lhasa has no decoder for -lh2- and -lh3-; those are checked by their CRC.
      if (row[1] == "-lh2-" || row[1] == "-lh3-") continue;
      const std::string expected = Shell("lhasa pq " + Quote(Fixture(name)) + " " + Quote(member)).out;
      EXPECT_TRUE(cat.out == expected);
    }
  }
}

TEST_F(DhpackTest, TestChecksEveryCrc) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    const Outcome run = Dhpack("test " + Quote(Fixture(name)));
    EXPECT_EQ(0, run.status) << run.out << run.err;
  }
  // One byte of stored data changed: only the CRC can tell.
  std::string bytes = FileBytes(Fixture("level0.lzh"));
  const size_t data = bytes.find("m0.bin") + 6 + 2 + 1;  // name, CRC, OS id
  ASSERT_LT(data + 100, bytes.size());
  bytes[data + 100] = static_cast<char>(bytes[data + 100] ^ 0x55);
  WriteBytes(temp / "bad.lzh", bytes);
  const Outcome run = Dhpack("test " + Quote((temp / "bad.lzh").string()));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find("1\tm0.bin\tFAILED: CRC")) << run.out;
  EXPECT_NE(std::string::npos, run.out.find("2\tm1.bin\tOK")) << run.out;
  EXPECT_NE(std::string::npos, run.err.find("1 of 9 members failed")) << run.err;
}

TEST_F(DhpackTest, ShortMembersAndBadIndicesFail) {
  WriteBytes(temp / "short.lzh",
             dhtest::StoredArchive({{"odd.bin", "xy", "-lhz-"}, {"short.txt", "abc", "-lh0-", 10}}));
  const std::string file = Quote((temp / "short.lzh").string());
  // The archive ends before the size the last header promises.
  Outcome run = Dhpack("cat " + file + " 2");
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("abc", run.out.substr(0, 3));
  EXPECT_LT(run.out.size(), 10u);
  EXPECT_NE(std::string::npos, run.err.find(" of 10 bytes (-lh0- data damaged or truncated)")) << run.err;
  run = Dhpack("cat " + file + " 1");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("not a method the installer decodes")) << run.err;
  for (const char* index : {"0", "3", "x", "-1"}) {
    run = Dhpack("cat " + file + " " + index);
    EXPECT_NE(0, run.status) << index;
    EXPECT_TRUE(run.out.empty());
  }
  EXPECT_EQ(1, Dhpack("test " + file).status);
  EXPECT_EQ(1, Dhpack("x " + file + " " + Quote((temp / "out").string())).status);

  WriteBytes(temp / "cut.lzh", dhtest::StoredArchive({{"a.txt", "abc"}, {"b.txt", "d"}}, false));
  run = Dhpack("list " + Quote((temp / "cut.lzh").string()));
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("1\t-lh0-\t3\t3\ta.txt\n2\t-lh0-\t1\t1\tb.txt\n", run.out);
  EXPECT_NE(std::string::npos, run.err.find("malformed header after member 2")) << run.err;
  run = Dhpack("list " + Quote((temp / "missing.lzh").string()));
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("cannot be read")) << run.err;
}

TEST_F(DhpackTest, ExtractRefusesNamesThatLeaveTheFolder) {
  WriteBytes(temp / "evil.lzh",
             dhtest::StoredArchive({{"..\\up.txt", "1"}, {"\\root.txt", "2"},
                                    {"C:\\drive.txt", "3"}, {"a\\..\\..\\deep.txt", "4"},
                                    {"ok\\", ""}, {"ok\\fine.txt", "5"}}));
  const fs::path out = temp / "out";
  const Outcome run = Dhpack("x " + Quote((temp / "evil.lzh").string()) + " " + Quote(out.string()));
  EXPECT_EQ(1, run.status);
  for (const char* name : {"..\\up.txt", "\\root.txt", "C:\\drive.txt", "a\\..\\..\\deep.txt"})
    EXPECT_NE(std::string::npos, run.err.find(std::string("\"") + name + "\": its path is absolute or leads out of"))
        << run.err;
  EXPECT_EQ("5", FileBytes(out / "ok" / "fine.txt"));
  EXPECT_FALSE(fs::exists(temp / "up.txt"));
  EXPECT_FALSE(fs::exists(temp / "deep.txt"));
  EXPECT_FALSE(fs::exists(out / "a"));
}

TEST_F(DhpackTest, DatImagesAreDecipheredFirst) {
  const std::string plain = FileBytes(Fixture("level1.lzh"));
  const BYTE salt[16] = {0x5a, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  morstd::cMorBinary image;
  ASSERT_EQ(1, EncipherResource(reinterpret_cast<const BYTE*>(plain.data()),
                                static_cast<DWORD>(plain.size()), salt, &image));
  WriteBytes(temp / "130.dat", std::string(reinterpret_cast<const char*>(image.data), image.size));
  const std::string dat = Quote((temp / "130.dat").string());

  const Outcome list = Dhpack("--dat list " + dat);
  EXPECT_EQ(0, list.status) << list.err;
  EXPECT_EQ(Dhpack("list " + Quote(Fixture("level1.lzh"))).out, list.out);
  EXPECT_TRUE(Dhpack("cat --dat " + dat + " 6").out ==
              Dhpack("cat " + Quote(Fixture("level1.lzh")) + " 6").out);
  const Outcome test = Dhpack("test " + dat + " --dat");
  const Outcome plainTest = Dhpack("test " + Quote(Fixture("level1.lzh")));
  EXPECT_EQ(plainTest.status, test.status);
  EXPECT_EQ(plainTest.out, test.out);
  EXPECT_NE(std::string::npos, test.out.find("1\tm0.bin\tOK"));
  EXPECT_EQ(0, Dhpack("--dat x " + dat + " " + Quote((temp / "out").string())).status);
  EXPECT_TRUE(fs::is_directory(temp / "out" / "folder"));
  // The image is no archive as it is, and a short file is no image.
  EXPECT_EQ(1, Dhpack("list " + dat).status);
  WriteBytes(temp / "short.dat", "0123456789");
  const Outcome shortImage = Dhpack("--dat list " + Quote((temp / "short.dat").string()));
  EXPECT_EQ(1, shortImage.status);
  EXPECT_NE(std::string::npos, shortImage.err.find("not a resource image")) << shortImage.err;
}

TEST_F(DhpackTest, UsageAndHelp) {
  Outcome run = Dhpack("--help");
  EXPECT_EQ(0, run.status);
  EXPECT_NE(std::string::npos, run.out.find("usage: dhpack"));
  for (const char* wrong : {"", "list", "frobnicate a", "cat a", "--bogus list a"}) {
    run = Dhpack(wrong);
    EXPECT_EQ(2, run.status) << wrong;
    EXPECT_NE(std::string::npos, run.err.find("usage: dhpack")) << wrong;
  }
}

}  // namespace

#endif
