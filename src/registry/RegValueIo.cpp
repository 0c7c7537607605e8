#include "registry/RegValueIo.h"

#include <cstring>

#include "res/Captions.h"

namespace regio {

LSTATUS CreateKey(const cFixedKey& fixed, REGSAM access, HKEY* key) {
  return RegCreateKeyExA(fixed.root, fixed.path, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                         nullptr, key, nullptr);
}

LSTATUS OpenKey(const cFixedKey& fixed, REGSAM access, HKEY* key) {
  return RegOpenKeyExA(fixed.root, fixed.path, 0, access, key);
}

LSTATUS WriteText(HKEY key, const char* name, const char* text) {
  if (!text) text = "";
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(lstrlenA(text) + 1));
}

LSTATUS WriteDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value);
}

bool ReadText(HKEY key, const char* name, char* buffer, DWORD capacity) {
  std::memset(buffer, 0, capacity + 1);
  DWORD type = REG_NONE;
  DWORD size = capacity;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  return type == REG_SZ;
}

void ShowSavingError(const char* text) { MessageBoxA(nullptr, text, kCaptionWarning, MB_OK); }

}  // namespace regio
