// Reading the record for the uninstall worker: every code with its log line, and
// damaged sizes refused before they are trusted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "morstd/MorAlloc.h"
#include "uninstall/GetUninstData.h"
#include "unit/uninstall/UninstallFixture.h"

namespace {

using namespace uninstalltest;

class GetUninstDataTest : public UninstallFixture {
 protected:
  // The code of a failed read, from its one log line; 0 when it succeeded.
  int Code(int failingAllocations = 0) {
    sink.lines.clear();
    list.Add("stale");
    morstd::MorFailNextAllocations(failingAllocations);
    UninstRecordHeader header;
    const int result = GetUninstData(kRecord, &list, &sink, &header);
    morstd::MorFailNextAllocations(0);
    if (result == 1) return sink.lines.empty() ? 0 : -1;
    EXPECT_EQ(0, list.GetCount());
    EXPECT_EQ(1u, sink.lines.size());
    for (int code : {110, 120, 130, 135, 140, 150, 999}) {
      if (sink.lines.size() == 1 &&
          sink.lines[0] == "例外発生(GetUninstData err=" + std::to_string(code) + ")\r\n")
        return code;
    }
    return -2;
  }
  RecordingSink sink;
  morstd::cMorMemBlock list;
};

TEST_F(GetUninstDataTest, ReadsTheHeaderAndEveryName) {
  Put(kRecord, RecordBytes({"#PROGRAMFILES#\\", "#APPDATA#\\Model\\m.dat"}, 1, 0));
  UninstRecordHeader header;
  ASSERT_EQ(1, GetUninstData(kRecord, &list, &sink, &header));
  EXPECT_TRUE(sink.lines.empty());
  EXPECT_EQ(1, header.startMenuShortcut);
  EXPECT_EQ(0, header.desktopShortcut);
  EXPECT_EQ(2, header.entryCount);
  ASSERT_EQ(2, list.GetCount());
  EXPECT_STREQ("#APPDATA#\\Model\\m.dat", list.GetAt(1));
  // The file is closed again: the record can go.
  EXPECT_TRUE(DeleteFileA(kRecord));
}

TEST_F(GetUninstDataTest, EveryFailureHasItsCode) {
  EXPECT_EQ(110, Code());  // no record

  const std::string good = RecordBytes({"#PROGRAMFILES#\\", "#PROGRAMFILES#\\a.txt"}, 1, 1);
  Put(kRecord, good);
  hostwin::InjectFault({"ReadFile", "", 1, ERROR_READ_FAULT});
  EXPECT_EQ(120, Code());
  hostwin::ClearFaults();

  std::string other = good;
  other[6] = '2';  // "DHVUI02"
  Put(kRecord, other);
  EXPECT_EQ(130, Code());
  Put(kRecord, "DHVUI01");  // the zeroed buffer ends the short signature
  EXPECT_EQ(135, Code());
  std::string unterminated = good;
  unterminated[7] = 'X';  // "DHVUI01X": no NUL where the signature ends
  Put(kRecord, unterminated);
  EXPECT_EQ(130, Code());

  Put(kRecord, good.substr(0, 20));
  EXPECT_EQ(135, Code());

  Put(kRecord, good);
  EXPECT_EQ(130, Code(1));  // no memory for the name area

  hostwin::InjectFault({"ReadFile", "", 3, ERROR_READ_FAULT});
  EXPECT_EQ(140, Code());
  hostwin::ClearFaults();
  Put(kRecord, good.substr(0, good.size() - 1));  // the area is one byte short
  EXPECT_EQ(140, Code());

  std::string tooMany = good;
  tooMany[24] = 4;  // four names in an area of two (and its final NUL)
  Put(kRecord, tooMany);
  EXPECT_EQ(150, Code());

  Put(kRecord, good);
  EXPECT_EQ(0, Code());
}

TEST_F(GetUninstDataTest, DamagedSizesAreRefusedBeforeAnythingIsAllocated) {
  const std::string good = RecordBytes({"#PROGRAMFILES#\\"}, 1, 1);
  std::string negative = good;
  negative.replace(20, 4, Int32(-8));
  Put(kRecord, negative);
  EXPECT_EQ(130, Code());

  std::string huge = good;
  huge.replace(20, 4, Int32(0x7FFFFFF0));
  Put(kRecord, huge);
  EXPECT_EQ(140, Code());

  std::string negativeCount = good;
  negativeCount.replace(24, 4, Int32(-1));
  Put(kRecord, negativeCount);
  EXPECT_EQ(150, Code());
}

}  // namespace
