// Answers the message boxes of this very process from a helper thread.
//
// For in-process tests whose code under test calls MessageBoxA on the test thread: that
// call blocks in the box's modal loop, so someone else has to press the button. The
// helper records every box before pressing, so when MessageBoxA returns, Boxes() already
// holds it.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "gui/lib/MessageBoxInfo.h"

namespace guitest {

class MessageBoxAnswerer {
 public:
  // Presses `answer` (IDOK, IDCANCEL, IDYES, IDNO, ...) on every box.
  explicit MessageBoxAnswerer(int answer = IDOK);
  // Presses the queued answers in turn, then `thenAnswer` on any further box.
  explicit MessageBoxAnswerer(std::vector<int> answers, int thenAnswer = IDOK);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // Ends and joins the helper thread; boxes appearing later stay unanswered.
  void Stop();
  // Every box seen so far, oldest first; `answer` tells which button was pressed. A box
  // lacking the wanted button gets Cancel, else OK, else its first button (the test
  // must not hang), and `answer` shows it.
  std::vector<MessageBoxInfo> Boxes() const;

 private:
  void Run();
  int NextAnswer(const MessageBoxInfo& box);

  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::deque<int> answers_;
  int thenAnswer_;
  std::vector<MessageBoxInfo> boxes_;
  std::thread thread_;
};

}  // namespace guitest
