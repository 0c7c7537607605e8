// Finding windows and controls, reading texts, pressing buttons.
#include "gui/lib/GuiTest.h"

#include <vector>

namespace guitest {
namespace {

// Poll step of every wait: short against a GUI start (about 170 ms under Wine), long
// enough not to load the machine.
const DWORD kPollMs = 10;
// A window that takes longer than this to answer WM_GETTEXT is hung.
const UINT kSendTimeoutMs = 5000;

struct WindowQuery {
  const char* className;
  const char* title;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  WindowQuery* query = reinterpret_cast<WindowQuery*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (query->processId != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->processId) return TRUE;
  }
  char cls[256];
  if (GetClassNameA(hwnd, cls, sizeof cls) == 0 || lstrcmpiA(cls, query->className) != 0) {
    return TRUE;
  }
  if (query->title != nullptr && GetText(hwnd) != query->title) return TRUE;
  query->found = hwnd;
  return FALSE;
}

struct ControlQuery {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param) {
  ControlQuery* query = reinterpret_cast<ControlQuery*>(param);
  if (GetDlgCtrlID(hwnd) != query->id) return TRUE;
  query->found = hwnd;
  return FALSE;
}

}  // namespace

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs,
                   DWORD processId) {
  if (className == nullptr) return nullptr;
  const DWORD start = GetTickCount();
  for (;;) {
    WindowQuery query{className, title, processId, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
    if (query.found != nullptr) return query.found;
    if (GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

HWND FindControl(HWND parent, int id) {
  if (parent == nullptr) return nullptr;
  // EnumChildWindows walks every descendant, not only the direct children.
  ControlQuery query{id, nullptr};
  EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForControl(HWND parent, int id, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND control = FindControl(parent, id)) return control;
    if (!IsWindow(parent) || GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

std::string GetText(HWND hwnd) {
  if (hwnd == nullptr) return std::string();
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &length)) {
    return std::string();
  }
  std::vector<char> buffer(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                           kSendTimeoutMs, &copied)) {
    return std::string();
  }
  if (copied > length) copied = length;
  return std::string(buffer.data(), copied);
}

bool ClickButton(HWND parent, int id) {
  HWND button = FindControl(parent, id);
  if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) {
    return false;
  }
  return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

RECT WindowRect(HWND hwnd) {
  RECT rect{0, 0, 0, 0};
  if (hwnd == nullptr || !GetWindowRect(hwnd, &rect)) return RECT{0, 0, 0, 0};
  return rect;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
  }
}

}  // namespace guitest
