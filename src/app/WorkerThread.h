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

// Joins the thread: waits for it to end, however long its work takes, and closes the
// handle. A worker is never cut short: it may be half way through an installation or
// an update, and only its own end leaves the folders whole. Messages sent to the
// calling thread's windows are handled while it waits, since a worker writes its log
// lines with SendMessageA and its progress dialog, owned by the main window, sends it
// activation messages. Nothing to do without a thread.
void StopWorkerThread(HANDLE* thread, unsigned* threadId);
