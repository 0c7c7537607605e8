// The value reads and writes every registry operation of the program makes, in the
// one form the viewer expects: texts as REG_SZ with their terminating NUL, numbers as
// 4-byte REG_DWORD.
#pragma once

#include "platform/win.h"
#include "registry/FixedKeys.h"

namespace regio {

// Creates (or opens) a fixed key with no class and no options.
LSTATUS CreateKey(const cFixedKey& fixed, REGSAM access, HKEY* key);
LSTATUS OpenKey(const cFixedKey& fixed, REGSAM access, HKEY* key);

// A null text is written as an empty one.
LSTATUS WriteText(HKEY key, const char* name, const char* text);
LSTATUS WriteDword(HKEY key, const char* name, DWORD value);

// Reads a REG_SZ value of at most `capacity` bytes into `buffer`, which has one byte
// more: it is zero-filled first, so the text ends in a NUL even when the stored
// value lacks its own. False for a missing value, another type or a longer text.
bool ReadText(HKEY key, const char* name, char* buffer, DWORD capacity);

// Shows a failed write of a fresh installation ("警告", no owner, OK only).
void ShowSavingError(const char* text);

}  // namespace regio
