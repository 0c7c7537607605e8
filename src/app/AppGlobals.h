// Handles kept beside the main window object for the whole run.
#pragma once

#include <windows.h>

// The module instance, stored first thing at start-up.
extern HINSTANCE g_instance;
// The main window, stored at the start of its WM_CREATE; the lower pane forwards its
// button clicks here and the uninstall dialog places itself over it.
extern HWND g_mainWindow;
