// The install worker: a thin thread procedure around the install sequence, with the
// progress dialog that it creates (and owns) on its own thread.
#include "app/InstallWorker.h"

#include <process.h>

#include "app/InstProg.h"
#include "app/SetupMWnd.h"
#include "install/InstallSequence.h"

namespace {

// Runs the sequence; every object is gone before the thread ends, since _endthreadex
// does not return to run destructors.
int RunInstall(cSetupMWnd* window) {
  InstallPlan plan;
  plan.installDir = window->installDir.GetData();
  plan.appDataDir = window->appDataDir.GetData();
  plan.contentsDir = window->contentsDir.GetData();
  plan.programsDir = window->programsDir.GetData();
  plan.desktopDir = window->desktopDir.GetData();
  plan.addStartMenu = window->addStartMenu;
  plan.addDesktop = window->addDesktop;
  plan.createInstallDir = window->createInstallDir;
  plan.memberCount = window->memberCount;
  plan.reg = window->reg;
  plan.payload = &window->measuredPayload;
  try {
    cInstProg progress;
    const bool shown = progress.Create(window->hwnd) != 0;
    if (shown) ShowWindow(progress.hwnd, SW_SHOW);
    return RunInstallSequence(plan, shown ? &progress : nullptr);
  } catch (...) {
    return kInstallUnexpected;
  }
}

}  // namespace

unsigned __stdcall InstallWorker(void* mainWindow) {
  auto* window = static_cast<cSetupMWnd*>(mainWindow);
  const int code = RunInstall(window);
  PostMessageA(window->hwnd, WM_SETUP_COMPLETE, SETUP_DONE_INSTALL, code);
  _endthreadex(static_cast<unsigned>(code));
  return static_cast<unsigned>(code);
}
