// The update worker's thread procedure; the main window starts it as WORKER_UPDATE.
#pragma once

// Runs the over-installation or update for the main window object `mainWindow` with
// its own progress dialog, writing the log into the update display, posts
// WM_SETUP_COMPLETE (SETUP_DONE_UPDATE, 0 or the completion code) and ends the thread
// with the same code.
unsigned __stdcall UpdateWorker(void* mainWindow);
