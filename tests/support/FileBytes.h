// Whole-file helpers for tests that need a file's bytes in place or want to check
// them, through the narrow Win32 functions (so on the host layer and on Windows).
#pragma once

#include <string>

namespace dhtest {

// Creates or replaces the file; true when every byte was written.
bool WriteFileBytes(const std::string& winPath, const std::string& bytes);
// The file's bytes; false when it cannot be opened or read.
bool ReadFileBytes(const std::string& winPath, std::string* bytes);

}  // namespace dhtest
