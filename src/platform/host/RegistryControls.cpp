#include "platform/host/RegistryControls.h"

#include <cstring>

#include "platform/host/RegistryStore.h"

namespace hostwin {

std::string RegistrySnapshot() { return RegistryStore::Instance().Snapshot(); }

int RegistryOpenKeyCount() { return RegistryStore::Instance().OpenKeyCount(); }

bool RegistryKeyExists(HKEY root, const std::string& path) {
  return RegistryStore::Instance().KeyExists(root, path);
}

std::optional<RegistryValue> RegistryReadValue(HKEY root, const std::string& path,
                                               const std::string& name) {
  RegistryValue value;
  if (!RegistryStore::Instance().ReadValue(root, path, name, &value)) return std::nullopt;
  return value;
}

std::optional<std::string> RegistryReadString(HKEY root, const std::string& path,
                                              const std::string& name) {
  std::optional<RegistryValue> value = RegistryReadValue(root, path, name);
  if (!value || value->type != REG_SZ) return std::nullopt;
  std::string text = value->data;
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::optional<DWORD> RegistryReadDword(HKEY root, const std::string& path,
                                       const std::string& name) {
  std::optional<RegistryValue> value = RegistryReadValue(root, path, name);
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD number;
  std::memcpy(&number, value->data.data(), sizeof number);
  return number;
}

bool RegistryCreateKey(HKEY root, const std::string& path) {
  return RegistryStore::Instance().CreateKeyPath(root, path);
}

bool RegistryWriteValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        const std::string& data) {
  return RegistryStore::Instance().WriteValue(root, path, name, type, data);
}

bool RegistryWriteString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text) {
  return RegistryWriteValue(root, path, name, REG_SZ, text + '\0');
}

bool RegistryWriteDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
  std::string bytes(sizeof value, '\0');
  std::memcpy(&bytes[0], &value, sizeof value);
  return RegistryWriteValue(root, path, name, REG_DWORD, bytes);
}

}  // namespace hostwin
