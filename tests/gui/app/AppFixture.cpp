#include "gui/app/AppFixture.h"

namespace apptest {

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

long long ReadUpdateResult() {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "UpdateSuccess", RRF_RT_ANY, &type, &value,
                   &size) != ERROR_SUCCESS || type != REG_DWORD) {
    return -12345;
  }
  return static_cast<long long>(static_cast<int32_t>(value));
}

void AppFixture::SetUp() {
  g_instance = GetModuleHandleA(nullptr);
  cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, nullptr);
  cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, nullptr);
}

void AppFixture::TearDown() {
  if (window && window->hwnd && IsWindow(window->hwnd)) DestroyWindow(window->hwnd);
  PumpFor(20);
  window.reset();
}

HWND AppFixture::CreateMainWindow(const char* commandLine) {
  window = std::make_unique<cSetupMWnd>();
  window->SetCommandLine(commandLine);
  HWND created = window->CreateMainWindow();
  PumpFor(50);
  return created;
}

bool AppFixture::WindowGone() const { return !window->hwnd || !IsWindow(window->hwnd); }

}  // namespace apptest
