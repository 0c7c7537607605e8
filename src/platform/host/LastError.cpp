// Per-thread last error, as Win32 keeps it.
#include "platform/host/HostWin32.h"

namespace {
thread_local DWORD lastError = 0;
}

DWORD GetLastError(void) { return lastError; }
void SetLastError(DWORD code) { lastError = code; }
