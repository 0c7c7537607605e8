// The archive reader: finding the first header, header levels 0-2 and their names,
// and every way a header can point outside the archive or overflow the name field.
#include <gtest/gtest.h>

#include <string>

#include "morstd/MorAlloc.h"
#include "payload/LhaArchive.h"
#include "unit/payload/LhaTestArchive.h"

using namespace dhtest;

namespace {

// Opens and reads an archive; the list is freed when the reader goes away.
struct Reader {
  explicit Reader(std::string bytes) : archive(std::move(bytes)) {}
  ~Reader() { FreeHeaders(&list); }
  int Open() {
    return OpenArchive(&list, static_cast<uint32_t>(archive.size()), archive.data(), &decoder);
  }
  int OpenAndRead() {
    int open = Open();
    return open != kLhaOpenFound ? 100 + open : ReadHeaders(&list, &decoder);
  }
  const LhaMember* Member(int index) const {
    const LhaMember* m = list.head;
    while (m != nullptr && --index > 0) m = m->next;
    return m;
  }
  std::string Decode(int index, uint32_t room) {
    if (SelectMember(&list, index, &decoder) != kLhaSelected) return "<not selected>";
    std::string out(room, '\0');
    out.resize(ReadMember(&decoder, &out[0], room));
    return out;
  }

