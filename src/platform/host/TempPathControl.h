// Test control of the temporary folder that GetTempPathA names.
#pragma once

#include <string>

namespace hostwin {

// The Windows path GetTempPathA returns from now on (a final backslash is added when
// missing); an empty text goes back to the default, C:\Users\Host\AppData\Local\Temp\,
// as ResetAll does too.
void SetTempPath(const std::string& winPath);

}  // namespace hostwin
