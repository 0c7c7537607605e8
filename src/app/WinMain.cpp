// Entry point of DHViewSetup.exe.
#include <windows.h>

#include "app/SetupMWnd.h"
#include "app/SetupMain.h"

// The one main window, constructed before the entry point runs and destroyed at exit.
cSetupMWnd g_setupMWnd;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return RunSetup(g_setupMWnd, instance, commandLine);
}
