#include "gui/e2e/RegistryReads.h"

#include <vector>

namespace e2e {
namespace {

bool ReadValue(HKEY root, const char* path, const char* name, DWORD wantedType,
               std::vector<BYTE>* data) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD size = 0;
  bool ok = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == wantedType;
  if (ok) {
    data->assign(size + 1, 0);
    ok = RegQueryValueExA(key, name, nullptr, &type, data->data(), &size) == ERROR_SUCCESS;
    data->resize(size);
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool ReadText(HKEY root, const char* path, const char* name, std::string* out) {
  std::vector<BYTE> data;
  if (!ReadValue(root, path, name, REG_SZ, &data)) return false;
  // The stored size counts the terminating zero.
  std::string text(data.begin(), data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  *out = text;
  return true;
}

bool ReadDword(HKEY root, const char* path, const char* name, DWORD* out) {
  std::vector<BYTE> data;
  if (!ReadValue(root, path, name, REG_DWORD, &data) || data.size() != sizeof(DWORD)) {
    return false;
  }
  *out = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
  return true;
}

bool WriteText(HKEY root, const char* path, const char* name, const char* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return false;
  const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                     lstrlenA(value) + 1);
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const char* path) {
  RegDeleteTreeA(root, path);
  // Some versions leave the emptied key itself behind.
  RegDeleteKeyA(root, path);
}

void DeleteValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

}  // namespace e2e
