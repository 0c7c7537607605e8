// Waiting for controls to reach a state, and setting them, across processes.
#include "gui/lib/GuiTest.h"

namespace guitest {
namespace {

const DWORD kPollMs = 10;

bool SendWithin(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                DWORD_PTR* result) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs,
                             result != nullptr ? result : &ignored) != 0;
}

}  // namespace

HWND WaitForControlText(HWND parent, int id, const char* text, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND control = FindControl(parent, id);
    if (control != nullptr && IsWindowVisible(control) &&
        (text == nullptr || GetText(control) == text)) {
      return control;
    }
    if (!IsWindow(parent) || GetTickCount() - start >= timeoutMs) return nullptr;
    Sleep(kPollMs);
  }
}

bool ClickButtonWhenReady(HWND parent, int id, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (ClickButton(parent, id)) return true;
    if (!IsWindow(parent) || GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool SettleWindow(HWND hwnd, DWORD timeoutMs) {
  if (hwnd == nullptr || !SendWithin(hwnd, WM_NULL, 0, 0, timeoutMs, nullptr)) return false;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  // The X server draws what Wine sent it a moment later; the picture is only for people,
  // so a short pause is enough.
  Sleep(150);
  return true;
}

bool SetCheck(HWND parent, int id, bool checked) {
  HWND box = FindControl(parent, id);
  if (box == nullptr) return false;
  const WPARAM state = checked ? BST_CHECKED : BST_UNCHECKED;
  if (!SendWithin(box, BM_SETCHECK, state, 0, 5000, nullptr)) return false;
  return GetCheck(parent, id) == static_cast<int>(state);
}

int GetCheck(HWND parent, int id) {
  HWND box = FindControl(parent, id);
  DWORD_PTR state = 0;
  if (box == nullptr || !SendWithin(box, BM_GETCHECK, 0, 0, 5000, &state)) return -1;
  return static_cast<int>(state);
}

}  // namespace guitest
