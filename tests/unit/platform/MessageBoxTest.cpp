// MessageBoxA on the host: the journal, scripted answers and default buttons.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/win.h"
#include "support/HostFixture.h"

namespace {

class MessageBoxTest : public dhtest::HostFixture {};

TEST_F(MessageBoxTest, JournalKeepsOwnerTextsAndFlags) {
  HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(IDOK,
            MessageBoxA(owner, "インストール完了しました", "確認", MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, nullptr, nullptr, MB_OK));

  auto journal = hostwin::MessageJournal();
  ASSERT_EQ(2u, journal.size());
  EXPECT_EQ(owner, journal[0].owner);
  EXPECT_EQ("インストール完了しました", journal[0].text);
  EXPECT_EQ("確認", journal[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), journal[0].flags);
  EXPECT_EQ(IDOK, journal[0].answer);
  EXPECT_EQ("", journal[1].text);  // a null text is shown empty, not a crash
  EXPECT_EQ(nullptr, journal[1].owner);

  hostwin::ClearMessageJournal();
  EXPECT_TRUE(hostwin::MessageJournal().empty());
}

TEST_F(MessageBoxTest, DefaultButtonOfEachButtonSet) {
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "t", "c", MB_OKCANCEL));
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "t", "c", MB_OKCANCEL | MB_DEFBUTTON2));
  EXPECT_EQ(IDYES, MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(IDNO, MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON2));
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "t", "c", MB_YESNOCANCEL | MB_DEFBUTTON3));
  EXPECT_EQ(IDIGNORE, MessageBoxA(nullptr, "t", "c", MB_ABORTRETRYIGNORE | MB_DEFBUTTON3));
  EXPECT_EQ(IDRETRY, MessageBoxA(nullptr, "t", "c", MB_RETRYCANCEL));
  EXPECT_EQ(IDCONTINUE, MessageBoxA(nullptr, "t", "c", MB_CANCELTRYCONTINUE | MB_DEFBUTTON3));
  // A box without a third button falls back to its first.
  EXPECT_EQ(IDYES, MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON3));
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "t", "c", MB_OK | MB_DEFBUTTON4));
}

TEST_F(MessageBoxTest, ScriptedAnswersAreUsedInOrderThenDefaultsResume) {
  hostwin::QueueMessageBoxAnswer(IDNO);
  hostwin::QueueMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(IDNO, MessageBoxA(nullptr, "first", "確認", MB_YESNO));
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "second", "確認", MB_YESNOCANCEL));
  EXPECT_EQ(IDYES, MessageBoxA(nullptr, "third", "確認", MB_YESNO));
  auto journal = hostwin::MessageJournal();
  ASSERT_EQ(3u, journal.size());
  EXPECT_EQ(IDNO, journal[0].answer);
  EXPECT_EQ("second", journal[1].text);
  EXPECT_EQ(IDYES, journal[2].answer);

  hostwin::QueueMessageBoxAnswer(IDNO);
  hostwin::ResetAll();  // drops the unused answer and the entries
  EXPECT_TRUE(hostwin::MessageJournal().empty());
  EXPECT_EQ(IDYES, MessageBoxA(nullptr, "t", "c", MB_YESNO));
}

TEST_F(MessageBoxTest, UnknownButtonSetAndInjectedFaultFail) {
  EXPECT_EQ(0, MessageBoxA(nullptr, "t", "c", 7));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE), GetLastError());
  hostwin::InjectFault(hostwin::Fault{"MessageBoxA", "", 1, ERROR_NOT_ENOUGH_MEMORY});
  EXPECT_EQ(0, MessageBoxA(nullptr, "t", "c", MB_OK));
  EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
  EXPECT_TRUE(hostwin::MessageJournal().empty());  // neither box was shown
}

TEST_F(MessageBoxTest, WorkerThreadsShareOneJournal) {
  constexpr int kPerThread = 200;
  for (int i = 0; i < kPerThread; ++i) hostwin::QueueMessageBoxAnswer(IDNO);
  auto worker = [] {
    for (int i = 0; i < kPerThread; ++i) MessageBoxA(nullptr, "w", "警告", MB_YESNO);
  };
  std::thread a(worker), b(worker);
  a.join();
  b.join();
  auto journal = hostwin::MessageJournal();
  ASSERT_EQ(2u * kPerThread, journal.size());
  int no = 0;
  for (const auto& entry : journal) no += entry.answer == IDNO;
  EXPECT_EQ(kPerThread, no);  // each scripted answer went to exactly one box
}

}  // namespace
