// `dhpack verify SETUP.exe`: what a release manager runs before shipping an installer.
// One line per check on standard output, then a summary; the exit status is 0 only
// when every check holds.
#pragma once

#include <string>

int VerifyInstaller(const std::string& file);
