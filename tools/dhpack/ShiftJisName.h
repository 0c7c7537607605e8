// Member names are code page 932 bytes with backslash separators. A lead byte takes
// the byte after it, so a second byte 0x5C inside a character is no separator.
#pragma once

#include <string>
#include <vector>

#include "payload/PayloadNames.h"

// The installer's own test, code page 932 whatever the machine's.
inline bool IsShiftJisLead(unsigned char c) { return IsNameLeadByte(c); }

// The components of a name split at backslashes (and, when `slashes` is set, at
// forward slashes too), double-byte characters kept whole. A trailing separator gives
// a last empty component.
std::vector<std::string> SplitShiftJisName(const std::string& name, bool slashes);

// The name with its ASCII letters folded to lower case, double-byte characters
// untouched: the comparison key of a case-insensitive file system.
std::string FoldShiftJisCase(const std::string& name);