  std::string archive;
  cMorLhaDec decoder;
  LhaMemberList list{};
};

std::string Stored(const std::string& name, const std::string& data) {
  return LhaLevel0(name, "-lh0-", data, static_cast<uint32_t>(data.size()));
}

TEST(LhaArchiveTest, OpenFindsTheFirstMethodIdAfterLeadingBytes) {
  Reader none("");
  EXPECT_EQ(kLhaOpenNoData, OpenArchive(&none.list, 0, "x", &none.decoder));
  EXPECT_EQ(kLhaOpenNoData, OpenArchive(&none.list, 10, nullptr, &none.decoder));

  // A stub in front, with a false start ("-l-") that restarts the pattern.
  Reader stub(std::string(1000, 'M') + "-l-x" + Stored("A.TXT", "abc") + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, stub.OpenAndRead());
  ASSERT_EQ(1, stub.list.count);
  EXPECT_STREQ("A.TXT", stub.Member(1)->name);
  EXPECT_EQ(1004 + 24 + 5, stub.Member(1)->dataOffset);
  EXPECT_EQ(static_cast<uint32_t>(stub.archive.size()), stub.list.archiveSize);
  EXPECT_EQ("abc", stub.Decode(1, 3));

  // The id may start at offset 2 at the earliest: the header begins 2 bytes before it.
  Reader atTwo(Stored("A", "abc") + LhaEnd());
  EXPECT_EQ(kLhaOpenFound, atTwo.Open());
  EXPECT_EQ(0, atTwo.decoder.InputPos());
  Reader atOne("-lh0-" + std::string(40, 'x'));
  EXPECT_EQ(kLhaOpenNoHeader, Reader("x-lh0-" + std::string(40, 'x')).Open());
  EXPECT_EQ(kLhaOpenNoHeader, atOne.Open());

  // Beyond the scan budget, or no id at all.
  EXPECT_EQ(kLhaOpenNoHeader, Reader(std::string(2100, 'M') + Stored("A", "abc")).Open());
  EXPECT_EQ(kLhaOpenNoHeader, Reader("no archive here").Open());
  EXPECT_EQ(kLhaOpenFound, Reader(std::string(2000, 'M') + Stored("A", "abc")).Open());
}

TEST(LhaArchiveTest, NamesOfEveryHeaderLevel) {
  Reader reader(
      Stored("DIR\\FILE.TXT", "level0") +
      LhaLevel1("C.TXT", "-lh0-", {{2, "A\xFF" "B\xFF"}, {0x40, "attr"}}, "level1", 6) +
      LhaLevel2("-lh0-", {{0x54, "unix"}, {1, "D.TXT"}, {2, "X\xFF"}}, "level2", 6) +
      LhaLevel1("whole\\name", "-lh0-", {}, "l1", 2) + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, reader.OpenAndRead());
  ASSERT_EQ(4, reader.list.count);
  EXPECT_STREQ("FILE.TXT", reader.Member(1)->name);
  EXPECT_STREQ("A\\B\\C.TXT", reader.Member(2)->name);
  EXPECT_STREQ("X\\D.TXT", reader.Member(3)->name);
  EXPECT_STREQ("whole\\name", reader.Member(4)->name);
  EXPECT_EQ(reader.Member(4), reader.list.tail);
  EXPECT_EQ(reader.Member(3), reader.list.tail->prev);
  // Level 1 counts its extended headers in the packed size; the member does not.
  EXPECT_EQ(6, reader.Member(2)->packedSize);
  EXPECT_STREQ("-lh0-", reader.Member(2)->method);
  EXPECT_EQ("level0", reader.Decode(1, 64));
  EXPECT_EQ("level1", reader.Decode(2, 64));
  EXPECT_EQ("level2", reader.Decode(3, 64));
  EXPECT_EQ("l1", reader.Decode(4, 64));
}

// A level 0 name keeps its last component, split by Shift-JIS character: the 0x5C
// second byte of "表" or "ソ" separates nothing. Such a name is a file's, at every level.
TEST(LhaArchiveTest, Level0NamesSplitByCharacterAndEndingsIn5CAreFiles) {
  Reader reader(Stored("表.txt", "a") + Stored("DIR\\予定表", "b") + Stored("ソ\\x", "c") +
                LhaLevel1("十", "-lh0-", {{2, "D\xFF"}}, "d", 1) + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, reader.OpenAndRead());
  ASSERT_EQ(4, reader.list.count);
  EXPECT_STREQ("表.txt", reader.Member(1)->name);
  EXPECT_STREQ("予定表", reader.Member(2)->name);
  EXPECT_STREQ("x", reader.Member(3)->name);
  EXPECT_STREQ("D\\十", reader.Member(4)->name);
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(LhaIsFolder(*reader.Member(i))) << i;
  EXPECT_EQ("b", reader.Decode(2, 64));
  EXPECT_EQ("d", reader.Decode(4, 64));
}

TEST(LhaArchiveTest, TheLongestNamesFitAndLongerOnesAreMalformed) {
  const std::string dir(255, 'd');
  // 255 + 4 = 259 characters: the field's limit with its terminating zero.
  Reader fits(LhaLevel2("-lh0-", {{2, dir}, {1, "f.tx"}}, "", 0) + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, fits.OpenAndRead());
  EXPECT_EQ(dir + "f.tx", fits.Member(1)->name);

  EXPECT_EQ(kLhaHeaderMalformed,
            Reader(LhaLevel2("-lh0-", {{2, dir}, {1, "f.txt"}}, "", 0) + LhaEnd()).OpenAndRead());
  EXPECT_EQ(kLhaHeaderMalformed,
            Reader(LhaLevel2("-lh0-", {{1, std::string(101, 'f')}}, "", 0) + LhaEnd())
                .OpenAndRead());
  EXPECT_EQ(kLhaHeaderMalformed,
            Reader(LhaLevel2("-lh0-", {{2, std::string(256, 'd')}}, "", 0) + LhaEnd())
                .OpenAndRead());
  EXPECT_EQ(kLhaHeadersRead, Reader(Stored(std::string(101, 'n'), "") + LhaEnd()).OpenAndRead());
  EXPECT_EQ(kLhaHeaderMalformed,
            Reader(Stored(std::string(102, 'n'), "") + LhaEnd()).OpenAndRead());
  // A level 1 base name of 101 under a directory of 200.
  EXPECT_EQ(kLhaHeaderMalformed,
            Reader(LhaLevel1(std::string(101, 'n'), "-lh0-", {{2, std::string(200, 'd')}}, "", 0) +
                   LhaEnd())
                .OpenAndRead());
}

TEST(LhaArchiveTest, HeadersThatPointOutsideTheArchiveAreMalformed) {
  const std::string good = Stored("A", "abc");
  // No end marker: the next header size byte reads past the end.
  Reader noEnd(good + good);
  EXPECT_EQ(kLhaHeaderMalformed, noEnd.OpenAndRead());
  EXPECT_EQ(3, noEnd.list.count);  // the failed one stays listed

  // Packed size past the end of the data.
  std::string longPacked = good;
  longPacked[7] = 100;
  EXPECT_EQ(kLhaHeaderMalformed, Reader(longPacked + LhaEnd()).OpenAndRead());
  std::string negative = good;
  negative[10] = '\x80';
  EXPECT_EQ(kLhaHeaderMalformed, Reader(negative + LhaEnd()).OpenAndRead());

  // Header sizes too small for the header's own fields.
  std::string smallHeader = good + LhaEnd();
  smallHeader[0] = 5;
  EXPECT_EQ(kLhaHeaderMalformed, Reader(smallHeader).OpenAndRead());
  std::string smallLevel1 = LhaLevel1("N", "-lh0-", {}, "ab", 2) + LhaEnd();
  smallLevel1[0] = static_cast<char>(smallLevel1[0] - 1);
  EXPECT_EQ(kLhaHeaderMalformed, Reader(smallLevel1).OpenAndRead());

  // Header size pointing past the end.
  std::string bigHeader = good + LhaEnd();
  bigHeader[0] = '\xF0';
  EXPECT_EQ(kLhaHeaderMalformed, Reader(bigHeader).OpenAndRead());

  // Extended headers: too short to hold their own size, running past the end, and a
  // level 1 chain larger than the packed size field.
  std::string shortExt = LhaLevel2("-lh0-", {{1, "N"}}, "", 0) + LhaEnd();
  shortExt[24] = 2;
  EXPECT_EQ(kLhaHeaderMalformed, Reader(shortExt).OpenAndRead());
  std::string longExt = LhaLevel2("-lh0-", {{1, "N"}}, "", 0) + LhaEnd();
  longExt[24] = '\x40';
  longExt[25] = '\x10';
  EXPECT_EQ(kLhaHeaderMalformed, Reader(longExt).OpenAndRead());
  std::string chainOverPacked = LhaLevel1("N", "-lh0-", {{0x40, "xxxx"}}, "ab", 2) + LhaEnd();
  chainOverPacked[7] = 3;
  EXPECT_EQ(kLhaHeaderMalformed, Reader(chainOverPacked).OpenAndRead());

  // Every prefix of a good archive ends cleanly, as one result or another.
  const std::string whole = good + LhaLevel2("-lh0-", {{1, "B"}, {2, "D\xFF"}}, "xyz", 3) + LhaEnd();
  for (size_t cut = 1; cut < whole.size(); ++cut) {
    Reader prefix(whole.substr(0, cut));
    int result = prefix.OpenAndRead();
    EXPECT_TRUE(result == kLhaHeaderMalformed || result == 100 + kLhaOpenNoHeader) << cut;
  }
}

// A level 2 header whose total size is a multiple of 256 starts with a zero byte, the
// end marker: the reader stops there.
TEST(LhaArchiveTest, ALevel2HeaderOfSize256EndsTheArchive) {
  std::string padding(256 - 26 - 7, 'p');
  std::string header = LhaLevel2("-lh0-", {{0x7F, padding}, {1, "F"}}, "abc", 3);
  ASSERT_EQ(0, header[0]);
  Reader reader(Stored("A", "abc") + header + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, reader.OpenAndRead());
  EXPECT_EQ(1, reader.list.count);
}

TEST(LhaArchiveTest, SelectAndReadMembers) {
  Reader reader(Stored("A", "first") + LhaLevel1("F\\", "-lh5-", {}, "packed", 1000) +
                LhaLevel1("Q", "-zzz-", {}, "????", 4) +
                LhaLevel1("E\\", "-lhd-", {}, "", 0) + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, reader.OpenAndRead());
  ASSERT_EQ(4, reader.list.count);
  EXPECT_EQ(kLhaNoSuchMember, SelectMember(&reader.list, 0, &reader.decoder));
  EXPECT_EQ(kLhaNoSuchMember, SelectMember(&reader.list, 5, &reader.decoder));
  // Folders are selected but never decoded, whatever their method and size says.
  EXPECT_EQ("", reader.Decode(2, 1000));
  EXPECT_EQ(reader.Member(2), reader.list.current);
  EXPECT_EQ("", reader.Decode(4, 1000));
  // An unknown method is listed and selected, and delivers nothing.
  EXPECT_STREQ("-zzz-", reader.Member(3)->method);
  EXPECT_EQ("", reader.Decode(3, 4));
  // Selection walks on from the current member, and back from the head.
  EXPECT_EQ(reader.Member(3), reader.list.current);
  EXPECT_EQ("first", reader.Decode(1, 5));
  EXPECT_EQ(reader.Member(1), reader.list.current);
  // Reading again after the end delivers nothing more.
  char more[4];
  EXPECT_EQ(0u, ReadMember(&reader.decoder, more, sizeof more));

  FreeHeaders(&reader.list);
  EXPECT_EQ(nullptr, reader.list.head);
  EXPECT_EQ(nullptr, reader.list.tail);
  EXPECT_EQ(0, reader.list.count);
}

TEST(LhaArchiveTest, AllocationFailures) {
  Reader headers(Stored("A", "abc") + Stored("B", "def") + LhaEnd());
  ASSERT_EQ(kLhaOpenFound, headers.Open());
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(kLhaHeadersNoMemory, ReadHeaders(&headers.list, &headers.decoder));
  EXPECT_EQ(0, headers.list.count);

  Reader select(Stored("A", "abc") + LhaEnd());
  ASSERT_EQ(kLhaHeadersRead, select.OpenAndRead());
  morstd::MorFailNextAllocations(1);
  EXPECT_EQ(kLhaNoTables, SelectMember(&select.list, 1, &select.decoder));
  morstd::MorFailNextAllocations(0);
  char out[3];
  EXPECT_EQ(0u, ReadMember(&select.decoder, out, 3));
  EXPECT_EQ("abc", select.Decode(1, 3));
}

}  // namespace
