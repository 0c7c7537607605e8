// Test controls of MessageBoxA: what was shown, and the answers the "user" gives.
#pragma once

#include <string>
#include <vector>

#include "platform/host/Types.h"

namespace hostwin {

struct MessageBoxEntry {
  HWND owner = nullptr;
  std::string text;     // the caller's bytes (code page 932); "" for a null text
  std::string caption;  // likewise
  UINT flags = 0;
  int answer = 0;  // what MessageBoxA returned
};

// Every message box so far, oldest first (a copy: workers may add to it meanwhile).
std::vector<MessageBoxEntry> MessageJournal();
void ClearMessageJournal();

// The next message box returns this instead of its default button; answers queue up
// and are used in order. ResetAll and ClearMessageJournal drop unused ones.
void QueueMessageBoxAnswer(int answer);

}  // namespace hostwin
