// The product folder that every install folder ends in. The folder page's check and its
// browse button both put it on the user's choice, by this one rule.
#pragma once

#include "morstd/MorString.h"

constexpr char kProductFolder[] = "Dravenholt";

// Makes `path` end in the product folder: "C:\" -> "C:\Dravenholt", "C:\Apps" ->
// "C:\Apps\Dravenholt", "Apps" -> "Apps\Dravenholt"; a path whose last name already is
// the product folder, in any case, stays as it is. Returns 1 when the path changed.
// Backslashes are found character by character, so the second byte of a Shift-JIS
// character is never taken for one.
int AppendProductFolder(morstd::cMorString* path);
