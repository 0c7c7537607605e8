// Registry functions of the host layer: each asks the fault injection first, checks
// its arguments as Win32 does, then works on the one registry store. A fault may name
// a key call by its sub-key as given or by the key's full path below its hive, and a
// value call by the value name or by its key's path.
#include "platform/host/Registry.h"

#include <memory>
#include <string>

#include "platform/host/Faults.h"
#include "platform/host/HandleTable.h"
#include "platform/host/RegistryStore.h"
#include "platform/host/RegistryTransaction.h"

using hostwin::FailNow;
using hostwin::RegistryStore;
using hostwin::RegistryTransaction;

namespace {

bool FailKeyCall(const char* function, HKEY key, const char* subKey, DWORD* error) {
  const std::string path = RegistryStore::Instance().KeyPath(key, subKey);
  return FailNow(function, {subKey, path.c_str()}, error);
}

bool FailValueCall(const char* function, HKEY key, const char* valueName, DWORD* error) {
  const std::string path = RegistryStore::Instance().KeyPath(key, nullptr);
  return FailNow(function, {valueName ? valueName : "", path.c_str()}, error);
}

// The same for a call that changes the registry: it is a crash point too.
bool FailKeyChange(const char* function, HKEY key, const char* subKey, DWORD* error) {
  if (FailKeyCall(function, key, subKey, error)) return true;
  return hostwin::CrashNow(function, RegistryStore::Instance().KeyPath(key, subKey).c_str(), error);
}

bool FailValueChange(const char* function, HKEY key, const char* valueName, DWORD* error) {
  if (FailValueCall(function, key, valueName, error)) return true;
  return hostwin::CrashNow(function, valueName, error);
}

// A call's transaction: none for the plain functions (kPlain); for the transacted ones
// the object behind their KTM handle, which must be one.
const HANDLE kPlain = INVALID_HANDLE_VALUE;

LSTATUS TransactionOf(HANDLE handle, std::shared_ptr<RegistryTransaction>* transaction) {
  if (handle == kPlain) return ERROR_SUCCESS;
  *transaction = hostwin::HandleTable::Instance().Find<RegistryTransaction>(handle);
  return *transaction ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS CreateKey(const char* function, HKEY hKey, LPCSTR lpSubKey, DWORD Reserved,
                  REGSAM samDesired, PHKEY phkResult, LPDWORD lpdwDisposition,
                  HANDLE hTransaction) {
  DWORD error = ERROR_SUCCESS;
  if (phkResult) *phkResult = nullptr;
  if (FailKeyChange(function, hKey, lpSubKey, &error)) return static_cast<LSTATUS>(error);
  // Win32 writes through a null result pointer; here it is refused instead.
  if (!phkResult || Reserved != 0) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<RegistryTransaction> transaction;
  LSTATUS status = TransactionOf(hTransaction, &transaction);
  if (status != ERROR_SUCCESS) return status;
  return RegistryStore::Instance().CreateKey(hKey, lpSubKey, samDesired, transaction, phkResult,
                                             lpdwDisposition);
}

LSTATUS OpenKey(const char* function, HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired,
                PHKEY phkResult, HANDLE hTransaction) {
  DWORD error = ERROR_SUCCESS;
  if (phkResult) *phkResult = nullptr;
  if (FailKeyCall(function, hKey, lpSubKey, &error)) return static_cast<LSTATUS>(error);
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<RegistryTransaction> transaction;
  LSTATUS status = TransactionOf(hTransaction, &transaction);
  if (status != ERROR_SUCCESS) return status;
  return RegistryStore::Instance().OpenKey(hKey, lpSubKey, samDesired, transaction, phkResult);
}

LSTATUS DeleteKey(const char* function, HKEY hKey, LPCSTR lpSubKey, HANDLE hTransaction) {
  DWORD error = ERROR_SUCCESS;
  if (FailKeyChange(function, hKey, lpSubKey, &error)) return static_cast<LSTATUS>(error);
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<RegistryTransaction> transaction;
  LSTATUS status = TransactionOf(hTransaction, &transaction);
  if (status != ERROR_SUCCESS) return status;
  return RegistryStore::Instance().DeleteKey(hKey, lpSubKey, transaction);
}

}  // namespace

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR /*lpClass*/,
                        DWORD /*dwOptions*/, REGSAM samDesired,
                        const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
  return CreateKey("RegCreateKeyExA", hKey, lpSubKey, Reserved, samDesired, phkResult,
                   lpdwDisposition, kPlain);
}

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                      PHKEY phkResult) {
  return OpenKey("RegOpenKeyExA", hKey, lpSubKey, samDesired, phkResult, kPlain);
}

