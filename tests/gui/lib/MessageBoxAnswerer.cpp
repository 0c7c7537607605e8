#include "gui/lib/MessageBoxAnswerer.h"

#include <algorithm>
#include <utility>

#include "gui/lib/GuiTest.h"

namespace guitest {
namespace {

// How long one look for a box lasts before the stop flag is checked again.
const DWORD kLookMs = 20;

bool Offers(const MessageBoxInfo& box, int id) {
  return std::find(box.buttons.begin(), box.buttons.end(), id) != box.buttons.end();
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(int answer)
    : MessageBoxAnswerer(std::vector<int>(), answer) {}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers, int thenAnswer)
    : answers_(answers.begin(), answers.end()), thenAnswer_(thenAnswer) {
  thread_ = std::thread([this] { Run(); });
}

MessageBoxAnswerer::~MessageBoxAnswerer() { Stop(); }

void MessageBoxAnswerer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::vector<MessageBoxInfo> MessageBoxAnswerer::Boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

int MessageBoxAnswerer::NextAnswer(const MessageBoxInfo& box) {
  int wanted = thenAnswer_;
  if (!answers_.empty()) {
    wanted = answers_.front();
    answers_.pop_front();
  }
  if (Offers(box, wanted)) return wanted;
  if (Offers(box, IDCANCEL)) return IDCANCEL;
  if (Offers(box, IDOK)) return IDOK;
  return box.buttons.front();
}

void MessageBoxAnswerer::Run() {
  const DWORD self = GetCurrentProcessId();
  // Boxes pressed but not yet gone (closing, or stuck): seen once, recorded once.
  std::vector<HWND> pressed;
  while (!stop_) {
    pressed.erase(std::remove_if(pressed.begin(), pressed.end(),
                                 [](HWND hwnd) { return !IsWindow(hwnd); }),
                  pressed.end());
    MessageBoxInfo box;
    if (!WaitForMessageBox(&box, kLookMs, self)) continue;
    if (std::find(pressed.begin(), pressed.end(), box.hwnd) != pressed.end()) {
      Sleep(kLookMs);
      continue;
    }
    size_t index = 0;
    {
      // Recorded before the press: the moment MessageBoxA returns on the test thread,
      // the test may read Boxes().
      std::lock_guard<std::mutex> lock(mutex_);
      box.answer = NextAnswer(box);
      boxes_.push_back(box);
      index = boxes_.size() - 1;
    }
    pressed.push_back(box.hwnd);
    if (!AnswerMessageBox(box.hwnd, box.answer)) {
      std::lock_guard<std::mutex> lock(mutex_);
      boxes_[index].answer = 0;
    }
  }
}

}  // namespace guitest
