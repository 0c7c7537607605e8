// Resources of the program's own module on the host. There is no executable image: tests
// register the bytes of each resource (ResourceControl.h), and the functions below find
// and hand them out as Win32 does. Like Win32, a loaded resource stays valid for the
// module's lifetime (here: until the next ResetAll); FreeResource does nothing.
#pragma once

#include "platform/host/Types.h"

struct HRSRC__;
typedef HRSRC__* HRSRC;
typedef HANDLE HGLOBAL;

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

// A null name is the program itself; the host knows no other module.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
// Names and types are integer ids (MAKEINTRESOURCEA), "#123" texts or names, the latter
// compared without regard to ASCII case. A null module is the program.
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
BOOL FreeResource(HGLOBAL hResData);
