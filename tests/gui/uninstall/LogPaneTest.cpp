// The log pane writer with a real edit control under Wine.
#include <process.h>

#include <string>

#include <gtest/gtest.h>

#include "app/LogPane.h"
#include "gui/lib/GuiTest.h"
#include "gui/uninstall/DialogHarness.h"

namespace uninsttest {
namespace {

constexpr int kLogId = 1001;

class LogPaneTest : public ::testing::Test {
 protected:
  std::string Text() const { return guitest::GetText(owner.edit); }
  int Limit() const { return static_cast<int>(SendMessageA(owner.edit, EM_GETLIMITTEXT, 0, 0)); }

  OwnerWindow owner{kLogId};
};

TEST_F(LogPaneTest, UnlimitedLogAppendsFormattedLinesAtTheEnd) {
  ASSERT_NE(nullptr, owner.edit);
  EXPECT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s\r\n", "レジストリよりアンインストール情報"));
  // The caret elsewhere does not matter: the text always goes at the end.
  SendMessageA(owner.edit, EM_SETSEL, 0, 0);
  EXPECT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s 消去\r\n", "C:\\表示\\a.txt"));
  EXPECT_EQ(1, AppendLogText(owner.hwnd, kLogId, 0, "(%d) as it is"));
  EXPECT_EQ(std::string("レジストリよりアンインストール情報\r\nC:\\表示\\a.txt 消去\r\n(%d) as it is"),
            Text());
}

TEST_F(LogPaneTest, UnlimitedLogGrowsPastTheControlsLimitInLargeSteps) {
  SendMessageA(owner.edit, EM_LIMITTEXT, 100, 0);
  const std::string line = std::string(98, 'x') + "\r\n";  // 100 characters
  ASSERT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s", line.c_str()));
  EXPECT_EQ(100, Limit());  // it fitted: no growth
  ASSERT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s", line.c_str()));
  EXPECT_EQ(200 + 10240, Limit());
  // The step leaves room for many lines before the next growth.
  for (int i = 0; i < 100; ++i) ASSERT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s", line.c_str()));
  EXPECT_EQ(200 + 10240, Limit());
  // Far beyond the control's usual 30000 characters, nothing is lost.
  std::string expected;
  for (int i = 0; i < 102; ++i) expected += line;
  for (int i = 0; i < 30; ++i) {
    const std::string numbered = std::to_string(i) + std::string(1200, 'y') + "\r\n";
    ASSERT_EQ(1, AppendLog(owner.hwnd, kLogId, 0, "%s", numbered.c_str()));
    expected += numbered;
  }
  EXPECT_GT(static_cast<int>(expected.size()), 30000);
  EXPECT_EQ(expected, Text());
  EXPECT_GE(Limit(), static_cast<int>(expected.size()));
}

TEST_F(LogPaneTest, MissingControlIsReportedInABoxAndFails) {
  guitest::MessageBoxAnswerer answerer(IDOK);
  EXPECT_EQ(0, AppendLog(owner.hwnd, 4242, 0, "%s\r\n", "line"));
  // The plain text writer only says so; the sink reports it like AppendLog.
  EXPECT_EQ(0, AppendLogText(owner.hwnd, 4242, 0, "line\r\n"));
  cLogPane pane(owner.hwnd, 4242, 0);
  EXPECT_EQ(0, pane.AppendLog("%d\r\n", 5));
  answerer.Stop();
  const auto boxes = answerer.Boxes();
  ASSERT_EQ(2u, boxes.size());
  for (const auto& box : boxes) {
    EXPECT_EQ(std::string("例外が発生しました（Add）"), box.text);
    EXPECT_EQ(std::string("警告"), box.caption);
    EXPECT_EQ(owner.hwnd, box.owner);
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
  }
  EXPECT_EQ("", Text());
}

TEST_F(LogPaneTest, LineLimitedLogDropsTheOldestLinesWhole) {
  // Room left: a plain append.
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 3, "a\r\nb\r\n"));
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 3, "c\r\n"));
  EXPECT_EQ("a\r\nb\r\nc\r\n", Text());
  // Three complete lines and one more: the oldest goes, with its line end.
  ASSERT_EQ(1, AppendLog(owner.hwnd, kLogId, 3, "%s\r\n", "d"));
  EXPECT_EQ("b\r\nc\r\nd\r\n", Text());
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 3, "e\r\nf\r\n"));
  EXPECT_EQ("d\r\ne\r\nf\r\n", Text());
}

TEST_F(LogPaneTest, LineLimitedLogKeepsOnlyTheLastLinesOfALongText) {
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 2, "old\r\n"));
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 2, "1\r\n2\r\n3\r\n4\r\n5\r\n"));
  EXPECT_EQ("4\r\n5\r\n", Text());
  // A text of exactly one line more than the pane keeps.
  ASSERT_EQ(1, AppendLogText(owner.hwnd, kLogId, 2, "6\r\n7\r\n8\r\n"));
  EXPECT_EQ("7\r\n8\r\n", Text());
}

struct WorkerArgs {
  HWND owner;
  cLogSink* pane;
  int lines;
};

unsigned __stdcall WritingWorker(void* context) {
  auto* args = static_cast<WorkerArgs*>(context);
  for (int i = 0; i < args->lines; ++i) {
    if (i % 2 == 0) {
      if (!AppendLog(args->owner, kLogId, 0, "%d行目\r\n", i)) return 1;
    } else if (!args->pane->AppendLog("%d行目\r\n", i)) {
      return 1;
    }
  }
  return 0;
}

TEST_F(LogPaneTest, WorkerThreadWritesWhileTheInterfaceThreadPumps) {
  cLogPane pane(owner.hwnd, kLogId, 0);
  WorkerArgs args{owner.hwnd, &pane, 120};
  HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WritingWorker, &args, 0, nullptr));
  ASSERT_NE(nullptr, thread);
  // Every append waits for this thread to handle it: without pumping the worker hangs.
  ASSERT_TRUE(guitest::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; },
                                 30000));
  DWORD code = 99;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  EXPECT_EQ(0u, code);
  std::string expected;
  for (int i = 0; i < 120; ++i) expected += std::to_string(i) + "行目\r\n";
  EXPECT_EQ(expected, Text());
}

}  // namespace
}  // namespace uninsttest
