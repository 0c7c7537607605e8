// The one Win32 include of the program. Portable code includes this header and calls
// the narrow Win32 functions; on Windows they are the real ones, on Linux they come
// from our host layer (platform/host), which behaves as Win32 does for our callers.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <shlwapi.h>  // PathIsDirectoryA, PathFileExistsA
#include <shlobj.h>   // special folders (CSIDL_*), SHGetPathFromIDListA
#else
#include "platform/host/HostWin32.h"
#endif
