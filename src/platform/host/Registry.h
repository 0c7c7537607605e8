// Registry functions of the host layer (narrow "A" forms). The hives live in memory:
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, each an empty tree after a reset. Key and
// value names compare without regard to ASCII case (double-byte characters of code
// page 932 compare as they are) and keep the spelling they were created with. The
// functions return their error as the result, as Win32 does, and leave GetLastError
// alone. Safe to call from several threads.
#pragma once

#include "platform/host/Types.h"

// The predefined keys carry the values Win32 gives them, sign-extended on 64-bit.
// Only the current user's and the machine's hives hold keys; the program touches no
// other, and the other two are refused as invalid handles.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

// Value types. Data is kept as the bytes the caller gave (a text gains a missing
// terminator, see RegSetValueExA).
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// Access rights of a key handle. Setting and deleting values needs KEY_SET_VALUE,
// reading them KEY_QUERY_VALUE; the registry view flags are accepted and ignored
// (there is one view).
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_WOW64_RES 0x0300
#define KEY_READ 0x20019
#define KEY_EXECUTE 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

// Options (accepted and ignored: every key lives until the process ends or a reset).
#define REG_OPTION_RESERVED 0x0000
#define REG_OPTION_NON_VOLATILE 0x0000
#define REG_OPTION_VOLATILE 0x0001
#define REG_OPTION_CREATE_LINK 0x0002
#define REG_OPTION_BACKUP_RESTORE 0x0004
#define REG_OPTION_OPEN_LINK 0x0008

// Dispositions reported by RegCreateKeyExA.
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

// Creates the key and every missing key above it; an empty or null sub-key gives a
// new handle to hKey itself. The class and the security attributes are ignored.
LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                        REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                        PHKEY phkResult, LPDWORD lpdwDisposition);
LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                      PHKEY phkResult);
LSTATUS RegCloseKey(HKEY hKey);

// A null or empty name addresses the key's default value. A string (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) passed without its terminating NUL gets one, as the
// narrow Win32 function adds it when it converts the text.
LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType,
                       const BYTE* lpData, DWORD cbData);
LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData);
LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED while it has some, as Win32
// refuses it); an empty sub-key names hKey itself, a null one is refused.
LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
// Deletes every value and subkey of the key lpSubKey names, and then that key; with a
// null or empty sub-key, what is below hKey goes and hKey stays.
LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);
// The index-th subkey's name in sorted order (names compared without regard to case);
// ERROR_NO_MORE_ITEMS past the last, ERROR_MORE_DATA when the name (and its NUL) does
// not fit in *lpcchName characters. The class comes back empty and the time as zero.
LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                      LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime);

// The transacted forms take a KTM transaction (Transaction.h). A key handle they give
// out, and every key opened relative to it, reads and writes the transaction's view:
// its changes show nowhere else before CommitTransaction. Once the transaction has
// ended such a handle fails with ERROR_TRANSACTION_NOT_ACTIVE; a handle that is not a
// transaction fails with ERROR_INVALID_HANDLE.
LSTATUS RegCreateKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass,
                                DWORD dwOptions, REGSAM samDesired,
                                const LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                LPDWORD lpdwDisposition, HANDLE hTransaction,
                                PVOID pExtendedParemeter);
LSTATUS RegOpenKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                              PHKEY phkResult, HANDLE hTransaction, PVOID pExtendedParameter);
LSTATUS RegDeleteKeyTransactedA(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, DWORD Reserved,
                                HANDLE hTransaction, PVOID pExtendedParameter);
