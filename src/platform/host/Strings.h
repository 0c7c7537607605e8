// Narrow string functions of the host layer.
#pragma once

#include "platform/host/Types.h"

// ---- narrow strings ---------------------------------------------------------------
// Like Win32, the lstr* functions treat a null pointer as an empty text (lstrlenA
// returns 0) instead of crashing.
int lstrlenA(LPCSTR s);
LPSTR lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int maxCount);
LPSTR lstrcatA(LPSTR dst, LPCSTR src);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
// wsprintfA writes at most 1024 bytes, terminator included, as the Win32 one does.
int wsprintfA(LPSTR dst, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
int wvsprintfA(LPSTR dst, LPCSTR format, va_list args);
// Code page 932 (Shift-JIS): lead bytes 0x81-0x9F and 0xE0-0xFC.
BOOL IsDBCSLeadByte(BYTE c);
// The same test for a named code page; only 932 is known here, every other page has
// no lead bytes.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE c);
LPSTR CharNextA(LPCSTR p);
LPSTR CharPrevA(LPCSTR start, LPCSTR p);
