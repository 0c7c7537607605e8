// Recognising, reading and answering message boxes.
#include "gui/lib/GuiTest.h"

#include <cstring>

namespace guitest {
namespace {

const DWORD kPollMs = 10;
const DWORD kCloseTimeoutMs = 5000;
// The static control holding a message box's text.
const int kTextId = 0xFFFF;

// Class names may carry a version prefix ("6.0.0.0!Button") when the program uses
// Common Controls 6.
bool IsClass(HWND hwnd, const char* wanted) {
  char cls[256];
  if (GetClassNameA(hwnd, cls, sizeof cls) == 0) return false;
  const char* bang = std::strrchr(cls, '!');
  return lstrcmpiA(bang != nullptr ? bang + 1 : cls, wanted) == 0;
}

struct BoxQuery {
  DWORD processId;
  MessageBoxInfo* out;
  bool found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM param) {
  BoxQuery* query = reinterpret_cast<BoxQuery*>(param);
  if (query->processId != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->processId) return TRUE;
  }
  if (!ReadMessageBox(hwnd, query->out)) return TRUE;
  query->found = true;
  return FALSE;
}

}  // namespace

bool ReadMessageBox(HWND box, MessageBoxInfo* out) {
  if (box == nullptr || !IsWindowVisible(box) || !IsClass(box, "#32770")) return false;
  HWND textControl = nullptr;
  MessageBoxInfo info;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsClass(child, "Button")) {
      if (IsWindowVisible(child)) info.buttons.push_back(GetDlgCtrlID(child));
    } else if (IsClass(child, "Static")) {
      if (textControl == nullptr && GetDlgCtrlID(child) == kTextId) textControl = child;
    } else {
      return false;
    }
  }
  if (textControl == nullptr || info.buttons.empty()) return false;
  info.hwnd = box;
  info.owner = GetWindow(box, GW_OWNER);
  info.text = GetText(textControl);
  info.caption = GetText(box);
  if (out != nullptr) *out = info;
  return true;
}

bool WaitForMessageBox(MessageBoxInfo* out, DWORD timeoutMs, DWORD processId) {
  const DWORD start = GetTickCount();
  for (;;) {
    BoxQuery query{processId, out, false};
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&query));
    if (query.found) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool AnswerMessageBox(HWND box, int buttonId) {
  MessageBoxInfo info;
  if (!ReadMessageBox(box, &info)) return false;
  bool offered = false;
  for (int id : info.buttons) offered = offered || id == buttonId;
  // Pressing a button the box does not offer would end it with an answer the program
  // never allowed; refuse instead.
  if (!offered || !ClickButton(box, buttonId)) return false;
  return WaitForWindowGone(box, kCloseTimeoutMs);
}

}  // namespace guitest
