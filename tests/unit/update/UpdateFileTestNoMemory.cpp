// The payload operations of an update with each of their allocations failing in turn:
// every failure is one of the operation's codes with its text, never a crash, and
// leaves nothing half done (the patch text, the installed record).
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "morstd/MorAlloc.h"
#include "unit/update/UpdateFileTestFixture.h"

namespace {

using dhtest::Contents;
using dhtest::kInstallDir;

// Allocations an operation here makes stay far below this; more means it never ends.
constexpr int kMostAllocations = 500;

class UpdateFileNoMemoryTest : public dhtest::UpdateFileFixture {
 protected:
  void TearDown() override {
    morstd::MorFailNextAllocations(0);
    UpdateFileFixture::TearDown();
  }

  // Runs `operation` with its first, second, ... allocation failing until it succeeds;
  // after each failed run `check` sees its code. `prepare`, when given, runs with every
  // allocation granted before each run. Returns the codes met.
  std::set<int> FailEachAllocation(const std::function<int()>& operation,
                                   const std::function<void(int)>& check,
                                   const std::function<void()>& prepare = nullptr) {
    std::set<int> codes;
    for (int skip = 0; skip < kMostAllocations; ++skip) {
      if (prepare) prepare();
      morstd::MorFailAllocationAfter(skip);
      const int result = operation();
      morstd::MorFailNextAllocations(0);
      if (result == 1) return codes;
      EXPECT_EQ(0, result) << skip;
      codes.insert(update.lastError);
      check(update.lastError);
    }
    ADD_FAILURE() << "still failing after " << kMostAllocations << " allocations";
    return codes;
  }
};

TEST_F(UpdateFileNoMemoryTest, GetSetupInfoWithoutMemory) {
  // Longer than a fresh string's first buffer, so that taking it over allocates too.
  const std::string patch = "<UpdatePatch><Version>1.0</Version><!-- " + std::string(80, '-') +
                            " --></UpdatePatch>";
  RegisterPayload({{"#PROGRAMFILES#\\", ""}, {"SetupInfo.xml", patch}});
  ASSERT_EQ(1, update.LoadDatResource());
  morstd::cMorString text;
  text.Assign("before");
  const std::set<int> codes = FailEachAllocation(
      [&] { return update.GetSetupInfo(&text); },
      [&](int code) {
        if (code == 99960) {
          EXPECT_EQ("設定ファイル取得時に例外発生(69960)", Message());
          text.Assign("before");  // a string that could not grow gave up its buffer
          return;
        }
        EXPECT_EQ("設定ファイル取得失敗(30" + std::to_string(code) + ")", Message());
        EXPECT_STREQ("before", text.GetData()) << code;
      });
  // The decoder's tables, the patch's buffer, then the string (reading the headers
  // allocates nothing).
  EXPECT_EQ((std::set<int>{270, 275, 99960}), codes);
  EXPECT_EQ(patch, text.GetData());
  EXPECT_EQ(0, update.lastError);
}

TEST_F(UpdateFileNoMemoryTest, ListMembersWithoutMemoryListsAfreshNextTime) {
  RegisterPayload(NewMembers());
  ASSERT_EQ(1, update.LoadDatResource());
  const std::set<int> codes = FailEachAllocation(
      [&] { return update.ListMembers(); },
      [&](int code) {
        EXPECT_EQ(code == 99970 ? "圧縮ファイルヘッダー取得時に例外発生(69970)"
                                : "圧縮ファイルヘッダー取得失敗(30" + std::to_string(code) + ")",
                  Message());
      });
  // The name list (reading the headers allocates nothing).
  EXPECT_EQ((std::set<int>{99970}), codes);
  EXPECT_EQ(5, update.memberCount);
  EXPECT_EQ(5, update.memberList.GetCount());
  EXPECT_EQ(10u + 6u + 15u, update.requiredBytes);
}

TEST_F(UpdateFileNoMemoryTest, InstallFilesWithoutMemoryKeepsTheInstalledRecord) {
  InstallOldVersion();
  LoadNewPayload();
  ASSERT_EQ(1, update.uninstDat.Load(kInstallDir));
  const std::string record = std::string(kInstallDir) + "\\Uninst.dat";
  const std::string oldRecord = Contents(record);
  dhtest::RecordingSink sink;
  const std::set<int> codes = FailEachAllocation(
      [&] {
        int step = 0;
        return update.InstallFiles(&step, &sink, 14);
      },
      [&](int code) {
        EXPECT_EQ(code == 99880 ? "ファイルインストール中に例外発生(99880)"
                                : "ファイルのインストール失敗(30" + std::to_string(code) + ")",
                  Message());
        // A merge that ran out of memory must not leave a damaged record behind.
        EXPECT_EQ(oldRecord, Contents(record)) << code;
      },
      // The payload is released once every member is written, before the merge.
      [&] {
        if (!update.payload.data) {
          ASSERT_EQ(1, update.LoadDatResource());
        }
      });
  // Tables, member buffers, paths, and the merge.
  for (int code : {425, 430, 440, 99880}) EXPECT_EQ(1u, codes.count(code)) << code;
  for (int code : codes)
    EXPECT_EQ(1u, (std::set<int>{425, 430, 440, 99880}).count(code)) << code;
  EXPECT_EQ(nullptr, update.payload.data);
  EXPECT_EQ("new viewer", Contents(std::string(kInstallDir) + "\\DHViewer.exe"));
  EXPECT_NE(oldRecord, Contents(record));
}

}  // namespace