LSTATUS RegCloseKey(HKEY hKey) {
  DWORD error = ERROR_SUCCESS;
  if (FailValueCall("RegCloseKey", hKey, nullptr, &error)) return static_cast<LSTATUS>(error);
  return RegistryStore::Instance().CloseKey(hKey);
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                       const BYTE* lpData, DWORD cbData) {
  DWORD error = ERROR_SUCCESS;
  if (FailValueChange("RegSetValueExA", hKey, lpValueName, &error)) {
    return static_cast<LSTATUS>(error);
  }
  return RegistryStore::Instance().SetValue(hKey, lpValueName, dwType, lpData, cbData);
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
  DWORD error = ERROR_SUCCESS;
  if (FailValueCall("RegQueryValueExA", hKey, lpValueName, &error)) {
    return static_cast<LSTATUS>(error);
  }
  // A buffer without its size could be overrun; Win32 refuses it.
  if ((lpData && !lpcbData) || lpReserved) return ERROR_INVALID_PARAMETER;
  return RegistryStore::Instance().QueryValue(hKey, lpValueName, lpType, lpData, lpcbData);
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  DWORD error = ERROR_SUCCESS;
  if (FailValueChange("RegDeleteValueA", hKey, lpValueName, &error)) {
    return static_cast<LSTATUS>(error);
  }
  return RegistryStore::Instance().DeleteValue(hKey, lpValueName);
}

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  return DeleteKey("RegDeleteKeyA", hKey, lpSubKey, kPlain);
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
  DWORD error = ERROR_SUCCESS;
  if (FailKeyChange("RegDeleteTreeA", hKey, lpSubKey, &error)) return static_cast<LSTATUS>(error);
  return RegistryStore::Instance().DeleteTree(hKey, lpSubKey);
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  DWORD error = ERROR_SUCCESS;
  if (FailKeyCall("RegEnumKeyExA", hKey, nullptr, &error)) return static_cast<LSTATUS>(error);
  if (!lpName || !lpcchName || lpReserved || (lpClass && !lpcchClass)) {
    return ERROR_INVALID_PARAMETER;
  }
  LSTATUS status = RegistryStore::Instance().EnumKey(hKey, dwIndex, lpName, lpcchName);
  if (status != ERROR_SUCCESS) return status;
  // Keys here have no class and no write time.
  if (lpClass && *lpcchClass > 0) *lpClass = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR /*lpClass*/,
                                DWORD /*dwOptions*/, REGSAM samDesired,
                                const LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                                PHKEY phkResult, LPDWORD lpdwDisposition, HANDLE hTransaction,
                                PVOID /*pExtendedParemeter*/) {
  // The pseudo-handle stands for "no transaction" inside this file only.
  if (hTransaction == kPlain) hTransaction = nullptr;
  return CreateKey("RegCreateKeyTransactedA", hKey, lpSubKey, Reserved, samDesired, phkResult,
                   lpdwDisposition, hTransaction);
}

LSTATUS RegOpenKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                              PHKEY phkResult, HANDLE hTransaction, PVOID /*pExtendedParameter*/) {
  if (hTransaction == kPlain) hTransaction = nullptr;
  return OpenKey("RegOpenKeyTransactedA", hKey, lpSubKey, samDesired, phkResult, hTransaction);
}

LSTATUS RegDeleteKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, REGSAM /*samDesired*/,
                                DWORD /*Reserved*/, HANDLE hTransaction,
                                PVOID /*pExtendedParameter*/) {
  if (hTransaction == kPlain) hTransaction = nullptr;
  return DeleteKey("RegDeleteKeyTransactedA", hKey, lpSubKey, hTransaction);
}
