// The program's run from start-up to the end of the message loop.
#pragma once

#include <windows.h>

class cSetupMWnd;

// Exit codes of the run.
constexpr int kExitNormal = 0;
constexpr int kExitAlreadyRunning = -1;
constexpr int kExitNoMainWindow = -2;

// The message of a failure nobody expected ("例外"); the program then ends with 0.
void ShowUnexpectedFailure();

// Refuses a second instance, starts the common controls and GDI+, creates the main
// window and runs the message loop until WM_QUIT. A main window that cannot be created
// is reported in a "警告" box and ends the run with kExitNoMainWindow, the mutex
// released.
int RunSetup(cSetupMWnd& mainWindow, HINSTANCE instance, LPCSTR commandLine);
