// An open registry key that closes itself, so that every way out of an operation
// (a coded failure thrown as an integer, or the library's exceptions) leaves no
// handle behind.
#pragma once

#include "platform/win.h"

class cRegKey {
 public:
  cRegKey() = default;
  ~cRegKey() { Close(); }
  cRegKey(const cRegKey&) = delete;
  cRegKey& operator=(const cRegKey&) = delete;

  // For the registry call that opens the key; any key held before is closed first.
  HKEY* Receive() {
    Close();
    return &key;
  }
  HKEY Get() const { return key; }
  void Close() {
    if (key) RegCloseKey(key);
    key = nullptr;
  }

 private:
  HKEY key = nullptr;
};
