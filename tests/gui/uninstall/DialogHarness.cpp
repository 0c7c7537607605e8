#include "gui/uninstall/DialogHarness.h"

#include "gui/lib/GuiTest.h"

namespace uninsttest {
namespace {

const char kOwnerClass[] = "DHUninstallTestOwner";
constexpr int kLogId = 1001;
// Only guards against a hang when an expected box never comes.
constexpr DWORD kBoxTimeoutMs = 20000;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TEST_POKE) {
    auto* owner = reinterpret_cast<OwnerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (owner && owner->onPoke) owner->onPoke();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

OwnerWindow::OwnerWindow(int editId) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kOwnerClass;
  RegisterClassA(&windowClass);  // already registered by an earlier test is fine
  hwnd = CreateWindowExA(0, kOwnerClass, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 600,
                         360, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (editId) {
    edit = CreateWindowExA(0, "EDIT", "",
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE |
                               ES_AUTOHSCROLL | ES_READONLY,
                           0, 0, 580, 300, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(editId)),
                           GetModuleHandleA(nullptr), nullptr);
  }
}

OwnerWindow::~OwnerWindow() {
  if (hwnd) DestroyWindow(hwnd);
}

BoxWatcher::BoxWatcher(int count, bool closeOwner) {
  thread_ = std::thread([this, count, closeOwner] {
    for (int i = 0; i < count; ++i) {
      SeenBox seen;
      if (!guitest::WaitForMessageBox(&seen.box, kBoxTimeoutMs, GetCurrentProcessId())) return;
      if (seen.box.owner) seen.log = guitest::GetText(guitest::FindControl(seen.box.owner, kLogId));
      guitest::AnswerMessageBox(seen.box.hwnd, IDOK);
      if (closeOwner && seen.box.owner) PostMessageA(seen.box.owner, WM_CLOSE, 0, 0);
      seen_.push_back(seen);
    }
  });
}

BoxWatcher::~BoxWatcher() {
  if (thread_.joinable()) thread_.join();
}

std::vector<SeenBox> BoxWatcher::Finish() {
  if (thread_.joinable()) thread_.join();
  return seen_;
}

}  // namespace uninsttest
