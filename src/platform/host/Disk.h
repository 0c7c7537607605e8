// Free disk space on the host. There are no real disks behind the sandbox's drives:
// each drive reports the free space a test gave it (DiskControl.h), or a generous
// default, and the calls fail as Win32 does for a drive or folder that is not there.
#pragma once

#include "platform/host/Resources.h"
#include "platform/host/Types.h"

typedef INT_PTR(WINAPI* FARPROC)();

// The three figures of the drive that holds lpDirectoryName (a folder that must exist;
// a drive root such as "D:\"; null for the current drive): the bytes the calling user
// may still use, the drive's size and its free bytes. Any pointer may be null.
BOOL GetDiskFreeSpaceExA(LPCSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                         PULARGE_INTEGER lpTotalNumberOfBytes,
                         PULARGE_INTEGER lpTotalNumberOfFreeBytes);
// The older form in clusters of 8 sectors of 512 bytes; the free clusters are those the
// calling user may still use, capped at 0xFFFFFFFF as the 32-bit counts force.
BOOL GetDiskFreeSpaceA(LPCSTR lpRootPathName, LPDWORD lpSectorsPerCluster,
                       LPDWORD lpBytesPerSector, LPDWORD lpNumberOfFreeClusters,
                       LPDWORD lpTotalNumberOfClusters);

// Only the kernel's two disk functions can be looked up, in the module that
// GetModuleHandleA("kernel32.dll") gives; anything else is ERROR_PROC_NOT_FOUND.
#define ERROR_PROC_NOT_FOUND 127L
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

namespace hostwin {
// The module handle of "kernel32.dll" on the host.
extern HMODULE const kKernel32Module;
}  // namespace hostwin
