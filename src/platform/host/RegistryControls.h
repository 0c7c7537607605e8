// Test controls of the host registry: whole-registry snapshots to compare before and
// after an operation, the number of open key handles, and direct readers and writers
// that neither count as calls nor meet injected faults. hostwin::ResetAll empties the
// registry and forgets every open handle.
#pragma once

#include <optional>
#include <string>

#include "platform/host/Registry.h"
#include "platform/host/RegistryValue.h"

namespace hostwin {

// Both hives as text, keys and values sorted by name without regard to case: a line
// per key with its full path ("HKEY_CURRENT_USER\Software\..."), then a line per
// value ("  "Name" REG_SZ "text"", "  "Name" REG_DWORD 999", other data as hex bytes,
// the default value as @). In names and texts a control byte shows as \xNN, and in
// quoted ones a quote or backslash is escaped with a backslash ("C:\\Program Files").
// Equal snapshots mean equal registries, spelling, types and bytes included. Changes
// of a transaction not yet committed are not part of it.
std::string RegistrySnapshot();

// Key handles opened and not yet closed.
int RegistryOpenKeyCount();

// `root` is HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE; paths and names as the
// registry functions take them.
bool RegistryKeyExists(HKEY root, const std::string& path);
std::optional<RegistryValue> RegistryReadValue(HKEY root, const std::string& path,
                                               const std::string& name);
// A REG_SZ value's text without its terminating NUL; nothing for another type.
std::optional<std::string> RegistryReadString(HKEY root, const std::string& path,
                                              const std::string& name);
// A REG_DWORD value of 4 bytes; nothing for another type or size.
std::optional<DWORD> RegistryReadDword(HKEY root, const std::string& path, const std::string& name);

// Writers create the missing keys; they return false only for a bad root or path.
bool RegistryCreateKey(HKEY root, const std::string& path);
bool RegistryWriteValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                        const std::string& data);
// Stores the text with its terminating NUL.
bool RegistryWriteString(HKEY root, const std::string& path, const std::string& name,
                         const std::string& text);
bool RegistryWriteDword(HKEY root, const std::string& path, const std::string& name, DWORD value);

}  // namespace hostwin
