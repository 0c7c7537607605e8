#include "RegValue.h"

#include <vector>

namespace {

const char kMissing[] = "(なし)";
const char kOtherType[] = "(表示できない形式)";

}  // namespace

cRegValue cRegValue::Read(HKEY root, const char* path, const char* name) {
  cRegValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    RegCloseKey(key);
    return value;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    // The stored text need not end in a NUL: one more byte keeps it terminated.
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                         &size) == ERROR_SUCCESS) {
      value.kind = TEXT;
      value.text = buffer.data();
    }
  } else if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size) ==
        ERROR_SUCCESS) {
      value.kind = DWORD_VALUE;
      value.number = number;
    }
  } else {
    value.kind = OTHER;
  }
  RegCloseKey(key);
  return value;
}

std::string cRegValue::Display() const {
  switch (kind) {
    case TEXT:
      return text;
    case DWORD_VALUE: {
      char digits[16];
      wsprintfA(digits, "%lu", static_cast<unsigned long>(number));
      return digits;
    }
    case OTHER:
      return kOtherType;
    case MISSING:
    default:
      return kMissing;
  }
}
