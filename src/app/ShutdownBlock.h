// The reason a log-off or shutdown is refused while a worker runs: the system shows it
// beside the program's window in its list of programs that keep the session open.
#pragma once

#include <windows.h>

// Gives the system the reason for the window; AllowShutdown takes it back. The main
// window refuses WM_QUERYENDSESSION itself in between; a system that keeps no reasons
// only loses the text.
void BlockShutdown(HWND window);
void AllowShutdown(HWND window);

// The system's two functions, which tests replace with recorders (null restores them).
typedef BOOL(WINAPI* ShutdownReasonCreateProc)(HWND window, LPCWSTR reason);
typedef BOOL(WINAPI* ShutdownReasonDestroyProc)(HWND window);
void SetShutdownReasonFunctions(ShutdownReasonCreateProc create, ShutdownReasonDestroyProc destroy);
