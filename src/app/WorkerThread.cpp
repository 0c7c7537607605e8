#include "app/WorkerThread.h"

#include <process.h>

namespace {

// How long a finishing worker is given after its completion message.
constexpr DWORD kWorkerJoinTimeoutMs = 3000;

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
  DWORD code = 0;
  if (GetExitCodeThread(*thread, &code) && code == STILL_ACTIVE) {
    WaitForSingleObject(*thread, kWorkerJoinTimeoutMs);
    if (GetExitCodeThread(*thread, &code) && code == STILL_ACTIVE) TerminateThread(*thread, 0);
  }
  CloseHandle(*thread);
  *thread = nullptr;
  *threadId = 0;
}

void AbandonWorkerThread(HANDLE* thread) {
  if (!*thread) return;
  DWORD code = 0;
  if (!GetExitCodeThread(*thread, &code) || code == STILL_ACTIVE) TerminateThread(*thread, 0);
  CloseHandle(*thread);
  *thread = nullptr;
}
