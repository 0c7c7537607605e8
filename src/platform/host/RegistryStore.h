// The state of the host registry: the two hives and the table of open key handles,
// behind one lock so that a worker thread may call alongside the main thread. The
// registry functions and the test controls both work through the one instance.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/RegistryKey.h"
#include "platform/host/RegistryValue.h"
#include "platform/host/Types.h"

namespace hostwin {

class RegistryStore {
 public:
  static RegistryStore& Instance();

  // The registry functions, after their fault check and argument checks; the
  // results are Win32 error codes.
  LSTATUS CreateKey(HKEY parent, const char* subKey, REGSAM access, HKEY* result,
                    DWORD* disposition);
  LSTATUS OpenKey(HKEY parent, const char* subKey, REGSAM access, HKEY* result);
  LSTATUS CloseKey(HKEY key);
  LSTATUS SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
  LSTATUS QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);
  LSTATUS DeleteValue(HKEY key, const char* name);

  // Test controls. Paths are below a predefined root and use the registry functions'
  // path rules; none of these counts as a call or meets an injected fault.
  void Reset();
  std::string Snapshot();
  int OpenKeyCount();
  bool KeyExists(HKEY root, const std::string& path);
  bool ReadValue(HKEY root, const std::string& path, const std::string& name, RegistryValue* value);
  bool WriteValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                  const std::string& data);
  bool CreateKeyPath(HKEY root, const std::string& path);

 private:
  RegistryStore();

  // What a handle refers to. A handle names its key by hive and path rather than by
  // node, so a key deleted under an open handle reads as ERROR_KEY_DELETED, and a
  // transacted handle can name the same path in its transaction's own view of the
  // hives (a RegistryKey::Clone of them plus its changes, replayed onto the hives on
  // commit and dropped on rollback).
  struct KeyRef {
    int hive = 0;
    std::vector<std::string> path;
    DWORD access = 0;
  };

  LSTATUS Resolve(HKEY key, KeyRef* ref) const;
  // The key below an open parent that subKey names (it need not exist yet); the parent
  // itself must still exist.
  LSTATUS ResolveChild(HKEY parent, const char* subKey, KeyRef* ref) const;
  RegistryKey* Find(int hive, const std::vector<std::string>& path) const;
  RegistryKey* Create(int hive, const std::vector<std::string>& path, bool* created);
  // The key a handle names, checked for the access the operation needs.
  LSTATUS KeyFor(HKEY key, DWORD neededAccess, RegistryKey** node) const;
  HKEY AddHandle(KeyRef ref);
  void ResetLocked();

  static constexpr int kHiveCount = 2;
  std::mutex lock;
  std::unique_ptr<RegistryKey> hives[kHiveCount];
  std::map<uintptr_t, KeyRef> handles;
  uintptr_t nextHandle;
};

}  // namespace hostwin
