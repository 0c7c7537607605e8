// One key of the host registry: its name as first written, its values and its subkeys.
// Lookups go through the folded form of a name, so "Software" and "SOFTWARE" are one
// key, and both maps keep their entries in the order Wine enumerates them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/host/RegistryValue.h"

namespace hostwin {

class RegistryKey {
 public:
  explicit RegistryKey(std::string name);
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // A deep copy, for views that must not see later changes of the original.
  std::unique_ptr<RegistryKey> Clone() const;

  const std::string& Name() const { return name; }

  RegistryKey* FindSubkey(const std::string& subkeyName) const;
  // Returns the existing subkey (its spelling unchanged) or a new empty one.
  RegistryKey* CreateSubkey(const std::string& subkeyName, bool* created);
  // Removes the subkey with everything below it; false when there is none.
  bool DeleteSubkey(const std::string& subkeyName);
  bool HasSubkeys() const { return !subkeys.empty(); }
  // The index-th subkey in enumeration order, or null past the last.
  const RegistryKey* SubkeyAt(size_t index) const;
  std::vector<std::string> SubkeyNames() const;
  std::vector<std::string> ValueNames() const;

  const RegistryValue* FindValue(const std::string& valueName) const;
  // An existing value keeps the spelling of its name and takes the new type and data.
  void SetValue(const std::string& valueName, DWORD type, std::string data);
  bool DeleteValue(const std::string& valueName);

  // Appends this key and everything below it as text: the key's path on a line, then
  // one indented line per value, then the subkeys. `path` is this key's full path.
  void Dump(const std::string& path, std::string* out) const;

  // The lookup and sort form of a name: ASCII letters in lower case (the order Wine
  // enumerates keys in), double-byte characters of code page 932 kept whole so that
  // a trail byte that looks like a letter is not folded.
  static std::string Fold(const std::string& text);

 private:
  std::string name;
  std::map<std::string, std::unique_ptr<RegistryKey>> subkeys;
  std::map<std::string, RegistryValue> values;
};

}  // namespace hostwin
