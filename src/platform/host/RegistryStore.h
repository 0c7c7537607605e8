// The state of the host registry: the two hives and the table of open key handles,
// behind one lock so that a worker thread may call alongside the main thread; the
// views and change records of the KTM transactions live under the same lock. The
// registry functions, the KTM functions and the test controls all work through the
// one instance.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/RegistryChange.h"
#include "platform/host/RegistryKey.h"
#include "platform/host/RegistryTransaction.h"
#include "platform/host/RegistryValue.h"
#include "platform/host/Types.h"

namespace hostwin {

class RegistryStore {
 public:
  static RegistryStore& Instance();

  // The registry functions, after their fault check and argument checks; the
  // results are Win32 error codes. A null transaction opens a key outside any
  // transaction, or in the transaction of the open parent key it is relative to.
  LSTATUS CreateKey(HKEY parent, const char* subKey, REGSAM access,
                    const std::shared_ptr<RegistryTransaction>& transaction, HKEY* result,
                    DWORD* disposition);
  LSTATUS OpenKey(HKEY parent, const char* subKey, REGSAM access,
                  const std::shared_ptr<RegistryTransaction>& transaction, HKEY* result);
  LSTATUS CloseKey(HKEY key);
  LSTATUS SetValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size);
  LSTATUS QueryValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);
  LSTATUS DeleteValue(HKEY key, const char* name);
  // Deletes a key without subkeys; subKey may be empty to name the parent itself.
  LSTATUS DeleteKey(HKEY parent, const char* subKey,
                    const std::shared_ptr<RegistryTransaction>& transaction);
  // Deletes everything below the key, and the key itself when subKey names one.
  LSTATUS DeleteTree(HKEY parent, const char* subKey);
  LSTATUS EnumKey(HKEY key, DWORD index, char* name, DWORD* nameSize);

  // The KTM functions on a transaction: the commit replays its changes onto the
  // hives, the rollback drops them.
  LSTATUS Commit(RegistryTransaction& transaction);
  LSTATUS Rollback(RegistryTransaction& transaction);

  // The path below its hive of the key that subKey names relative to an open key
  // (empty when the key handle is not valid), for the fault injection to match.
  std::string KeyPath(HKEY key, const char* subKey);

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
  LSTATUS End(RegistryTransaction& transaction, RegistryTransaction::State ending);
  RegistryStore();

  // What a handle refers to. A handle names its key by hive and path rather than by
  // node, so a key deleted under an open handle reads as ERROR_KEY_DELETED, and a
  // transacted handle names the same path in its transaction's own view of the hives.
  struct KeyRef {
    int hive = 0;
    std::vector<std::string> path;
    DWORD access = 0;
    std::shared_ptr<RegistryTransaction> transaction;  // null: the hives themselves
  };

  LSTATUS Resolve(HKEY key, KeyRef* ref) const;
  // The key below an open parent that subKey names (it need not exist yet); the parent
  // itself must still exist.
  LSTATUS ResolveChild(HKEY parent, const char* subKey, KeyRef* ref);
  // The hive root a reference sees: the hives, or its transaction's view, made on
  // first use. Fails with ERROR_TRANSACTION_NOT_ACTIVE once the transaction ended.
  LSTATUS Root(const KeyRef& ref, RegistryKey** root);
  // The key a reference names, or null (with success) when it does not exist.
  LSTATUS Find(const KeyRef& ref, RegistryKey** node);
  // The key a handle names, checked for the access the operation needs.
  LSTATUS KeyFor(HKEY key, DWORD neededAccess, RegistryKey** node, KeyRef* ref = nullptr);
  // Makes a change where the reference sees it; a transacted one is recorded for the
  // commit.
  void Apply(const KeyRef& ref, RegistryChange change);
  // Deletes every value and subkey below the referenced key, recording each change.
  void EmptyKey(const KeyRef& ref, RegistryKey* node);
  HKEY AddHandle(KeyRef ref);
  void ResetLocked();
  RegistryKey* FindInHive(int hive, const std::vector<std::string>& path) const;
  RegistryKey* CreateInHive(int hive, const std::vector<std::string>& path);

  static constexpr int kHiveCount = 2;
  std::mutex lock;
  std::unique_ptr<RegistryKey> hives[kHiveCount];
  std::map<uintptr_t, KeyRef> handles;
  uintptr_t nextHandle;
};

}  // namespace hostwin
