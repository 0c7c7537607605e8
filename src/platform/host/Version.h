// The Windows version as GetVersionExA reports it; tests choose it (VersionControl.h),
// and it is Windows 10 until they do.
#pragma once

#include "platform/host/Types.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;


// Fills the structure; FALSE with ERROR_INSUFFICIENT_BUFFER when its size field is not
// sizeof(OSVERSIONINFOA), as Windows answers a caller that forgot to set it.
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
