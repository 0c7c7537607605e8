#include "app/WorkerThread.h"

#include <process.h>

namespace {

// Handles every message sent to this thread's windows; posted messages stay queued.
void HandleSentMessages() {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

int StartWorkerThread(HANDLE* thread, unsigned* threadId, WorkerThreadProc procedure,
                      void* owner, int* started) {
  if (*thread) {
    DWORD code = 0;
    if (!GetExitCodeThread(*thread, &code)) return -2;
    if (code == STILL_ACTIVE) return 0;
    // The last worker has ended but was not joined: forget its handle before reuse.
    CloseHandle(*thread);
    *thread = nullptr;
    *threadId = 0;
  }
  if (!procedure) return -3;
  const uintptr_t handle = _beginthreadex(nullptr, 0, procedure, owner, CREATE_SUSPENDED, threadId);
  if (handle == 0) {
    *threadId = 0;
    return -3;
  }
  *thread = reinterpret_cast<HANDLE>(handle);
  // Set before the thread runs: its completion message may arrive at once.
  if (started) *started = 1;
  ResumeThread(*thread);
  return 1;
}

void StopWorkerThread(HANDLE* thread, unsigned* threadId) {
  if (!*thread) return;
  // Also sound while the process ends after the entry point has returned: the threads
  // still run then, and a thread that the system has already ended is signalled.
  HANDLE handles[1] = {*thread};
  for (;;) {
    HandleSentMessages();
    const DWORD woke = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) break;  // ended (or the handle cannot be waited on)
  }
  CloseHandle(*thread);
  *thread = nullptr;
  *threadId = 0;
}
