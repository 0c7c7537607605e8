// The install worker's thread procedure; the main window starts it as WORKER_INSTALL.
#pragma once

// Runs the fresh installation for the main window object `mainWindow` with its own
// progress dialog, posts WM_SETUP_COMPLETE (SETUP_DONE_INSTALL, 0 or the failure code)
// and ends the thread with the same code.
unsigned __stdcall InstallWorker(void* mainWindow);
