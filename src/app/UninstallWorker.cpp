// The uninstall dialog's thread procedure: a thin wrapper around the uninstall
// sequence, which writes its lines into the dialog's log pane.
#include <process.h>

#include "app/LogPane.h"
#include "app/SetupMWnd.h"  // WM_SETUP_COMPLETE, SETUP_DONE_INSTALL
#include "app/UninstDlg2.h"
#include "registry/Reg.h"

namespace {

// Runs the sequence; its objects are gone before the thread ends, since _endthreadex
// does not return to run their destructors.
int RunWithLogPane(cUninstDlg2* dialog) {
  cLogPane log(dialog->hwnd, IDC_TEXT, 0);
  // A caller without a registry object of its own gets one for this run.
  cReg ownReg;
  cReg* reg = dialog->reg ? dialog->reg : &ownReg;
  return RunUninstall(&dialog->target, reg, &log, dialog->hwnd);
}

}  // namespace

unsigned __stdcall UninstallWorker(void* context) {
  auto* dialog = static_cast<cUninstDlg2*>(context);
  const int code = RunWithLogPane(dialog);
  PostMessageA(dialog->hwnd, WM_SETUP_COMPLETE, SETUP_DONE_INSTALL, code);
  _endthreadex(static_cast<unsigned>(code));
  return static_cast<unsigned>(code);
}
