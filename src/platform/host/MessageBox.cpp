// MessageBoxA without a screen: journaled, answered by script or by the default button.
#include <deque>
#include <mutex>

#include "platform/host/FailWith.h"
#include "platform/host/Faults.h"
#include "platform/host/MessageJournal.h"
#include "platform/host/User.h"

namespace hostwin {
namespace {

struct Journal {
  std::mutex lock;  // worker threads show message boxes too
  std::vector<MessageBoxEntry> entries;
  std::deque<int> answers;
};

Journal& TheJournal() {
  static Journal journal;
  return journal;
}

const bool registered = (RegisterReset(&ClearMessageJournal), true);

// The buttons of each MB_TYPEMASK value, left to right; 0 ends a row.
const int kButtons[][3] = {
    {IDOK, 0, 0},                        // MB_OK
    {IDOK, IDCANCEL, 0},                 // MB_OKCANCEL
    {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
    {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
    {IDYES, IDNO, 0},                    // MB_YESNO
    {IDRETRY, IDCANCEL, 0},              // MB_RETRYCANCEL
    {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
};
constexpr UINT kButtonSets = sizeof kButtons / sizeof kButtons[0];

// The button that Enter would press: MB_DEFBUTTONn, or the first one when the box has
// no nth button.
int DefaultButton(UINT flags) {
  const int* row = kButtons[flags & MB_TYPEMASK];
  UINT index = (flags & MB_DEFMASK) >> 8;
  return (index < 3 && row[index] != 0) ? row[index] : row[0];
}

}  // namespace

std::vector<MessageBoxEntry> MessageJournal() {
  std::lock_guard<std::mutex> guard(TheJournal().lock);
  return TheJournal().entries;
}

void ClearMessageJournal() {
  std::lock_guard<std::mutex> guard(TheJournal().lock);
  TheJournal().entries.clear();
  TheJournal().answers.clear();
}

void QueueMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> guard(TheJournal().lock);
  TheJournal().answers.push_back(answer);
}

}  // namespace hostwin

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  DWORD error = 0;
  if (hostwin::FailNow("MessageBoxA", lpText, &error)) return hostwin::FailWith(error, 0);
  if ((uType & MB_TYPEMASK) >= hostwin::kButtonSets)
    return hostwin::FailWith(ERROR_INVALID_MSGBOX_STYLE, 0);
  hostwin::Journal& journal = hostwin::TheJournal();
  std::lock_guard<std::mutex> guard(journal.lock);
  hostwin::MessageBoxEntry entry;
  entry.owner = hWnd;
  entry.text = lpText ? lpText : "";
  entry.caption = lpCaption ? lpCaption : "";
  entry.flags = uType;
  if (journal.answers.empty()) {
    entry.answer = hostwin::DefaultButton(uType);
  } else {
    entry.answer = journal.answers.front();
    journal.answers.pop_front();
  }
  journal.entries.push_back(entry);
  return entry.answer;
}
