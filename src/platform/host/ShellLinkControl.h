// Test controls of the shell link object: the links saved so far and the balance of
// COM initialisation and of live link objects.
#pragma once

#include <string>
#include <vector>

namespace hostwin {

struct SavedShellLink {
  std::string path;  // where Save put it, code page 932
  std::string target;
  std::string arguments;
  std::string workingFolder;
  int showCmd = 0;
};

// Every link saved since the last reset, oldest first.
std::vector<SavedShellLink> SavedShellLinks();
// CoInitialize calls not yet matched by CoUninitialize.
int ComInitializations();
// Link objects created and not yet released.
int LiveShellLinks();

}  // namespace hostwin
