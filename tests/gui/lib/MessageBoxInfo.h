// What a test learns about one message box on the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace guitest {

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  HWND owner = nullptr;       // GW_OWNER: the window the box was raised over, or null
  std::string text;           // raw code page 932 bytes, as the program passed them
  std::string caption;        // raw code page 932 bytes
  std::vector<int> buttons;   // ids of the visible buttons in tab order (IDOK, IDYES, ...)
  int answer = 0;             // button pressed by a MessageBoxAnswerer, 0 otherwise
};

}  // namespace guitest
