#include "app/SetupMain.h"

#include <commctrl.h>

#include "app/GdiPlusInit.h"
#include "app/InstallWorker.h"
#include "app/SetupMWnd.h"
#include "app/StartRecovery.h"
#include "app/UpdateWorker.h"
#include "res/Captions.h"

namespace {
const char kMutexName[] = "DHViewer Setup 01 by K.Morvale";
const char kAlreadyRunning[] = "すでに起動中のプロセスが存在します";
const char kGdiplusFailed[] = "GdiplusStartupエラー";
const char kUnexpectedException[] = "例外";
const char kMainWindowFailed[] = "CreateWindowEx失敗 Err=%d";
}  // namespace

void ShowUnexpectedFailure() { MessageBoxA(nullptr, kUnexpectedException, "", MB_OK); }

int RunSetup(cSetupMWnd& mainWindow, HINSTANCE instance, LPCSTR commandLine) {
  g_instance = instance;
  try {
    mainWindow.SetCommandLine(commandLine);

    // The handle stays open while the program runs; the system releases it at exit.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      if (mutex) CloseHandle(mutex);
      MessageBoxA(nullptr, kAlreadyRunning, kCaptionConfirm, MB_OK);
      return kExitAlreadyRunning;
    }

    InitCommonControls();
    // Only this one instance may touch the installation: after the single-instance
    // check, before anything else of the run.
    RecoverUpdateAtStart();

    cGDIPlusInit gdiplus;
    if (gdiplus.GetStatus() != 0) {
      MessageBoxA(nullptr, kGdiplusFailed, "", MB_OK);
      return kExitNormal;
    }

    cSetupMWnd::SetWorkerProcedure(WORKER_INSTALL, InstallWorker);
    cSetupMWnd::SetWorkerProcedure(WORKER_UPDATE, UpdateWorker);
    if (!mainWindow.CreateMainWindow()) {
      // Without a window nothing could ever end the message loop, and the mutex would
      // turn every later start away.
      char text[64];
      wsprintfA(text, kMainWindowFailed, static_cast<int>(GetLastError()));
      MessageBoxA(nullptr, text, kCaptionWarning, MB_ICONERROR);
      ReleaseMutex(mutex);
      CloseHandle(mutex);
      return kExitNoMainWindow;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return kExitNormal;
  } catch (...) {
    ShowUnexpectedFailure();
    return kExitNormal;
  }
}
