// The modal uninstall dialog: it covers its owner's client area with a running log,
// starts the uninstall worker half a second after it opens and ends with the outcome:
// 1 the viewer was removed, 999 the uninstall failed, 2 it was closed before a worker
// ran (within the first half second, or after the worker could not be started).
// The installer's wizard runs it before a clean installation; Uninstall.exe over a
// window of its own.
#pragma once

#include <windows.h>

#include "app/BaseDialog.h"
#include "res/ResourceIds.h"
#include "uninstall/UninstallSequence.h"

class cReg;

class cUninstDlg2 : public BaseDialog<cUninstDlg2> {
 public:
  static constexpr int kDialogId = IDD_UNINSTALL;
  static constexpr int kResultDone = 1;
  static constexpr int kResultFailed = 999;
  static constexpr int kResultClosed = 2;

  // A thread procedure; it receives the dialog object.
  typedef unsigned(__stdcall* WorkerProc)(void* dialog);

  cUninstDlg2();
  // Waits for a worker that still runs (the dialog is gone by then).
  ~cUninstDlg2() override;
  cUninstDlg2(const cUninstDlg2&) = delete;
  cUninstDlg2& operator=(const cUninstDlg2&) = delete;

  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Runs the dialog modally over `owner` (from `instance`'s resources) and returns its
  // result; -1 when the dialog could not be created.
  INT_PTR Run(HWND owner);

  // Starts the worker: 1 started, 0 one is still running, -2 its state cannot be read,
  // -3 it could not be created.
  int StartWorker();
  // Waits for the worker to end and forgets it.
  void StopWorker();

  // The worker's thread procedure; UninstallWorker unless a test sets its own (null
  // makes every start fail).
  static void SetWorkerProcedure(WorkerProc procedure);

  HINSTANCE instance = nullptr;  // whose dialog template to use
  // The window whose client area the dialog covers; the owner when null.
  HWND coverWindow = nullptr;
  // The run's registry object, for the registry data's removal.
  cReg* reg = nullptr;
  HANDLE workerThread = nullptr;
  unsigned workerThreadId = 0;
  int running = 0;    // 1 from the worker's start until its completion message
  int succeeded = 0;  // 1 when the completion message reported success
  // What the worker read about the installed viewer (its folders are used after the
  // dialog ends by Uninstall.exe).
  cUninstallTarget target;

 private:
  void PlaceOverMainWindow();
  void OnTimer(UINT_PTR id);
  void OnSetupComplete(LPARAM code);
  void Log(const char* text);
};

// The uninstall worker: the uninstall sequence with the dialog's log pane as its sink.
// Posts WM_SETUP_COMPLETE (1000, 0 or the failure code) to the dialog and ends its
// thread with the same code.
unsigned __stdcall UninstallWorker(void* dialog);
