// Member names as paths below the extraction folder. Names use backslashes and may
// hold Shift-JIS characters whose second byte is 0x5C, which is no separator.
#pragma once

#include <string>

// The name as a relative Linux path ('/' separators, bytes otherwise as stored).
// False for a name that would leave the folder: absolute ("\x", "/x"), with a drive
// ("C:..."), or with a ".." component; and for a file name with no component at all.
bool MemberRelativePath(const std::string& name, std::string* relative);
