#include "platform/host/RegistryChange.h"

namespace hostwin {

void RegistryChange::ApplyTo(RegistryKey* hiveRoot) const {
  if (kind == kDeleteKey || kind == kDeleteValue) {
    if (kind == kDeleteKey && path.empty()) return;  // a hive root is never deleted
    RegistryKey* parent = hiveRoot;
    const size_t walk = kind == kDeleteKey ? path.size() - 1 : path.size();
    for (size_t i = 0; i < walk && parent; ++i) parent = parent->FindSubkey(path[i]);
    if (!parent) return;
    if (kind == kDeleteValue) {
      parent->DeleteValue(valueName);
    } else if (RegistryKey* doomed = parent->FindSubkey(path.back())) {
      if (!doomed->HasSubkeys()) parent->DeleteSubkey(path.back());
    }
    return;
  }
  RegistryKey* node = hiveRoot;
  bool created = false;
  for (const std::string& part : path) node = node->CreateSubkey(part, &created);
  if (kind == kSetValue) node->SetValue(valueName, type, data);
}

}  // namespace hostwin
