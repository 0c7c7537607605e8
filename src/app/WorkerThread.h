// The one worker thread that the main window and the uninstall dialog each run, with
// the start and stop rules they share. The owner keeps the handle and the id.
#pragma once

#include "platform/win.h"

typedef unsigned(__stdcall* WorkerThreadProc)(void* owner);

// Starts `procedure(owner)` with the runtime's thread starter, created suspended so
// that `*started` (when given) is 1 before the thread runs. An earlier thread that has
// ended but was not joined is forgotten first. Returns 1 started, 0 while an earlier
// thread still runs, -2 when its state cannot be read, -3 when no thread could be
// started (or there is no procedure).
int StartWorkerThread(HANDLE* thread, unsigned* threadId, WorkerThreadProc procedure,
                      void* owner, int* started);

// Joins the thread: waits up to 3000 ms for it to end, then terminates it, and closes
// the handle. Nothing to do without a thread.
void StopWorkerThread(HANDLE* thread, unsigned* threadId);

// For destructors: a thread still running (or whose state cannot be read) is
// terminated without waiting; the handle is closed.
void AbandonWorkerThread(HANDLE* thread);
