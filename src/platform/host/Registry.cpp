// Registry functions of the host layer: each asks the fault injection first, checks
// its arguments as Win32 does, then works on the one registry store.
#include "platform/host/Registry.h"

#include "platform/host/Faults.h"
#include "platform/host/RegistryStore.h"

using hostwin::FailNow;
using hostwin::RegistryStore;

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR /*lpClass*/,
                        DWORD /*dwOptions*/, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
  DWORD error = ERROR_SUCCESS;
  if (phkResult) *phkResult = nullptr;
  if (FailNow("RegCreateKeyExA", lpSubKey, &error)) return static_cast<LSTATUS>(error);
  // Win32 writes through a null result pointer; here it is refused instead.
  if (!phkResult || Reserved != 0) return ERROR_INVALID_PARAMETER;
  return RegistryStore::Instance().CreateKey(hKey, lpSubKey, samDesired, phkResult,
                                             lpdwDisposition);
}

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                      PHKEY phkResult) {
  DWORD error = ERROR_SUCCESS;
  if (phkResult) *phkResult = nullptr;
  if (FailNow("RegOpenKeyExA", lpSubKey, &error)) return static_cast<LSTATUS>(error);
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  return RegistryStore::Instance().OpenKey(hKey, lpSubKey, samDesired, phkResult);
}

LSTATUS RegCloseKey(HKEY hKey) {
  DWORD error = ERROR_SUCCESS;
  if (FailNow("RegCloseKey", nullptr, &error)) return static_cast<LSTATUS>(error);
  return RegistryStore::Instance().CloseKey(hKey);
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                       const BYTE* lpData, DWORD cbData) {
  DWORD error = ERROR_SUCCESS;
  if (FailNow("RegSetValueExA", lpValueName, &error)) return static_cast<LSTATUS>(error);
  return RegistryStore::Instance().SetValue(hKey, lpValueName, dwType, lpData, cbData);
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
  DWORD error = ERROR_SUCCESS;
  if (FailNow("RegQueryValueExA", lpValueName, &error)) return static_cast<LSTATUS>(error);
  // A buffer without its size could be overrun; Win32 refuses it.
  if ((lpData && !lpcbData) || lpReserved) return ERROR_INVALID_PARAMETER;
  return RegistryStore::Instance().QueryValue(hKey, lpValueName, lpType, lpData, lpcbData);
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  DWORD error = ERROR_SUCCESS;
  if (FailNow("RegDeleteValueA", lpValueName, &error)) return static_cast<LSTATUS>(error);
  return RegistryStore::Instance().DeleteValue(hKey, lpValueName);
}
