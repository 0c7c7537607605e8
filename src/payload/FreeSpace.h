// The free space of the drive the payload is unpacked to (the installation and the
// update both measure it before they write anything).
#pragma once

#include <cstdint>

#include "platform/win.h"

// <windows.h> still carries a 16-bit Windows macro of this name that would swallow
// every call.
#ifdef GetFreeSpace
#undef GetFreeSpace
#endif

// The bytes the calling user may still write on the drive of `path` ("X:\" when the path
// starts with a drive letter, else the path itself, e.g. a share). 1 with *freeBytes
// set; 0 with *freeBytes as it was when the system cannot say.
int GetFreeSpace(const char* path, uint64_t* freeBytes);
