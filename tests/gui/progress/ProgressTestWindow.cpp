#include "gui/progress/ProgressTestWindow.h"

#include "app/AppGlobals.h"
#include "gui/lib/GuiTest.h"

namespace progresstest {

int closeRequests = 0;

namespace {

const char kClassName[] = "DH progress test owner";

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ++closeRequests;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void ProgressTest::SetUp() {
  g_instance = GetModuleHandleA(nullptr);
  closeRequests = 0;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OwnerProc;
  windowClass.hInstance = g_instance;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // fails harmlessly when an earlier test registered it
  owner = CreateWindowExA(0, kClassName, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                          400, nullptr, nullptr, g_instance, nullptr);
  ASSERT_NE(nullptr, owner);
  guitest::PumpUntil([] { return false; }, 50);
}

void ProgressTest::TearDown() {
  if (owner) DestroyWindow(owner);
  guitest::PumpUntil([] { return false; }, 20);
}

RECT InDialogUnits(HWND dialog, RECT pixels) {
  RECT unit = {0, 0, 4, 8};
  MapDialogRect(dialog, &unit);
  // One horizontal unit is unit.right / 4 pixels, one vertical unit unit.bottom / 8.
  auto x = [&](LONG v) { return static_cast<LONG>((v * 4 + unit.right / 2) / unit.right); };
  auto y = [&](LONG v) { return static_cast<LONG>((v * 8 + unit.bottom / 2) / unit.bottom); };
  return {x(pixels.left), y(pixels.top), x(pixels.right - pixels.left),
          y(pixels.bottom - pixels.top)};
}

RECT ChildRect(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace progresstest
