// A folder tree as text, to compare before and after an operation: one line per
// folder and per file below the root, sorted by path, every file with its bytes. Equal
// snapshots mean equal trees, names, nesting and contents included. Uses the narrow
// Win32 functions, so it runs on the host layer and on Windows alike.
#pragma once

#include <string>

namespace dhtest {

// "<missing>" when winPath is no folder.
std::string TreeSnapshot(const std::string& winPath);

}  // namespace dhtest
