#include "payload/PayloadNames.h"

#include "platform/win.h"

bool IsFolderEntry(const char* name) {
  const int length = name ? lstrlenA(name) : 0;
  if (length == 0 || name[length - 1] != '\\') return false;
  return CharPrevA(name, name + length) == name + length - 1;
}
