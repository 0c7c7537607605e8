// The update worker: a thin thread procedure around the update sequence, with the
// progress dialog that it creates (and owns) on its own thread and the update display's
// pane as its log.
#include "app/UpdateWorker.h"

#include <process.h>

#include "app/InstProg.h"
#include "app/LogPane.h"
#include "app/SetupMWnd.h"
#include "app/UpdateDspDlg.h"
#include "update/UpdateSequence.h"

namespace {

// Every line is kept: the log is short and the user may want to read all of it.
constexpr int kKeepAllLines = 0;

// Runs the sequence; every object is gone before the thread ends, since _endthreadex
// does not return to run destructors.
int RunUpdate(cSetupMWnd* window) {
  try {
    // Without the update display the lines go nowhere rather than into a box each.
    HWND display = window->updateDspDlg ? window->updateDspDlg->hwnd : nullptr;
    cLogPane pane(display, IDC_TEXT, kKeepAllLines);
    cInstProg progress;
    const bool shown = progress.Create(window->hwnd) != 0;
    if (shown) ShowWindow(progress.hwnd, SW_SHOW);
    return RunUpdateSequence(window->reg, window->IsUpdateMode(), display ? &pane : nullptr,
                             shown ? &progress : nullptr);
  } catch (...) {
    return kUpdateUnexpected;
  }
}

}  // namespace

unsigned __stdcall UpdateWorker(void* mainWindow) {
  auto* window = static_cast<cSetupMWnd*>(mainWindow);
  const int code = RunUpdate(window);
  PostMessageA(window->hwnd, WM_SETUP_COMPLETE, SETUP_DONE_UPDATE, code);
  _endthreadex(static_cast<unsigned>(code));
  return static_cast<unsigned>(code);
}
